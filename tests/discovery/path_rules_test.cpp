#include "discovery/path_rules.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TEST(AddTrailingBackslashTest, AppendsOnlyWhereMissing) {
    for (auto [before, after] : {std::pair{"", ""},
                                 {"C:", "C:\\"},
                                 {"C:\\", "C:\\"},
                                 {"C:\\Apps\\Telvo", "C:\\Apps\\Telvo\\"},
                                 {"Telvo", "Telvo\\"}}) {
        std::string folder = before;
        AddTrailingBackslash(folder);
        EXPECT_EQ(folder, after) << before;
    }
}

// The cut is the last backslash before the last byte; a leading quote moves the cut inside the
// quoted path; texts that name no folder give "".
TEST(UninstallFolderPartTest, CutsAtTheLastBackslashBeforeTheLastByte) {
    for (auto [text, folder] : {
             std::pair{"C:\\Apps\\Telvo\\unins000.exe", "C:\\Apps\\Telvo\\"},
             {"C:\\Apps\\Telvo\\", "C:\\Apps\\"},
             {"C:\\Apps\\Telvo\\unins000.exe /S", "C:\\Apps\\Telvo\\"},
             {"C:\\Apps\\Telvo\\unins000.exe /LOG=C:\\x.log",
              "C:\\Apps\\Telvo\\unins000.exe /LOG=C:\\"},
             {"\"C:\\Apps\\Telvo\\unins000.exe\"", "C:\\Apps\\Telvo\\"},
             {"\"C:\\Program Files\\Telvo\\unins000.exe\" /S /D=C:\\x",
              "C:\\Program Files\\Telvo\\"},
             {"\"C:\\Apps\\Telvo\\unins000.exe", "C:\\Apps\\Telvo\\"},
             {"\"C:\\Apps\\Telvo\\\"", "C:\\Apps\\"},
             {"x\\y", "x\\"},
             {"", ""},
             {"\\", ""},
             {"unins000.exe", ""},
             {"C:\\", ""},
             {"\"unins000.exe\" C:\\x", ""},
             {"\"", ""},
         }) {
        EXPECT_EQ(UninstallFolderPart(text), folder) << text;
    }
}

TEST(Wow6432KeyPathTest, GoesInAfterTheFirstBackslash) {
    EXPECT_EQ(Wow6432KeyPath("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"),
              "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
    EXPECT_EQ(Wow6432KeyPath("Software"), "WOW6432Node\\Software");
}

}  // namespace
}  // namespace telvo
