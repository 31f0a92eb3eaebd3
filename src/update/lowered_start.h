// Starting a program with less than the package's rights, where the desktop shell cannot start
// it as the desktop user. The package runs elevated, and the folder of the program it starts
// may come from a per-user value that any program of the user can set: started with the
// package's own token, such a program would get administrator rights.
#pragma once

#include <windows.h>

#include <string>

#include "startup/win_handles.h"

namespace telvo {

// A primary token of the package's own user without administrator rights: what Windows' "normal
// user" level of the software restriction policies computes, made directly (SAFER's own calls
// are not implemented by every Windows-compatible system, and a token they fail to make must
// not be taken for one). The Administrators group is for deny only, every privilege but
// SeChangeNotifyPrivilege is removed, the token is marked a limited (LUA) one and, from Windows
// Vista on, its integrity level is medium. Empty when any step fails.
TTokenHandle LoweredToken();

// Starts `executable` (full path, no arguments) with `token`, `folder` as its working directory
// and the package's environment, shown normally. Nothing waits for it; false when it could not
// be started.
bool StartWithToken(HANDLE token, const std::string& executable, const std::string& folder);

}  // namespace telvo
