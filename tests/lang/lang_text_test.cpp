#include "lang/lang_text.h"

#include <gtest/gtest.h>

#include "lang/builtin_texts.h"
#include "lang/lang_folder.h"

namespace telvo {
namespace {

using TLines = std::vector<std::string>;

// CR LF and LF end lines, a stray CR vanishes, Ctrl-Z ends the text.
TEST(SplitLangLinesTest, LineEndings) {
    const struct {
        std::string Text;
        TLines Lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\rb\r\r\nc", {"ab", "c"}},
        {"a\r\nb\x1A\r\nc\r\n", {"a", "b"}},
        {"\x1A[progname]\r\nTelvo", {}},
        {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLangLines(c.Text), c.Lines) << c.Text;
}

// The header rule: "[" in the first column, key and "]" right after it, any letter case.
TEST(IsLangHeaderTest, HeaderRule) {
    for (const char* line :
         {"[noright]", "[NoRight]", "[noright] remark", "[noright]\t \x01", "[NORIGHT]]"})
        EXPECT_TRUE(IsLangHeader(line, "noright")) << line;
    for (const char* line : {" [noright]", "\t[noright]", "[norightx]", "[ noright]", "noright]",
                             "[noright", "\xEF\xBB\xBF[noright]", "[nori ght]", ""})
        EXPECT_FALSE(IsLangHeader(line, "noright")) << line;
    EXPECT_FALSE(IsLangHeader("[langversion]", "langver"));
    EXPECT_TRUE(IsLangHeader("[langver]", "LangVer"));
}

// The first line is raw, further lines run to the first blank line, the first header wins.
TEST(FindLangMessageTest, EntryShapes) {
    const std::string text =
        "remark [noright]\r\n"
        "[noright]\r\n"
        "  Only an administrator  \r\n"
        "can update.\r\n"
        " \t\r\n"
        "ignored\r\n"
        "[noright]\r\n"
        "second header\r\n"
        "[empty]\r\n"
        "\r\n"
        "further line of an empty entry\r\n"
        "[looks]\r\n"
        "[noright]\r\n"
        "[runon]\r\n"
        "one\r\n"
        "two\r\n"
        "[next]\r\n"
        "three\r\n"
        "\r\n"
        "[last]";
    const struct {
        const char* Key;
        std::string FirstLine;
        TLines Further;
    } cases[] = {
        {"noright", "  Only an administrator  ", {"can update."}},
        {"NORIGHT", "  Only an administrator  ", {"can update."}},
        {"empty", "", {}},
        {"looks", "[noright]", {"[runon]", "one", "two", "[next]", "three"}},
        {"runon", "one", {"two", "[next]", "three"}},
        {"last", "", {}},
        {"absent", "", {}},
    };
    for (const auto& c : cases) {
        const TLangMessage message = FindLangMessage(text, c.Key);
        EXPECT_EQ(message.FirstLine, c.FirstLine) << c.Key;
        EXPECT_EQ(message.FurtherLines, c.Further) << c.Key;
    }
    EXPECT_EQ(JoinLangLines(FindLangMessage(text, "noright")),
              "  Only an administrator  \r\ncan update.");
    EXPECT_EQ(JoinLangLines({}), "");
}

// The integer rule, edge by edge.
TEST(ParseLangIntegerTest, IntegerRule) {
    const struct {
        const char* Text;
        std::optional<int32_t> Value;
    } cases[] = {
        // clang-format off
        {"1049", 1049}, {"   1049", 1049}, {"+1049", 1049}, {"-12", -12}, {"0001049", 1049},
        {"$419", 0x419}, {"x419", 0x419}, {"X419", 0x419}, {"0x419", 0x419}, {"0XabCD", 0xABCD},
        {"-$10", -16}, {"$FFFFFFFF", -1}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"2147483648", {}}, {"$100000000", {}}, {"99999999999999999999", {}}, {"1049 ", {}},
        {"1049\t", {}}, {"1049;", {}}, {"\t1049", {}}, {"", {}}, {"   ", {}}, {"-", {}},
        {"$", {}}, {"0x", {}}, {"00x1", {}}, {"$G", {}}, {"1a", {}}, {"+-1", {}}, {"- 1", {}},
        // clang-format on
    };
    for (const auto& c : cases) EXPECT_EQ(ParseLangInteger(c.Text), c.Value) << c.Text;
}

// "%1" to "%4" in order; the chain stops at the first number that does not occur.
TEST(SubstituteLangParamsTest, Chain) {
    const struct {
        const char* Text;
        std::vector<std::string> Params;
        const char* Result;
    } cases[] = {
        {"%1 and %1", {"x"}, "x and x"},
        {"only %2", {"a", "b"}, "only %2"},
        {"%1 %2 %3 %4", {"a", "b", "c", "d"}, "a b c d"},
        {"%1 %3", {"a", "b", "c"}, "a %3"},
        {"%1", {"%2"}, "%2"},
        {"%1", {"%2", "b"}, "b"},
        {"%1 %2", {"%1"}, "%1 %2"},
        {"%1%2", {"a"}, "a%2"},
        {"100%", {"a"}, "100%"},
        {"%10", {"a"}, "a0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SubstituteLangParams(c.Text, c.Params), c.Result) << c.Text;
}

// Names with "!", and names that only a short name brought into the listing, are dropped; the
// rest are ordered as NTFS lists them and keep their case.
TEST(MakeLangListTest, FiltersOrdersAndFindsTheRoles) {
    const TLangList list =
        MakeLangList({"russian.lng", "deutsch.lng", "English.LNG", "english!.lng", "!russian.lng",
                      "_x.lng", "Zulu.lng", "a.lng", "notes.lngx", "a.lng.txt", "lng"});
    EXPECT_EQ(list.Files,
              (TLines{"a.lng", "deutsch.lng", "English.LNG", "russian.lng", "Zulu.lng", "_x.lng"}));
    EXPECT_EQ(list.EnglishIndex, 2);
    EXPECT_EQ(list.RussianIndex, 3);
    EXPECT_EQ(MissingRequiredLangFile(list, true), "");

    const TLangList onlyEnglish = MakeLangList({"english.lng", "russian!.lng"});
    EXPECT_EQ(onlyEnglish.RussianIndex, -1);
    EXPECT_EQ(MissingRequiredLangFile(onlyEnglish, false), "");
    EXPECT_EQ(MissingRequiredLangFile(onlyEnglish, true), "russian.lng");
    EXPECT_EQ(MissingRequiredLangFile(MakeLangList({"russian.lng"}), true), "english.lng");
    EXPECT_EQ(MissingRequiredLangFile(MakeLangList({}), false), "english.lng");

    EXPECT_EQ(FindLangFile(list.Files, "Zulu.lng"), 4);
    EXPECT_EQ(FindLangFile(list.Files, "zulu.lng"), -1);
}

// The package's own texts, Russian ones byte for byte in code page 1251.
TEST(BuiltinTextsTest, ExactTexts) {
    const TBilingualText missing = MissingLangFileText("russian.lng");
    EXPECT_EQ(missing.English,
              "Can't work with no russian.lng file!\r\nPlease reinstall the program.");
    EXPECT_EQ(Joined(missing.Russian),
              "\xD0\xE0\xE1\xEE\xF2\xE0 \xE1\xE5\xE7 \xF4\xE0\xE9\xEB\xE0 russian.lng "
              "\xED\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xE0!\r\n"
              "\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xEF\xE5\xF0\xE5\xF3\xF1\xF2\xE0\xED\xEE"
              "\xE2\xE8\xF2\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xF3.");
    const TBilingualText faulty = FaultyLangFileText("x.lng");
    EXPECT_EQ(faulty.English, "x.lng file contains errors.\r\nPlease reinstall the program.");
    EXPECT_EQ(Joined(faulty.Russian),
              "\xD4\xE0\xE9\xEB x.lng \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 \xEE\xF8\xE8\xE1\xEA\xE8!"
              "\r\n\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xEF\xE5\xF0\xE5\xF3\xF1\xF2\xE0\xED"
              "\xEE\xE2\xE8\xF2\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xF3.");
    const TBilingualText unreadable = LangFileErrorText("x.lng");
    EXPECT_EQ(unreadable.English, "Can't handle the language support file x.lng");
    EXPECT_EQ(Joined(unreadable.Russian),
              "\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xF0\xE0\xE1\xEE\xF2\xE0\xF2\xFC \xF1 "
              "\xF4\xE0\xE9\xEB\xEE\xEC \xFF\xE7\xFB\xEA\xEE\xE2\xEE\xE9 \xEF\xEE\xE4\xE4\xE5"
              "\xF0\xE6\xEA\xE8 x.lng");
}

}  // namespace
}  // namespace telvo
