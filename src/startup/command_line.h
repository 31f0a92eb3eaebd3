// Command-line words, split the way the package has always read them. Pure: no Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace telvo {

// The argument at `index` of `commandLine` (0 is the program's own path), or "" when there is
// none. Blanks and control characters (bytes 0x01-0x20) separate arguments; a double-quoted
// stretch belongs to one argument and its quotes are dropped.
std::string CommandLineArgument(std::string_view commandLine, int index);

// Turns the ASCII letters A-Z into lower case and leaves every other byte as it is, so that
// letters of the ANSI code page (Cyrillic among them) stay unchanged.
std::string AsciiLower(std::string_view text);

// Whether `a` and `b` are equal once A-Z are lower-cased, without the locale's rules (no sorting
// tables to load) and without allocating.
bool AsciiEqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace telvo
