// The package's own texts about the language files, in English and Russian (code page 1251):
// they must be shown when the language files themselves cannot be used.
#pragma once

#include <string>

#include "startup/russian_texts.h"

namespace telvo {

// One message in both languages, as ShowErrorBox takes it.
struct TBilingualText {
    std::string English;
    TRussianText Russian;
};

// A required language file (named without a folder) is missing.
TBilingualText MissingLangFileText(const std::string& fileName);

// A language file holds a value that must be an integer and is not.
TBilingualText FaultyLangFileText(const std::string& fileName);

// A language file cannot be opened or read. No full stop or line break at the end.
TBilingualText LangFileErrorText(const std::string& fileName);

}  // namespace telvo
