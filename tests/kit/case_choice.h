// Which test cases the kit's runner runs on a machine, and the sentence that says why. Pure: the
// runner gathers the facts (GetNativeSystemInfo, GetUserDefaultLCID).
#pragma once

#include <cstdint>
#include <string>

namespace telvo::kit {

struct TCaseChoice {
    std::string Filter;  // GoogleTest's --gtest_filter
    std::string Reason;  // one or two sentences for the console, naming the locale id
};

// 32-bit Windows: the cases for 32-bit Windows and those for any Windows. 64-bit Windows with a
// locale the package gives its Russian texts (IsRussianTextLocale, the package's own rule): the
// Russian-locale cases and those for any Windows, since every other case expects the English
// texts. Any other 64-bit Windows: every case but those two sets; where the locale is not
// English (United States) the reason warns that the cases checking the locale itself fail.
TCaseChoice ChooseCases(bool windows64, uint32_t localeId);

}  // namespace telvo::kit
