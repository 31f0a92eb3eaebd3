// The package's command line: whoever starts the package chooses it. Each input is one command
// line.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "startup/command_line.h"
#include "update/flow_rules.h"

namespace telvo {
namespace {

// Arguments are taken from the line, quotes and separators left out: together they are never
// longer than the line, and none holds a quote.
void CheckArguments(std::string_view line) {
    size_t total = 0;
    for (int index = 0; index <= 64; ++index) {
        const std::string argument = CommandLineArgument(line, index);
        FUZZ_CHECK(argument.find('"') == argument.npos);
        total += argument.size();
    }
    FUZZ_CHECK(total <= line.size());
    FUZZ_CHECK(CommandLineArgument(line, -1).empty());
    FUZZ_CHECK(CommandLineArgument(line, INT_MAX).empty());
}

// Words without quotes, each written in quotes and separated by one blank, come back as they
// were, whatever blanks and control characters they hold.
void CheckQuotedWords(std::string_view line) {
    std::vector<std::string> words;
    std::string quoted;
    for (size_t start = 0; words.size() < 16;) {
        const size_t quote = line.find('"', start);
        words.emplace_back(line.substr(start, quote - start));
        quoted += "\"" + words.back() + "\" ";
        if (quote == line.npos)
            break;
        start = quote + 1;
    }
    for (size_t i = 0; i < words.size(); ++i)
        FUZZ_CHECK(CommandLineArgument(quoted, static_cast<int>(i)) == words[i]);
    FUZZ_CHECK(CommandLineArgument(quoted, static_cast<int>(words.size())).empty());
}

// Lower case changes the letters A-Z only, and only once.
void CheckLowerCase(std::string_view text) {
    const std::string lower = AsciiLower(text);
    FUZZ_CHECK(lower.size() == text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const bool capital = text[i] >= 'A' && text[i] <= 'Z';
        FUZZ_CHECK(lower[i] == (capital ? text[i] - 'A' + 'a' : text[i]));
    }
    FUZZ_CHECK(AsciiLower(lower) == lower);
}

}  // namespace
}  // namespace telvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace telvo;
    const std::string_view line = fuzz::AsText(data, size);
    CheckArguments(line);
    CheckQuotedWords(line);
    CheckLowerCase(line);
    // The package's own reading of its words.
    const std::string mode = AsciiLower(CommandLineArgument(line, 1));
    if (IsSilentMode(mode))
        FUZZ_CHECK(mode == "modest");
    if (WantsApplicationStarted(CommandLineArgument(line, 2)))
        FUZZ_CHECK(CommandLineArgument(line, 2).size() == 6);
    return 0;
}
