// TLeadBytes: the lead bytes of a code page's double-byte characters, the one piece of a code
// page that the package's text rules need. Pure: no Windows calls.
#pragma once

#include <bitset>

namespace telvo {

// Bit b is set when byte b starts a double-byte character (code pages 932, 936, 949 and 950
// have such bytes; single-byte code pages such as 1251 and 1252 have none). The byte after a
// lead byte belongs to the same character and may have the value of a backslash (0x5C): in code
// page 932 the second byte of many characters does, so text in such a code page is read
// character by character from its start, never byte by byte from its end. The package takes the
// ANSI code page's table (AnsiLeadBytes, startup/code_page.h); tests pass any.
using TLeadBytes = std::bitset<256>;

}  // namespace telvo
