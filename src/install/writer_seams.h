// The things about the data file writer that a test cannot bring about from outside: which
// names the system's random generator draws for temporary files, and a rename that the file
// system applies but reports as failed (as a network redirector can). The install folder's own
// are in folder/folder_seams.h. The package itself never replaces any of them.
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

}  // namespace telvo
