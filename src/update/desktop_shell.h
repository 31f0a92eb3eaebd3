// Starting a program as the desktop user. The package runs elevated; a program it started
// itself would inherit its elevated token, and, when an administrator elevated the package for
// a standard user, that administrator's account. The desktop shell (Explorer) runs as the user
// who is logged on, unelevated, so a program it starts does too.
#pragma once

#include <string>

namespace telvo {

// Asks the desktop shell to open `file` with no arguments and `folder` as its working
// directory: the shell windows' desktop (FindWindowSW with SWC_DESKTOP), its top-level browser,
// the active view's folder view, the shell's Application object, IShellDispatch2::ShellExecute.
// Returns false when any link of that chain is missing (no shell running, interfaces not
// implemented) or the run did not set the process's COM security first (com_security.h: no
// custom marshalling, the shell may only identify the caller), so the caller can
// start the program another way; true once the shell took the request (whether the program
// then starts is the shell's business). Every call into the shell waits for it without a limit.
bool ShellExecuteAsDesktopUser(const std::string& file, const std::string& folder);

// True when that chain reaches the desktop's folder view right now, without starting anything:
// for callers that must know the shell is ready before they run the package.
bool DesktopShellAnswers();

}  // namespace telvo
