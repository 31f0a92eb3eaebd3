// Which user locales get the package's built-in texts in Russian. Pure, so that the test kit's
// runner chooses its Russian-locale cases by the very rule the package follows.
#pragma once

#include <cstdint>

namespace telvo {

// True for the seven locales whose users get the built-in texts in Russian. The whole id is
// compared, so other sublanguages of these languages do not qualify.
bool IsRussianTextLocale(uint32_t localeId);

}  // namespace telvo
