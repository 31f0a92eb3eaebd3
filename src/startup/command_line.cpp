#include "startup/command_line.h"

namespace telvo {
namespace {

bool IsSeparator(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::string CommandLineArgument(std::string_view commandLine, int index) {
    size_t pos = 0;
    const size_t end = commandLine.size();
    for (int current = 0;; ++current) {
        while (pos < end && IsSeparator(commandLine[pos])) ++pos;
        if (pos >= end)
            return {};
        std::string argument;
        while (pos < end && !IsSeparator(commandLine[pos])) {
            if (commandLine[pos] == '"') {
                ++pos;
                while (pos < end && commandLine[pos] != '"') argument += commandLine[pos++];
                if (pos < end)
                    ++pos;  // the closing quote
            } else {
                argument += commandLine[pos++];
            }
        }
        if (current == index)
            return argument;
    }
}

std::string AsciiLower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

bool AsciiEqualIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

}  // namespace telvo
