// Watching the stand-in application from tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "startup/win_handles.h"

namespace telvo::test {

// Starts the stand-in at `path` (no arguments) and waits until its main window is up.
// Returns its process handle, empty when it did not come up.
TProcessHandle StartStandIn(const std::string& path, uint32_t timeoutMs = 10000);

// The process of the window of class "TTelvoMainForm", once one is up (empty on timeout).
TProcessHandle WaitForStandInWindow(uint32_t timeoutMs = 10000);

// Waits for the process to end; true when it did.
bool WaitForExit(const TProcessHandle& process, uint32_t timeoutMs = 10000);

// True when the file can be opened with exclusive access right now.
bool CanOpenExclusively(const std::string& path);

}  // namespace telvo::test
