// Message texts: every text the package shows once the language files are loaded is looked up
// by its key, first in the current language file and, where that has no text, in the fallback
// file (russian.lng when Russian texts are shown, else english.lng). Nothing is cached: every
// lookup reads its file from the start. None of these raises an error to its caller; an
// unreadable file is reported to the user and gives "".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace telvo {

// Up to four texts for "%1" to "%4", in that order.
using TLangParams = std::vector<std::string>;

// The first line of the message under `key`, blanks included; "" when neither file has it.
std::string LangLine(std::string_view key);

// All lines of the message joined by CR LF, no line break at the end; the further lines come
// from the file that gave the first line. "" when neither file has it.
std::string LangLines(std::string_view key);

// LangLine / LangLines with the parameters put in place of "%1" to "%4" (SubstituteLangParams).
std::string LangLineParams(std::string_view key, const TLangParams& params);
std::string LangLinesParams(std::string_view key, const TLangParams& params);

// Error box (MessageBoxExA, style 0x200010) with `text`, the caption LocalCaption and the low
// 16 bits of LangCode as language id. Returns when the user has closed it.
void ShowLocalErrorBox(const std::string& text);

// Tells the user through ShowErrorBox that the language file `fileName` (as listed) cannot be
// used. Returns when the user has closed the box.
void ReportLangFileError(const std::string& fileName);

// Closes the current language file if a lookup left it open.
void ReleaseCurrentLangFile();

}  // namespace telvo
