// The install folder, opened once per run as a directory as soon as it is known. Everything the
// run does there happens relative to that handle, by one name without a folder part, and never
// through a link at that name: the application check, the language files, the version read,
// the writer's creates, renames and deletes, and the size walk. The package runs elevated, and
// the folder may be one that a less-trusted process can write, or be chosen by a per-user
// value. Looked up again by path, a name could be steered by a link planted in the folder's
// chain or at the name itself, between the checks and the write or within the write, and the
// run would then read texts from, write into or measure another folder than the one it checked.
//
// No call here waits for another process without a bound, the folder's own open included: where
// one holds an opportunistic lock on the folder or an entry, an open fails at once as in use (a
// sharing violation), so the run's own waits (the folder's, the version read's, the writer's)
// bound it, and a rename or a delete, which cannot be told not to wait, is given up past its
// bound (MoveInto, DeleteOnClose). An open for the attributes alone passes such a lock, as it
// passes share modes, and can take one.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "folder/file_calls.h"
#include "folder/file_identity.h"
#include "folder/file_in_use.h"
#include "folder/listing_bound.h"
#include "folder/folder_rules.h"
#include "startup/win_handles.h"

namespace telvo {

class TInstallDirectory {
  public:
    // One entry of a listing.
    struct TEntry {
        std::wstring Name;
        uint32_t Attributes = 0;
        uint32_t SizeLow = 0;  // the low 32 bits of the size, as a directory listing gives it
    };
    // Takes one entry of a listing (its own to keep); false ends the listing.
    using TEntryVisitor = std::function<bool(TEntry&)>;

    // Nothing opened: tests false, and every operation on entries fails.
    TInstallDirectory() = default;

    // Opens `folder` (a path ending in "\", or empty for the current directory) once, its ANSI
    // text converted once, and without waiting for another process. A folder reached through
    // links is the directory it resolves to. Opened to add files to where the user may, else to
    // read only (a later create then fails). Empty when the path is no folder of a file system
    // (a device, an object-manager path) or cannot be opened; empty and InUse when the folder
    // is there but another process holds it (opened without sharing it for writing, or under
    // an opportunistic lock whose break is under way).
    static TInstallDirectory Open(const std::string& folder);

    ~TInstallDirectory() = default;
    TInstallDirectory(const TInstallDirectory&) = delete;
    TInstallDirectory& operator=(const TInstallDirectory&) = delete;
    TInstallDirectory(TInstallDirectory&&) = default;
    TInstallDirectory& operator=(TInstallDirectory&&) = default;
    explicit operator bool() const { return Handle.valid(); }
    // True when the opening met another process's hold on the folder: a later one may succeed.
    bool InUse() const { return Held; }

    // The folder as text, for messages that name a path: what Open was given, or the parent's
    // text + the name + "\" for a sub-folder. Kept also when the opening failed.
    const std::string& Path() const { return Text; }

    // Opens the sub-folder `name` relative to this one, to list it and open entries in it. Empty
    // when it is missing, no folder, or a link of any kind: a symbolic link, a junction or a
    // mount point (by its attributes), or a link the file system does not mark as such (by
    // where the system says it lies).
    TInstallDirectory OpenFolder(const std::wstring& name) const;

    // True when the entry `name` exists here and is no folder (a link at the name is looked at
    // itself, never followed).
    bool HasFile(const std::wstring& name) const;

    // Opens the file `name` when it is this directory's own entry: not reached through a link
    // (by its attributes and by where it lies) and no folder. Returns whether it did.
    bool OpenOwnFile(const std::wstring& name, ACCESS_MASK access, ULONG share,
                     TFileHandle& file) const;

    // True when `file`, opened here as `name` (OpenEntry), is this directory's own entry of that
    // name: not reached through a link, by its attributes and by where it lies.
    bool IsOwnFile(HANDLE file, const std::wstring& name) const;

    // The entries whose names match `mask` ("*" and "?" as wildcards; every entry when empty),
    // "." and ".." left out, in the order the file system gives them. Every call but the first
    // lists through a fresh opening of this directory, since a listing's mask sticks to the
    // handle it was first given on. Empty when the directory cannot be listed.
    std::vector<TEntry> Entries(const std::wstring& mask = {}) const;

    // Entries, given one at a time to `visit` as the listing goes, until it returns false: a
    // folder of any size is listed without holding all its entries.
    void VisitEntries(const std::wstring& mask, const TEntryVisitor& visit) const;

    // Opens the entry `name` itself, never a link's target (the link is opened as a file
    // instead, where the file system has links of its own), and never a folder: a folder at the
    // name fails with access denied. `disposition` is FILE_OPEN or FILE_CREATE; a created file
    // is a plain file. Returns a Win32 error code, 0 on success.
    DWORD OpenEntry(const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                    TFileHandle& file) const;

    // True when `file`, opened by OpenEntry as `name`, is a plain file that is this directory's
    // own entry of that name: no folder, no link of any kind (checked both by its attributes and
    // by where the system says it lies), no second name for another file. False whenever the
    // system has GetFinalPathNameByHandleW but gives no path for the folder or the entry; on a
    // system without the call (Windows XP) the attributes decide alone.
    bool IsPlainEntry(HANDLE file, const std::wstring& name) const;

    // Whether the open `file` is this directory's entry `name`, asked two ways (SameFileOfAnswers):
    // where the system says the file lies, and the identity (volume and file id) of the entry now
    // at the name, opened here for its attributes without following a link. No only where both
    // say no; Unknown where they disagree or neither can tell.
    TSameFile Holds(HANDLE file, const std::wstring& name) const;

    // True when the system marks the directory's volume remote (a network share, a redirector),
    // or cannot say that it is not: such a volume's answers about a file are not to be trusted
    // with its deletion.
    bool OnRemoteVolume() const;

    // The names of the entries that match `mask` (as Entries), "." and ".." left out, as the
    // listing goes until `bound` has passed (its entries, or its time): the names listed by then.
    // A folder that a user may write can hold millions of entries, or gain them while it is
    // listed.
    std::vector<std::wstring> EntryNames(const std::wstring& mask, const TWalkBound& bound) const;

    // Gives `file` (opened here with DELETE access) the name `name` in this directory, replacing
    // the entry of that name if there is one; the file stays open. Waits at most `boundMs` for
    // the call (bounded file calls: see DeleteOnClose) and then gives ERROR_TIMEOUT: the rename
    // may then still happen, or not, at any time. Returns a Win32 error code.
    DWORD MoveInto(HANDLE file, const std::wstring& name,
                   uint32_t boundMs = kFileCallBoundMs) const;

  private:
    // NtCreateFile of `name` relative to this directory with FILE_OPEN_REPARSE_POINT and
    // `options`; the empty name opens this directory again. Never waits for another process:
    // an entry under an opportunistic lock whose break is under way fails as in use
    // (ERROR_SHARING_VIOLATION). Returns a Win32 error code.
    DWORD OpenRelative(const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                       ULONG options, TFileHandle& file) const;
    // True when `entry`, opened here as `name` and lying at `entryPath` (its final path), is no
    // link: neither marked as one nor lying anywhere but at this directory's final path + "\" +
    // `name`.
    bool IsOwnEntry(HANDLE entry, const std::wstring& name, const std::wstring& entryPath) const;

    std::string Text;
    TFileHandle Handle;
    std::wstring FinalPath;       // where the system says the directory lies; empty where it cannot
    mutable bool Listed = false;  // whether the handle has taken a listing, and so its mask
    bool Held = false;            // the opening met another process's hold on the folder
};

// The attributes of the open file or directory behind `handle`, or INVALID_FILE_ATTRIBUTES.
// Asked of the file system alone: GetFileInformationByHandle also asks for the volume's serial
// number, which Wine answers through its mount manager, another process (0.4 to 1.5 ms a call,
// measured, against microseconds for this).
DWORD AttributesOf(HANDLE handle);

}  // namespace telvo
