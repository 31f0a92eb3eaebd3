// Which user locales get the package's built-in texts in Russian, and the form those texts take.
// Pure, so that the test kit's runner chooses its Russian-locale cases by the very rule the
// package follows.
#pragma once

#include <cstdint>
#include <string>

namespace telvo {

// The code page the built-in Russian texts are written in.
constexpr uint32_t kRussianTextCodePage = 1251;

// A built-in Russian text: its own words in code page 1251, and at most one name between them
// (a file's or a folder's, as the system gave it) in the ANSI code page. Two code pages in one
// text: only where the ANSI code page is 1251 are its joined bytes readable as they are.
// Initialised, so that a text of words alone is written {.Before = "..."}.
struct TRussianText {
    std::string Before{};  // code page 1251
    std::string Name{};    // the ANSI code page
    std::string After{};   // code page 1251
};

// The text's bytes as one string: what MessageBoxExA would have been given.
inline std::string Joined(const TRussianText& text) {
    return text.Before + text.Name + text.After;
}

// True for the seven locales whose users get the built-in texts in Russian. The whole id is
// compared, so other sublanguages of these languages do not qualify.
bool IsRussianTextLocale(uint32_t localeId);

}  // namespace telvo
