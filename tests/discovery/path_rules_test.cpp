#include "discovery/path_rules.h"
#include "fuzz/code_page_932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
}

// Every text of up to four bytes from a letter, a colon, a backslash, lead bytes and the second
// byte of "表", under no lead bytes, code page 932's and a table where every byte leads (the
// backslash too): the rule keeps the text, adds at most two bytes, ends it in a backslash
// character and changes nothing when applied again; a text that ends in one stays as it is.
TEST(AddTrailingBackslashTest, EndsInABackslashCharacterAndStaysSo) {
    TLeadBytes everyByte;
    everyByte.set();
    const std::string bytes = {'C', ':', '\\', '\x95', '\x81', '\xFC', 'a'};
    std::vector<std::string> texts;
    std::vector<std::string> shorter = {""};
    for (int length = 1; length <= 4; ++length) {
        std::vector<std::string> longer;
        for (const std::string& text : shorter)
            for (char byte : bytes) longer.push_back(text + byte);
        texts.insert(texts.end(), longer.begin(), longer.end());
        shorter = std::move(longer);
    }
    for (const TLeadBytes& lead : {kSingleByte, test::CodePage932(), everyByte}) {
        for (const std::string& text : texts) {
            std::string folder = text;
            AddTrailingBackslash(folder, lead);
            ASSERT_TRUE(folder.starts_with(text) && folder.size() <= text.size() + 2) << text;
            ASSERT_TRUE(test::EndsInBackslashCharacter(folder, lead)) << text;
            if (test::EndsInBackslashCharacter(text, lead)) {
                ASSERT_EQ(folder, text);
            }
            std::string again = folder;
            AddTrailingBackslash(again, lead);
            ASSERT_EQ(again, folder) << text;
        }
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
