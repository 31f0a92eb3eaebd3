#include "discovery/path_rules.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TEST(AddTrailingBackslashTest, AppendsOnlyWhereMissing) {
    for (auto [before, after] : {std::pair{"", ""}, {"C:", "C:\\"}, {"C:\\", "C:\\"},
                                 {"C:\\Apps\\Telvo", "C:\\Apps\\Telvo\\"}, {"Telvo", "Telvo\\"}}) {
        std::string folder = before;
        AddTrailingBackslash(folder);
        EXPECT_EQ(folder, after) << before;
    }
}

}  // namespace
}  // namespace telvo
