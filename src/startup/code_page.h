// Wide text and the ANSI code page, in which the package keeps every string of its own. The
// system's conversion gives a look-alike for a character the code page cannot spell (a
// best fit); text that anyone may have written (a folder's name) is converted here without one.
#pragma once

#include <cstdint>
#include <string>

#include "startup/lead_bytes.h"

namespace telvo {

// The lead bytes of the ANSI code page's double-byte characters; none in a single-byte code
// page. Every folder text of the package is read with them (discovery/path_rules.h).
const TLeadBytes& AnsiLeadBytes();

// `text` in the ANSI code page as a wide string.
std::wstring WideFromAnsi(const std::string& text);

// `text` in the code page `codePage` as a wide string.
std::wstring WideFromCodePage(const std::string& text, uint32_t codePage);

// `text` in the ANSI code page; false where a character has no exact counterpart there.
bool AnsiFromWide(const std::wstring& text, std::string& ansi);

// `text` in the ANSI code page, each character without an exact counterpart given as "?".
std::string AnsiOrQuestionMarks(const std::wstring& text);

}  // namespace telvo
