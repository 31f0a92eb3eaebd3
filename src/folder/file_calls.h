// The calls the run makes on one open file of the install folder that change it: its
// attributes, its name and its deletion, through the native call that takes a root directory and
// one name. A rename or a delete may wait for another process without end, so each runs under a
// bound.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <string>

#include "folder/file_in_use.h"
#include "folder/folder_seams.h"

namespace telvo {

// NtSetInformationFile of one class of information on `file`. Returns the NTSTATUS.
NTSTATUS SetFileInformation(HANDLE file, void* information, ULONG size,
                            FILE_INFORMATION_CLASS kind);

// Runs `call` on `file` (and `folder`, `name` for a rename: `file` gets the name `name` in
// `folder`, replacing an entry of that name) on a thread of its own and waits for it at most
// `boundMs`. Returns the call's Win32 error code, ERROR_TIMEOUT past the bound.
DWORD RunBounded(TFileCall call, HANDLE file, HANDLE folder, const std::wstring& name,
                 uint32_t boundMs) noexcept;

// Sets the attributes of the file behind `file` (opened with FILE_WRITE_ATTRIBUTES) to
// FILE_ATTRIBUTE_NORMAL: no read-only, hidden or system mark. Its times stay as they are.
bool MakePlain(HANDLE file);

// Deletes the file behind `file` (opened with DELETE and FILE_WRITE_ATTRIBUTES access) when that
// handle is closed. A read-only file, which the system refuses to delete, is made plain first.
// The call runs on a thread of its own and is waited for at most `boundMs`: a rename or a delete
// breaks an opportunistic lock that another process holds on the file and waits for that
// process to acknowledge the break, which it may never do. Past the bound it is cancelled where
// the system can and gives ERROR_TIMEOUT; the file may then still go when its handles are
// closed, or stay. Returns a Win32 error code.
DWORD DeleteOnClose(HANDLE file, uint32_t boundMs = kFileCallBoundMs);

}  // namespace telvo
