// The folder the data file is written into, opened once as a directory. Every create, rename and
// delete of the writer happens relative to that handle, by one name without a folder part, and
// never through a link at that name: the package runs elevated, and the folder may be one that
// a less-trusted process can write, or be chosen by a per-user value. Looked up again by path,
// a name could be steered by a link planted in the folder's chain or at the name itself, and a
// create, rename or delete would then reach a file outside the folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "startup/win_handles.h"

namespace telvo {

class TInstallDirectory {
  public:
    // Opens `folder` (a path ending in "\", or empty for the current directory) once. A folder
    // reached through links is the directory it resolves to. Empty when the path is no folder of
    // a file system (a device, an object-manager path) or cannot be opened to add files to.
    static TInstallDirectory Open(const std::string& folder);

    ~TInstallDirectory() = default;
    TInstallDirectory(const TInstallDirectory&) = delete;
    TInstallDirectory& operator=(const TInstallDirectory&) = delete;
    TInstallDirectory(TInstallDirectory&&) = default;
    TInstallDirectory& operator=(TInstallDirectory&&) = default;
    explicit operator bool() const { return Handle.valid(); }

    // Opens the entry `name` itself, never a link's target (the link is opened as a file
    // instead, where the file system has links of its own). `disposition` is FILE_OPEN or
    // FILE_CREATE; a created file is a plain file. Returns a Win32 error code, 0 on success.
    DWORD OpenEntry(const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                    TFileHandle& file) const;

    // True when `file`, opened by OpenEntry as `name`, is a plain file that is this directory's
    // own entry of that name: no folder, no link of any kind (checked both by its attributes and
    // by where the system says it lies), no second name for another file. False whenever the
    // system has GetFinalPathNameByHandleW but gives no path for the folder or the entry; on a
    // system without the call (Windows XP) the attributes decide alone.
    bool IsPlainEntry(HANDLE file, const std::wstring& name) const;

    // True when the system says the open `file` lies in this directory under `name`; false
    // where it cannot say.
    bool Holds(HANDLE file, const std::wstring& name) const;

    // The names of the directory's entries, "." and ".." left out.
    std::vector<std::wstring> EntryNames() const;

    // Gives `file` (opened here with DELETE access) the name `name` in this directory, replacing
    // the entry of that name if there is one; the file stays open. Returns a Win32 error code.
    DWORD MoveInto(HANDLE file, const std::wstring& name) const;

  private:
    TInstallDirectory() = default;

    TFileHandle Handle;
    std::wstring FinalPath;  // where the system says the directory lies; empty where it cannot
};

// Sets the attributes of the file behind `file` (opened with FILE_WRITE_ATTRIBUTES) to
// FILE_ATTRIBUTE_NORMAL: no read-only, hidden or system mark. Its times stay as they are.
bool MakePlain(HANDLE file);

// Deletes the file behind `file` (opened with DELETE and FILE_WRITE_ATTRIBUTES access) when that
// handle is closed. A read-only file, which the system refuses to delete, is made plain first.
bool DeleteOnClose(HANDLE file);

}  // namespace telvo
