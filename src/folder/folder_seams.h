// The things about the install folder that a test cannot bring about from outside: a system
// whose final-path call gives no path and a file system that gives no file ids (as a file system
// or redirector may), a volume the system marks remote, and a rename or delete that another
// process holds up (as one holding an opportunistic lock it never lets go of can, on Windows).
// The package itself never replaces any of them.
#pragma once

#include <functional>

namespace telvo {

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

// The file calls that run under a bound (file_calls.h).
enum class TFileCall { Rename, Delete };

// A step run on a bounded call's own thread before the call itself; false has the call end as
// cancelled (ERROR_OPERATION_ABORTED) without being made. Empty unless a test set one.
using TFileCallStall = std::function<bool(TFileCall)>;
// A copy of the step, taken for each call as it starts.
TFileCallStall FileCallStall();
// Installs another step and returns the previous one; an empty one removes it.
TFileCallStall ReplaceFileCallStall(TFileCallStall stall);

}  // namespace telvo
