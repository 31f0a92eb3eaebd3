#include "startup/russian_texts.h"

#include <algorithm>
#include <array>

namespace telvo {

namespace {

constexpr std::array<uint32_t, 7> kRussianTextLocales = {
    0x0402,  // Bulgarian
    0x0419,  // Russian
    0x0422,  // Ukrainian
    0x0423,  // Belarusian
    0x043F,  // Kazakh
    0x0444,  // Tatar
    0x0819,  // Russian (Moldova)
};

}  // namespace

bool IsRussianTextLocale(uint32_t localeId) {
    return std::find(kRussianTextLocales.begin(), kRussianTextLocales.end(), localeId) !=
           kRussianTextLocales.end();
}

}  // namespace telvo
