#include "discovery/path_rules.h"
#include "fuzz/code_page_932.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

const TLeadBytes kSingleByte;

// "表" in code page 932: its second byte is a backslash's.
constexpr char kHyo[] = "\x95\x5C";

TEST(AddTrailingBackslashTest, AppendsOnlyWhereMissing) {
    for (auto [before, after] : {std::pair{"", ""},
                                 {"C:", "C:\\"},
                                 {"C:\\", "C:\\"},
                                 {"C:\\Apps\\Telvo", "C:\\Apps\\Telvo\\"},
                                 {"Telvo", "Telvo\\"}}) {
        std::string folder = before;
        AddTrailingBackslash(folder, kSingleByte);
        EXPECT_EQ(folder, after) << before;
    }
}

// In a double-byte code page a character whose second byte is 0x5C is no backslash; in a
// single-byte code page the same bytes end in one.
TEST(AddTrailingBackslashTest, ReadsDoubleByteCharactersWhole) {
    const std::string hyo = std::string("C:\\dbcs\\") + kHyo;
    std::string folder = hyo;
    AddTrailingBackslash(folder, test::CodePage932());
    EXPECT_EQ(folder, hyo + "\\");
    AddTrailingBackslash(folder, test::CodePage932());
    EXPECT_EQ(folder, hyo + "\\");
    folder = hyo;
    AddTrailingBackslash(folder, kSingleByte);
    EXPECT_EQ(folder, hyo);
    // A lead byte with nothing after it is a character of its own.
    folder = "C:\\\x95";
    AddTrailingBackslash(folder, test::CodePage932());
    EXPECT_EQ(folder, "C:\\\x95\\");
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
        EXPECT_EQ(UninstallFolderPart(text, kSingleByte), folder) << text;
    }
}

TEST(UninstallFolderPartTest, NeverCutsInsideADoubleByteCharacter) {
    const std::string hyo = std::string("C:\\dbcs\\") + kHyo;
    EXPECT_EQ(UninstallFolderPart(hyo + "\\unins000.exe", test::CodePage932()), hyo + "\\");
    EXPECT_EQ(UninstallFolderPart(hyo + "x.exe", test::CodePage932()), "C:\\dbcs\\");
    EXPECT_EQ(UninstallFolderPart(hyo, test::CodePage932()), "C:\\dbcs\\");
    EXPECT_EQ(UninstallFolderPart(hyo + "\\", test::CodePage932()), "C:\\dbcs\\");
}

TEST(Wow6432KeyPathTest, GoesInAfterTheFirstBackslash) {
    EXPECT_EQ(Wow6432KeyPath("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"),
              "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
    EXPECT_EQ(Wow6432KeyPath("Software"), "WOW6432Node\\Software");
}

}  // namespace
}  // namespace telvo
