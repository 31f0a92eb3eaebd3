// The lead bytes of code page 932 (Japanese), where the second byte of many characters has a
// backslash's value, and the reading of a text character by character: for the tests and fuzz
// targets of the folder rules.
#pragma once

#include <string_view>

#include "startup/lead_bytes.h"

namespace telvo::test {

inline TLeadBytes CodePage932() {
    TLeadBytes lead;
    for (unsigned b = 0x81; b <= 0x9F; ++b) lead.set(b);
    for (unsigned b = 0xE0; b <= 0xFC; ++b) lead.set(b);
    return lead;
}

// True when the last character of `text`, read from its start as Windows reads it (a lead byte
// and the byte after it are one character; a lead byte at the end is one alone), is a backslash.
inline bool EndsInBackslashCharacter(std::string_view text, const TLeadBytes& lead) {
    size_t last = 0;  // where the last character starts
    for (size_t at = 0; at < text.size();) {
        last = at;
        at += lead[static_cast<unsigned char>(text[at])] && at + 1 < text.size() ? 2 : 1;
    }
    return !text.empty() && last == text.size() - 1 && text[last] == '\\';
}

}  // namespace telvo::test
