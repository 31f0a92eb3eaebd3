#include "e2e/box_rule.h"

#include <gtest/gtest.h>

namespace telvo::e2e {
namespace {

// The package's own boxes and the boxes csrss.exe drew after the run started are the run's;
// nothing else on the screen is, an earlier run's box still showing least of all.
TEST(BoxRuleTest, OnlyTheRunsOwnBoxesAreAnswered) {
    constexpr uint32_t package = 40, csrss = 7;
    const struct {
        const char* Case;
        TWindowFacts Window;
        uint32_t SystemBoxes;
        TBoxOwner Expected;
    } cases[] = {
        {"the package's box", {package, true, true, false, false}, csrss, TBoxOwner::Package},
        {"one drawn for it", {csrss, true, true, false, false}, csrss, TBoxOwner::System},
        {"an earlier run's", {csrss, true, true, true, false}, csrss, TBoxOwner::None},
        {"answered already", {csrss, true, true, false, true}, csrss, TBoxOwner::None},
        {"another program's", {41, true, true, false, false}, csrss, TBoxOwner::None},
        {"no dialog", {package, true, false, false, false}, csrss, TBoxOwner::None},
        {"hidden", {csrss, false, true, false, false}, csrss, TBoxOwner::None},
        {"no csrss (Wine)", {0, true, true, false, false}, 0, TBoxOwner::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OwnerOfRunsBox(c.Window, package, c.SystemBoxes), c.Expected) << c.Case;
}

}  // namespace
}  // namespace telvo::e2e
