// Opening files through the native call, which takes a root directory and one name and can be
// told never to wait for another process: the install folder's opens and the package's open of
// its own file go through here.
#pragma once

#include <windows.h>

#include <string>

#include "startup/win_handles.h"

namespace telvo {

// NtCreateFile of `name`, relative to `root` where that is given (else `name` is a full NT path,
// "\??\C:\..."), with FILE_SYNCHRONOUS_IO_NONALERT and FILE_COMPLETE_IF_OPLOCKED added to
// `options`. Never waits for another process: where one holds an opportunistic lock on the
// entry, Windows would otherwise hold the open until the lock's break is acknowledged, for as
// long as the holder likes; such an open fails as in use (ERROR_SHARING_VIOLATION) instead.
// Returns a Win32 error code; `file` is set only on success.
DWORD OpenWithoutWaiting(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG share,
                         ULONG disposition, ULONG options, TFileHandle& file);

// The NT form ("\??\C:\...", "\??\UNC\server\...") of a Win32 path in any of its forms ("\\?\",
// "..", "/", UNC, relative to the current directory), made as the Win32 file functions make it;
// false where the text names no path.
bool NtPathOf(const std::wstring& path, std::wstring& ntPath);

// The Win32 error code of a native status.
DWORD ErrorOfStatus(LONG status);

}  // namespace telvo
