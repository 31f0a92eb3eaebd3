// The things about the data file writer and the install folder that a test cannot bring about
// from outside: which names the system's random generator draws for temporary files, a rename
// that the file system applies but reports as failed (as a network redirector can), a system
// whose final-path call gives no path and a file system that gives no file ids (as a file system
// or redirector may), a volume the system marks remote, and a rename or delete that another
// process holds up (as one holding an opportunistic lock it never lets go of can, on Windows).
// The package itself never replaces any of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace telvo {

class TInstallDirectory;

// Draws the tag of a temporary file's name from the system's random generator (RtlGenRandom).
// False when the generator fails: there is no second source, for a tag made from the clock or
// the process id is one that another process can know, and take first.
bool DrawTemporaryTag(uint32_t& tag);

// The writer's source of tags: DrawTemporaryTag unless a test replaced it.
bool NextTemporaryTag(uint32_t& tag);

using TTagSource = std::function<bool(uint32_t&)>;
// Installs another source of tags and returns the previous one; an empty one restores
// DrawTemporaryTag.
TTagSource ReplaceTemporaryTagSource(TTagSource source);

// The writer's rename of its new file over the target: TInstallDirectory::MoveInto unless a
// test replaced it. Returns a Win32 error code.
DWORD RenameInto(const TInstallDirectory& folder, HANDLE file, const std::wstring& name);

using TRenameInto = std::function<DWORD(const TInstallDirectory&, HANDLE, const std::wstring&)>;
// Installs another rename and returns the previous one; an empty one restores MoveInto.
TRenameInto ReplaceRenameInto(TRenameInto rename);

// Whether GetFinalPathNameByHandleW, where the system has it, gives no path for any file or
// folder, as a file system or redirector may: false unless a test said otherwise.
bool FinalPathsHidden();
// Sets that and returns what it was.
bool HideFinalPaths(bool hide);

// Whether the system gives no identity (file id or index) for any file, as a file system or
// redirector may: false unless a test said otherwise.
bool FileIdsHidden();
// Sets that and returns what it was.
bool HideFileIds(bool hide);

// Whether every volume counts as one the system marks remote: false unless a test said otherwise.
bool VolumesShownRemote();
// Sets that and returns what it was.
bool ShowVolumesRemote(bool remote);

// The file calls that run under a bound (install_directory.h).
enum class TFileCall { Rename, Delete };

// A step run on a bounded call's own thread before the call itself; false has the call end as
// cancelled (ERROR_OPERATION_ABORTED) without being made. Empty unless a test set one.
using TFileCallStall = std::function<bool(TFileCall)>;
// A copy of the step, taken for each call as it starts.
TFileCallStall FileCallStall();
// Installs another step and returns the previous one; an empty one removes it.
TFileCallStall ReplaceFileCallStall(TFileCallStall stall);

}  // namespace telvo
