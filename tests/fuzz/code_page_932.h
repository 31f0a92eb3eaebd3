// The lead bytes of code page 932 (Japanese), where the second byte of many characters has a
// backslash's value: for the tests and fuzz targets of the folder rules.
#pragma once

#include "startup/lead_bytes.h"

namespace telvo::test {

inline TLeadBytes CodePage932() {
    TLeadBytes lead;
    for (unsigned b = 0x81; b <= 0x9F; ++b) lead.set(b);
    for (unsigned b = 0xE0; b <= 0xFC; ++b) lead.set(b);
    return lead;
}

}  // namespace telvo::test
