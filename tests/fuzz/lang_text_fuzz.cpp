// A language file as the package reads it: a user who can write the application's language
// folder controls every byte. Each input is one file's bytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "lang/lang_folder.h"
#include "lang/lang_text.h"
#include "startup/command_line.h"

namespace telvo {
namespace {

// The keys whose first lines the package reads as integers.
const char* const kIntegerKeys[] = {"langcode", "langver"};

// Lines again, ended by LF: what the splitting keeps of the text.
void CheckLines(std::string_view text, const std::vector<std::string>& lines) {
    std::string kept(text.substr(0, text.find('\x1A')));
    std::erase(kept, '\r');
    std::string joined;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n\x1A") == std::string::npos);
        joined += line + "\n";
    }
    if (!kept.empty() && kept.back() != '\n' && !joined.empty())
        joined.pop_back();
    FUZZ_CHECK(joined == kept);
}

// The message stands in the file's lines right after a header of its key, its further lines
// following it.
void CheckMessage(const std::vector<std::string>& lines, std::string_view key,
                  const TLangMessage& message) {
    const std::string joined = JoinLangLines(message);
    if (message.FirstLine.empty()) {
        FUZZ_CHECK(message.FurtherLines.empty() && joined.empty());
        FUZZ_CHECK(SplitAtLineBreaks(joined).empty());
        return;
    }
    size_t header = 0;
    while (header < lines.size() && !IsLangHeader(lines[header], key)) ++header;
    FUZZ_CHECK(header + 1 + message.FurtherLines.size() < lines.size());
    FUZZ_CHECK(lines[header + 1] == message.FirstLine);
    for (size_t i = 0; i < message.FurtherLines.size(); ++i)
        FUZZ_CHECK(lines[header + 2 + i] == message.FurtherLines[i]);
    std::vector<std::string> expected{message.FirstLine};
    expected.insert(expected.end(), message.FurtherLines.begin(), message.FurtherLines.end());
    FUZZ_CHECK(SplitAtLineBreaks(joined) == expected);
}

std::string Hex(uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
    return text;
}

std::string WithoutLeadingZeros(std::string digits) {
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    return digits;
}

// The digits of an integer found are its value's own digits, leading zeros aside: those of the
// magnitude for decimal text, those of the 32-bit pattern (negated after a "-") for hexadecimal.
void CheckDigits(std::string_view text, int32_t value) {
    text.remove_prefix(text.find_first_not_of(' '));
    const bool negative = text.starts_with('-');
    if (text.starts_with('-') || text.starts_with('+'))
        text.remove_prefix(1);
    bool hexadecimal = false;
    for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (text.starts_with(prefix)) {
            text.remove_prefix(prefix.size());
            hexadecimal = true;
            break;
        }
    }
    std::string digits(text);
    for (char& c : digits)
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
    const std::string expected =
        hexadecimal
            ? Hex(negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value))
            : std::to_string(negative ? -int64_t{value} : int64_t{value});
    FUZZ_CHECK(WithoutLeadingZeros(digits) == WithoutLeadingZeros(expected));
}

// An integer found is read back from its decimal and hexadecimal forms; leading blanks never
// matter and nothing may follow the digits.
void CheckInteger(std::string_view text) {
    const std::optional<int32_t> value = ParseLangInteger(text);
    FUZZ_CHECK(ParseLangInteger(" " + std::string(text)) == value);
    FUZZ_CHECK(!ParseLangInteger(std::string(text) + "x"));
    if (!value)
        return;
    CheckDigits(text, *value);
    FUZZ_CHECK(ParseLangInteger(std::to_string(*value)) == value);
    FUZZ_CHECK(ParseLangInteger("$" + Hex(static_cast<uint32_t>(*value))) == value);
}

size_t Occurrences(std::string_view text, std::string_view what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != text.npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

// Parameters that bring no "%" and cannot form a placeholder with their neighbours: every
// placeholder of the chain goes, the text grows by what replaced it, and the placeholders past
// the chain's end stay as written.
void CheckSubstitution(const std::string& text) {
    const std::vector<std::string> all{"<one>", "<two>", "<three>", "<four>"};
    const std::vector<std::string> params(all.begin(), all.begin() + text.size() % 5);
    const std::string result = SubstituteLangParams(text, params);
    size_t expectedSize = text.size();
    bool chained = true;
    for (size_t n = 0; n < all.size(); ++n) {
        const std::string placeholder = "%" + std::to_string(n + 1);
        const size_t count = Occurrences(text, placeholder);
        chained = chained && n < params.size() && count > 0;
        if (chained) {
            expectedSize += count * params[n].size() - count * placeholder.size();
            FUZZ_CHECK(result.find(placeholder) == result.npos);
        } else {
            FUZZ_CHECK(Occurrences(result, placeholder) == count);
        }
    }
    FUZZ_CHECK(result.size() == expectedSize);
}

// The names of the headers the file holds, as keys (up to the first "]").
std::vector<std::string> HeaderKeys(const std::vector<std::string>& lines) {
    std::vector<std::string> keys;
    for (const std::string& line : lines) {
        const size_t close = line.find(']');
        if (line.starts_with('[') && close != line.npos && keys.size() < 3)
            keys.push_back(line.substr(1, close - 1));
    }
    return keys;
}

void CheckKey(std::string_view text, const std::vector<std::string>& lines, std::string_view key) {
    const TLangMessage message = FindLangMessage(text, key);
    CheckMessage(lines, key, message);
    // The package's uses: the integer rule on a first line and on each line of a message, and
    // parameters put into both.
    CheckInteger(message.FirstLine);
    for (const std::string& line : SplitAtLineBreaks(JoinLangLines(message))) CheckInteger(line);
    CheckSubstitution(JoinLangLines(message));
}

// The file's lines taken as a folder listing: the list keeps the names of language files, drops
// those with "!" and those whose own name does not end in ".lng", and finds what it says it
// found.
void CheckListing(const std::vector<std::string>& lines) {
    const TLangList list = MakeLangList(lines);
    FUZZ_CHECK(list.Files.size() == static_cast<size_t>(std::count_if(
                                        lines.begin(), lines.end(), [](const std::string& line) {
                                            return line.find('!') == line.npos &&
                                                   IsLangFileName(line);
                                        })));
    for (const std::string& name : list.Files) {
        FUZZ_CHECK(name.find('!') == name.npos && IsLangFileName(name));
        const int32_t at = FindLangFile(list.Files, name);
        FUZZ_CHECK(at >= 0 && list.Files[at] == name);
    }
    for (const int32_t index : {list.RussianIndex, list.EnglishIndex}) {
        FUZZ_CHECK(index >= -1 && index < static_cast<int32_t>(list.Files.size()));
    }
    if (list.RussianIndex >= 0)
        FUZZ_CHECK(AsciiLower(list.Files[list.RussianIndex]) == "russian.lng");
    if (list.EnglishIndex >= 0)
        FUZZ_CHECK(AsciiLower(list.Files[list.EnglishIndex]) == "english.lng");
    FUZZ_CHECK(MakeLangList(list.Files).Files == list.Files);
}

}  // namespace
}  // namespace telvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace telvo;
    const std::string_view text = fuzz::AsText(data, size);
    const std::vector<std::string> lines = SplitLangLines(text);
    CheckLines(text, lines);
    // Every lookup splits the whole text again, so only a few keys per input: one absent, the
    // integer keys when their headers are there (a header line starts with "[", the key in lower
    // case and "]"), and the first keys the file's own headers name.
    const std::string lowered = AsciiLower(text);
    CheckKey(text, lines, "absent");
    for (const char* key : kIntegerKeys)
        if (lowered.find("[" + std::string(key) + "]") != lowered.npos)
            CheckKey(text, lines, key);
    for (const std::string& key : HeaderKeys(lines)) {
        for (const std::string& line : lines)
            if (line.starts_with("[" + key + "]"))
                FUZZ_CHECK(IsLangHeader(line, key));
        CheckKey(text, lines, key);
    }
    for (const std::string& line : lines) CheckInteger(line);
    CheckListing(lines);
    return 0;
}
