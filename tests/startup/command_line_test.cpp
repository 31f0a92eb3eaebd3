#include "startup/command_line.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

struct TArgumentCase {
    const char* Line;
    int Index;
    const char* Expected;
};

class CommandLineArgumentTest : public testing::TestWithParam<TArgumentCase> {};

TEST_P(CommandLineArgumentTest, SplitsLikeThePackageReadsIt) {
    const TArgumentCase& c = GetParam();
    EXPECT_EQ(CommandLineArgument(c.Line, c.Index), c.Expected) << c.Line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineArgumentTest,
    testing::Values(
        // The program's own path may hold blanks inside quotes.
        TArgumentCase{"\"C:\\Program Files\\TelvoUpdate.exe\" modest runapp", 0,
                      "C:\\Program Files\\TelvoUpdate.exe"},
        TArgumentCase{"\"C:\\Program Files\\TelvoUpdate.exe\" modest runapp", 1, "modest"},
        TArgumentCase{"\"C:\\Program Files\\TelvoUpdate.exe\" modest runapp", 2, "runapp"},
        TArgumentCase{"TelvoUpdate.exe", 1, ""}, TArgumentCase{"TelvoUpdate.exe   ", 1, ""},
        // Quotes group and are dropped, also inside a word.
        TArgumentCase{"x.exe \"MODEST\"", 1, "MODEST"},
        TArgumentCase{"x.exe mo\"d e\"st", 1, "mod est"},
        TArgumentCase{"x.exe \"modest runapp", 1, "modest runapp"},
        // An empty quoted argument still counts as an argument.
        TArgumentCase{"x.exe \"\" runapp", 1, ""}, TArgumentCase{"x.exe \"\" runapp", 2, "runapp"},
        // Every control character separates, not only blanks.
        TArgumentCase{"x.exe\tmodest\x01runapp", 1, "modest"},
        TArgumentCase{"x.exe\tmodest\x01runapp", 2, "runapp"},
        TArgumentCase{"x.exe\r\nmodest", 1, "modest"}));

TEST(AsciiLowerTest, LowersOnlyAsciiCapitals) {
    EXPECT_EQ(AsciiLower("MoDeSt"), "modest");
    EXPECT_EQ(AsciiLower("RUNAPP-2_Z@[`"), "runapp-2_z@[`");
    // Cyrillic capitals of code page 1251 stay as they are.
    EXPECT_EQ(AsciiLower("\xCC\xCE\xC4M"), "\xCC\xCE\xC4m");
    EXPECT_EQ(AsciiLower(""), "");
    EXPECT_TRUE(AsciiEqualIgnoringCase("USER32.dll", "user32.DLL"));
    EXPECT_FALSE(AsciiEqualIgnoringCase("user32.dll", "user32.dl"));
}

}  // namespace
}  // namespace telvo
