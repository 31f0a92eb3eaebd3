// Starting a program with less than the package's rights, where the desktop shell cannot start
// it as the desktop user. The package runs elevated, and the folder of the program it starts
// may come from a per-user value that any program of the user can set: started with the
// package's own token, such a program would get administrator rights.
#pragma once

#include <windows.h>

#include <string>

#include "startup/win_handles.h"

namespace telvo {

// A primary token of the package's own user with no more than a standard user's rights: every
// group that User Account Control's filtered token of the same logon does not have enabled,
// and every well-known administrative group, is for deny only (start_rights.h); every
// privilege but SeChangeNotifyPrivilege is removed; the token is marked a limited (LUA) one;
// its default DACL grants the user and the system; and, from Windows Vista on, its integrity
// level is medium. A restricted copy of the package's own token, since Windows lets a process
// start another with no other token without a privilege that administrators lack. (SAFER's
// "normal user" level computes much the same, but its calls are not implemented by every
// Windows-compatible system, and a token they fail to make must not be taken for one.) Empty
// where any step fails, and where the package's user is a service account (LocalSystem,
// LocalService, NetworkService): such a program would run with a service's rights.
TTokenHandle LoweredToken();

// Starts `executable` (full path, no arguments) with `token`, `folder` as its working directory
// and the package's environment, shown normally. Nothing waits for it; false when it could not
// be started.
bool StartWithToken(HANDLE token, const std::string& executable, const std::string& folder);

}  // namespace telvo
