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

// Waits until the desktop shell answers (desktop_shell.h), so that the package can start the
// application through it; true when it does within `timeoutMs`. Wine starts a display's desktop
// explorer when a process first asks for the desktop window, and its shell windows answer a
// little later. Sets the calling process's COM security first (com_security.h), on the calling
// thread, as the package's run does.
bool WaitForDesktopShell(uint32_t timeoutMs = 30000);

// Ends every stand-in running, slow ones that already closed their window and ones that never
// opened one included, so that the files they hold can be replaced.
void EndEveryStandIn();

// Waits for the process to end; true when it did.
bool WaitForExit(const TProcessHandle& process, uint32_t timeoutMs = 10000);

// What the stand-in in `folder` noted of its starts ("starts.txt"), empty when it noted none. A
// stand-in started unelevated on Windows cannot write into Program Files, and UAC then puts its
// record into the user's VirtualStore: that copy is read where there is one.
std::string StartRecords(const std::string& folder);

// The value of "NAME=" in the last start of `records`, empty when there is none.
std::string LastStartField(const std::string& records, const std::string& name);

// True when the file can be opened with exclusive access right now.
bool CanOpenExclusively(const std::string& path);

}  // namespace telvo::test
