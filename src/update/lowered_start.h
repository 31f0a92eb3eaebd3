// Starting a program as the desktop user where the desktop shell cannot start it. The package
// runs elevated, and the folder of the program it starts may come from a per-user value that any
// program of the user can set: started with the package's own token, such a program would get
// administrator rights; with a restricted copy of it, still the package's account (an
// administrator's, where one elevated a standard user's update) and its elevated logon session.
// So the package starts it itself only where its own token already is the desktop user's.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "startup/win_handles.h"
#include "update/start_rights.h"

namespace telvo {

// A primary token for the application where the package's own token already is the desktop
// user's plain token (start_rights.h, MayStartWithOwnToken): its user is the one logged on to
// the package's session (WTSQuerySessionInformation, looked up as a SID), no service account,
// and it is no elevated half of a split token (TokenElevationType default or limited). Empty
// otherwise, and where any step fails. The token is a restricted copy all the same: where
// User Account Control does not split an administrator's token (UAC off), the desktop user
// runs with administrator rights, and the application gets none of them: every administrative
// group is for deny only, every privilege but SeChangeNotifyPrivilege is removed, the token is
// marked a limited (LUA) one, its default DACL grants the user and the system, and, from
// Windows Vista on, its integrity level is medium. (Windows lets a process start another with
// no other token without a privilege that administrators lack.)
TTokenHandle LoweredToken();

// The same for a given token instead of the package's own (opened with TOKEN_DUPLICATE,
// TOKEN_QUERY, TOKEN_ASSIGN_PRIMARY and TOKEN_ADJUST_DEFAULT): LoweredToken's whole work.
TTokenHandle LoweredTokenOf(HANDLE own);

// Where LoweredToken learns the session's user (nullopt: not learnt): the terminal services'
// name of the package's session, looked up as a SID, unless a test replaced it. Under Wine that
// user is every token's own, so only a replaced source can tell the two apart.
using TSessionUserSource = std::function<std::optional<TSidBytes>()>;
// Installs another source and returns the previous one; an empty one restores the lookup.
TSessionUserSource ReplaceSessionUserSource(TSessionUserSource source);

// Starts `executable` (full path, no arguments) with `token`, `folder` as its working directory
// and the package's environment, shown normally. Nothing waits for it; false when it could not
// be started.
bool StartWithToken(HANDLE token, const std::string& executable, const std::string& folder);

}  // namespace telvo
