#include "kit/case_choice.h"

#include <gtest/gtest.h>

namespace telvo::kit {
namespace {

// Each machine gets the set of cases written for it, and the reason names its locale id.
TEST(KitCaseChoiceTest, FollowsThePackagesLocaleRule) {
    const char* const russian = "*RussianLocale*:*AnyWindows*";
    const char* const english = "-*Win32Prefix*:*RussianLocale*";
    const struct {
        bool Windows64;
        uint32_t LocaleId;
        const char* Filter;
        const char* Named;
        bool WarnsOfLocaleChecks;
    } cases[] = {
        {true, 0x0409, english, "0x0409", false},  // English (United States)
        {true, 0x0419, russian, "0x0419", false},  // Russian
        {true, 0x0422, russian, "0x0422", false},  // Ukrainian
        {true, 0x0402, russian, "0x0402", false},  // Bulgarian
        {true, 0x0819, russian, "0x0819", false},  // Russian (Moldova)
        {true, 0x0440, english, "0x0440", true},   // Kyrgyz: English texts
        {true, 0x0C19, english, "0x0C19", true},   // another Russian sublanguage
        {true, 0x0407, english, "0x0407", true},   // German
        {false, 0x0422, "*Win32Prefix*:*AnyWindows*", "0x0422", false},
        {false, 0x0409, "*Win32Prefix*:*AnyWindows*", "0x0409", false},
    };
    for (const auto& c : cases) {
        const TCaseChoice choice = ChooseCases(c.Windows64, c.LocaleId);
        EXPECT_EQ(choice.Filter, c.Filter) << c.Named;
        EXPECT_NE(choice.Reason.find(c.Named), std::string::npos) << choice.Reason;
        EXPECT_EQ(choice.Reason.find("fail here") != std::string::npos, c.WarnsOfLocaleChecks)
            << choice.Reason;
    }
}

}  // namespace
}  // namespace telvo::kit
