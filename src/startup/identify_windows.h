// Whether the package runs on 64-bit Windows, asked of the running system.
#pragma once

#include <cstdint>

namespace telvo {

// Gathers what Windows reports (version record, architecture, "ProductName") and decides from
// it; see windows_identity.h for the decision. Reports nothing to the user: every failure
// counts against 64-bit.
bool IdentifyWindows();

// The major version GetVersionExA reports: 5 on Windows XP, 6 on every Windows from Vista on
// (the package's manifest names no supported systems); 0 when it cannot be had.
uint32_t WindowsMajorVersion();

}  // namespace telvo
