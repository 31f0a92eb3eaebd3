#include "startup/identify_windows.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

// A 64-bit prefix reports version 6.1 of the NT family on architecture 9 to a 32-bit program.
TEST(IdentifyWindowsTest, SixtyFourBitPrefixIs64Bit) {
    EXPECT_TRUE(IdentifyWindows());
}

TEST(IdentifyWindowsWin32PrefixTest, ThirtyTwoBitPrefixIsNot64Bit) {
    EXPECT_FALSE(IdentifyWindows());
}

}  // namespace
}  // namespace telvo
