#include "lang/lang_text.h"

#include "startup/command_line.h"

namespace telvo {
namespace {

constexpr char kEndOfText = 26;  // Ctrl-Z

bool IsBlankByte(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view StripBlanks(std::string_view text) {
    while (!text.empty() && IsBlankByte(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankByte(text.back())) text.remove_suffix(1);
    return text;
}

int DigitValue(char c, int base) {
    int digit = -1;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    return digit < base ? digit : -1;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    size_t start = 0;
    for (size_t at; (at = text.find(from, start)) != std::string_view::npos;
         start = at + from.size()) {
        result.append(text.substr(start, at - start));
        result.append(to);
    }
    result.append(text.substr(start));
    return result;
}

}  // namespace

std::vector<std::string> SplitLangLines(std::string_view text) {
    text = text.substr(0, text.find(kEndOfText));
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

bool IsLangHeader(std::string_view line, std::string_view key) {
    if (!line.starts_with('['))
        return false;
    const std::string header = AsciiLower(StripBlanks(line));
    return header.find(AsciiLower(key) + "]") == 1;
}

TLangMessage FindLangMessage(std::string_view text, std::string_view key) {
    const std::vector<std::string> lines = SplitLangLines(text);
    size_t i = 0;
    while (i < lines.size() && !IsLangHeader(lines[i], key)) ++i;
    if (i + 1 >= lines.size() || lines[i + 1].empty())
        return {};
    TLangMessage message{lines[i + 1], {}};
    for (i += 2; i < lines.size() && !StripBlanks(lines[i]).empty(); ++i)
        message.FurtherLines.push_back(lines[i]);
    return message;
}

std::string JoinLangLines(const TLangMessage& message) {
    std::string text = message.FirstLine;
    for (const std::string& line : message.FurtherLines) text += "\r\n" + line;
    return text;
}

std::vector<std::string> SplitAtLineBreaks(std::string_view text) {
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string_view::npos; start = at + 2)
        lines.emplace_back(text.substr(start, at - start));
    lines.emplace_back(text.substr(start));
    return lines;
}

std::optional<int32_t> ParseLangInteger(std::string_view text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos)
        return std::nullopt;
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-')
        ++i;
    int base = 10;
    const std::string_view rest = text.substr(i);
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
        base = 16;
        i += 1;
    } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFu)
            return std::nullopt;
    }
    if (base == 16) {
        const uint32_t bits = static_cast<uint32_t>(magnitude);
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    const int64_t value =
        negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::string SubstituteLangParams(std::string text, const std::vector<std::string>& params) {
    for (size_t n = 0; n < params.size() && n < 4; ++n) {
        const std::string placeholder = "%" + std::to_string(n + 1);
        if (text.find(placeholder) == std::string::npos)
            break;
        text = ReplaceAll(text, placeholder, params[n]);
    }
    return text;
}

}  // namespace telvo
