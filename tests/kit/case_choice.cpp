#include "kit/case_choice.h"

#include <cstdio>

#include "startup/russian_texts.h"

namespace telvo::kit {

namespace {

constexpr uint32_t kEnglishUnitedStates = 0x0409;

std::string LocaleName(uint32_t localeId) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(localeId));
    return text;
}

}  // namespace

TCaseChoice ChooseCases(bool windows64, uint32_t localeId) {
    const std::string locale = "user locale " + LocaleName(localeId);
    if (!windows64)
        return {"*Win32Prefix*:*AnyWindows*",
                "32-bit Windows, " + locale +
                    ": running the cases for 32-bit Windows and those for any Windows"};
    if (IsRussianTextLocale(localeId))
        return {"*RussianLocale*:*AnyWindows*",
                "64-bit Windows, " + locale +
                    ", one the package shows its Russian texts for: running the Russian-locale "
                    "cases and those for any Windows (the other cases expect the English texts)"};
    std::string reason = "64-bit Windows, " + locale +
                         ", one the package shows its English texts for: running every case but "
                         "those for 32-bit Windows and those for a Russian-text locale";
    if (localeId != kEnglishUnitedStates)
        reason +=
            ". The cases expect English (United States, 0x0409), so those that check the "
            "locale itself fail here";
    return {"-*Win32Prefix*:*RussianLocale*", reason};
}

}  // namespace telvo::kit
