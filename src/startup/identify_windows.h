// Whether the package runs on 64-bit Windows, asked of the running system.
#pragma once

namespace telvo {

// Gathers what Windows reports (version record, architecture, "ProductName") and decides from
// it; see windows_identity.h for the decision. Reports nothing to the user: every failure
// counts against 64-bit.
bool IdentifyWindows();

}  // namespace telvo
