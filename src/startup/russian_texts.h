// Which user locales get the package's built-in texts in Russian. Pure, so that the test kit's
// runner chooses its Russian-locale cases by the very rule the package follows.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace telvo {

// The code page the built-in Russian texts are written in.
constexpr uint32_t kRussianTextCodePage = 1251;

// A built-in Russian text: its own words in code page 1251, and at most one name between them
// (a file's or a folder's, as the system gave it) in the ANSI code page. Two code pages in one
// text: only where the ANSI code page is 1251 are its joined bytes readable as they are.
struct TRussianText {
    TRussianText() = default;
    // Words alone, written at the call site as a plain literal.
    TRussianText(const char* words) : Before(words) {}
    // NOLINTNEXTLINE(bugprone-easily-swappable-parameters): words, name, words, as they read
    TRussianText(std::string before, std::string name, std::string after)
        : Before(std::move(before)), Name(std::move(name)), After(std::move(after)) {}
    std::string Joined() const { return Before + Name + After; }

    std::string Before;  // code page 1251
    std::string Name;    // the ANSI code page
    std::string After;   // code page 1251
};

// True for the seven locales whose users get the built-in texts in Russian. The whole id is
// compared, so other sublanguages of these languages do not qualify.
bool IsRussianTextLocale(uint32_t localeId);

}  // namespace telvo
