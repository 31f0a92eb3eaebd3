#include "startup/application_error_text.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TEST(ApplicationErrorTextTest, AddsAFullStopOnlyWhenTheMessageLacksOne) {
    EXPECT_EQ(FormatApplicationError("ERegistryException", "TelvoUpdate.exe", 0x0040A1B2,
                                     "Failed to get data for 'Desktop'"),
              "Exception ERegistryException in module TelvoUpdate.exe at 0040A1B2.\r\n"
              "Failed to get data for 'Desktop'.\r\n");
    EXPECT_EQ(FormatApplicationError("E", "m.exe", 0x1, "Done."),
              "Exception E in module m.exe at 00000001.\r\nDone.\r\n");
}

TEST(ApplicationErrorTextTest, DescribesHardwareExceptions) {
    const THardwareErrorText av =
        DescribeHardwareException(0xC0000005, 0x401000, "TelvoUpdate.exe", 1, 0);
    EXPECT_EQ(av.ClassName, "EAccessViolation");
    EXPECT_EQ(av.Message,
              "Access violation at address 00401000 in module 'TelvoUpdate.exe'. Write of address "
              "00000000");
    EXPECT_EQ(DescribeHardwareException(0xC0000094, 0, "m", 0, 0).ClassName, "EDivByZero");
    EXPECT_EQ(DescribeHardwareException(0xE0001234, 0, "m", 0, 0).Message,
              "External exception E0001234");
}

TEST(ApplicationErrorTextTest, FileNamePart) {
    EXPECT_EQ(FileNamePart("C:\\Apps\\TelvoUpdate.exe"), "TelvoUpdate.exe");
    EXPECT_EQ(FileNamePart("TelvoUpdate.exe"), "TelvoUpdate.exe");
}

}  // namespace
}  // namespace telvo
