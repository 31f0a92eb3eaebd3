#include "folder/install_directory.h"

#include <winternl.h>

#include <memory>
#include <vector>

#include "folder/file_calls.h"
#include "folder/file_identity.h"
#include "folder/folder_seams.h"
#include "startup/code_page.h"
#include "startup/nt_files.h"
#include "startup/safe_loading.h"

namespace telvo {
namespace {

// The native file calls take a root directory and one name, which the Win32 file functions do
// not. They come from NTDLL, which every process has mapped from the system folder before its
// first instruction; looked up by name, they stay out of the import table.
template <typename TFunction>
TFunction NtEntry(const char* name) {
    return reinterpret_cast<TFunction>(SystemEntry("ntdll.dll", name));
}
using TNtQueryDirectoryFile = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK,
                                               PVOID, ULONG, FILE_INFORMATION_CLASS, BOOLEAN,
                                               PUNICODE_STRING, BOOLEAN);
using TGetFinalPathNameByHandleW = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What a folder is opened for to be listed and to have entries opened in it.
constexpr ACCESS_MASK kListAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// One class of information about an open file or directory; false where the system gives none.
template <typename TInformation>
bool QueryFile(HANDLE handle, TInformation& information, FILE_INFORMATION_CLASS kind) {
    static const auto queryInformation =
        NtEntry<decltype(&NtQueryInformationFile)>("NtQueryInformationFile");
    IO_STATUS_BLOCK status{};
    return queryInformation(handle, &status, &information, sizeof information, kind) == 0;
}

// GetFinalPathNameByHandleW, which came with Windows Vista; null on Windows XP.
TGetFinalPathNameByHandleW FinalPathCall() {
    static const auto finalPath = reinterpret_cast<TGetFinalPathNameByHandleW>(
        OptionalSystemEntry("kernel32.dll", "GetFinalPathNameByHandleW"));
    return finalPath;
}

// Where the system says an open file or directory lies, in its "\\?\" form. Empty where it
// cannot say: Windows XP lacks the call, and a file system or redirector may give no path.
std::wstring FinalPathOf(HANDLE handle) {
    const TGetFinalPathNameByHandleW finalPath = FinalPathCall();
    if (!finalPath || FinalPathsHidden())
        return {};
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = finalPath(handle, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length >= path.size()) {
        path.resize(length);
        length = finalPath(handle, path.data(), static_cast<DWORD>(path.size()), 0);
    }
    path.resize(length < path.size() ? length : 0);
    return path;
}

// The folder, opened by its path as a directory, following links on the way and at its end (a
// folder reached through links is the directory it resolves to). It may be shared with anyone,
// for the handle stays what it was opened as whatever happens to the names above it. Returns a
// Win32 error code.
DWORD OpenFolderByPath(const std::wstring& ntPath, ACCESS_MASK access, TFileHandle& folder) {
    return OpenWithoutWaiting(nullptr, ntPath, access, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE,
                              folder);
}

}  // namespace

DWORD AttributesOf(HANDLE handle) {
    FILE_BASIC_INFORMATION information{};
    return QueryFile(handle, information, FileBasicInformation) ? information.FileAttributes
                                                                : INVALID_FILE_ATTRIBUTES;
}

TInstallDirectory TInstallDirectory::Open(const std::string& folder) {
    TInstallDirectory directory;
    directory.Text = folder;
    std::wstring ntPath;
    if (!IsFileSystemFolderPath(folder) ||
        !NtPathOf(folder.empty() ? L"." : WideFromAnsi(folder), ntPath))
        return directory;
    TFileHandle handle;
    DWORD error = OpenFolderByPath(ntPath, kListAccess | FILE_ADD_FILE, handle);
    // A user who may not add files here still meets the checks before the write, the rights
    // check among them, as before; the write then fails with its message.
    if (error == ERROR_ACCESS_DENIED)
        error = OpenFolderByPath(ntPath, kListAccess, handle);
    // Another process opened the folder without sharing it for writing, or holds a lock on it
    // that it was asked to give up: the folder is there, in use.
    directory.Held = error == ERROR_SHARING_VIOLATION;
    if (error != ERROR_SUCCESS || GetFileType(handle.get()) != FILE_TYPE_DISK)
        return directory;
    const DWORD attributes = AttributesOf(handle.get());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return directory;
    directory.FinalPath = FinalPathOf(handle.get());
    directory.Handle = std::move(handle);
    return directory;
}

DWORD TInstallDirectory::OpenRelative(const std::wstring& name, ACCESS_MASK access, ULONG share,
                                      ULONG disposition, ULONG options, TFileHandle& file) const {
    file.reset();
    if (!Handle)
        return ERROR_INVALID_HANDLE;  // a relative name without a root would name another place
    return OpenWithoutWaiting(Handle.get(), name, access, share, disposition,
                              FILE_OPEN_REPARSE_POINT | options, file);
}

DWORD TInstallDirectory::OpenEntry(const std::wstring& name, ACCESS_MASK access, ULONG share,
                                   ULONG disposition, TFileHandle& file) const {
    return OpenRelative(name, access, share, disposition, FILE_NON_DIRECTORY_FILE, file);
}

TInstallDirectory TInstallDirectory::OpenFolder(const std::wstring& name) const {
    TInstallDirectory folder;
    folder.Text = Text + AnsiOrQuestionMarks(name) + "\\";
    TFileHandle handle;
    if (name.empty() || OpenRelative(name, kListAccess, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE,
                                     handle) != ERROR_SUCCESS)
        return folder;
    std::wstring finalPath = FinalPathOf(handle.get());
    if (!IsOwnEntry(handle.get(), name, finalPath))
        return folder;
    folder.FinalPath = std::move(finalPath);
    folder.Handle = std::move(handle);
    return folder;
}

bool TInstallDirectory::HasFile(const std::wstring& name) const {
    TFileHandle entry;
    if (name.empty() ||
        OpenRelative(name, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, 0, entry) != ERROR_SUCCESS)
        return false;
    const DWORD attributes = AttributesOf(entry.get());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TInstallDirectory::OpenOwnFile(const std::wstring& name, ACCESS_MASK access, ULONG share,
                                    TFileHandle& file) const {
    if (name.empty() ||
        OpenRelative(name, access, share, FILE_OPEN, FILE_NON_DIRECTORY_FILE, file) !=
            ERROR_SUCCESS ||
        !IsOwnEntry(file.get(), name, FinalPathOf(file.get()))) {
        file.reset();
        return false;
    }
    return true;
}

bool TInstallDirectory::IsOwnFile(HANDLE file, const std::wstring& name) const {
    return IsOwnEntry(file, name, FinalPathOf(file));
}

bool TInstallDirectory::IsOwnEntry(HANDLE entry, const std::wstring& name,
                                   const std::wstring& entryPath) const {
    const DWORD attributes = AttributesOf(entry);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    // A Unix link under Wine carries no attribute of its own; it shows in where the opened
    // entry really lies. Where the system could say that but gives no path, nothing can be told,
    // and the entry is refused; only a system without the call goes by the attributes alone.
    if (FinalPath.empty())
        return FinalPathCall() == nullptr;
    return IsPathOfEntry(FinalPath, entryPath, name);
}

bool TInstallDirectory::IsPlainEntry(HANDLE file, const std::wstring& name) const {
    const DWORD attributes = AttributesOf(file);
    FILE_STANDARD_INFORMATION standard{};
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        !QueryFile(file, standard, FileStandardInformation) || standard.NumberOfLinks != 1)
        return false;
    // Links that the file system does not mark as such (a Unix one under Wine) show in where
    // the opened file really lies. Where the system could say but gives no path for the folder,
    // nothing can be told: the entry counts as not plain, and a leftover stays. Only a system
    // without the call (Windows XP, with no such links either) goes by the attributes alone.
    if (FinalPath.empty())
        return FinalPathCall() == nullptr;
    return IsPathOfEntry(FinalPath, FinalPathOf(file), name);
}

TSameFile TInstallDirectory::Holds(HANDLE file, const std::wstring& name) const {
    TSameFile byPath = TSameFile::Unknown;
    if (!FinalPath.empty()) {
        const std::wstring filePath = FinalPathOf(file);
        if (!filePath.empty())
            byPath = IsPathOfEntry(FinalPath, filePath, name) ? TSameFile::Yes : TSameFile::No;
    }
    // The entry now at the name, opened for its attributes alone (which neither meets a share
    // mode nor breaks an opportunistic lock), is or is not the same file of the same volume.
    TFileHandle entry;
    const DWORD error = OpenRelative(name, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, 0, entry);
    TSameFile byIdentity = TSameFile::Unknown;
    if (error == ERROR_FILE_NOT_FOUND)
        byIdentity = TSameFile::No;
    else if (error == ERROR_SUCCESS)
        byIdentity = SameByIdentity(IdentityOf(file), IdentityOf(entry.get()));
    return SameFileOfAnswers(byPath, byIdentity);
}

bool TInstallDirectory::OnRemoteVolume() const {
    return VolumesShownRemote() || !Handle || IsOnRemoteVolume(Handle.get());
}

void TInstallDirectory::VisitEntries(const std::wstring& mask, const TEntryVisitor& visit) const {
    static const auto queryDirectory = NtEntry<TNtQueryDirectoryFile>("NtQueryDirectoryFile");
    // A listing's mask sticks to the handle it was first given on: the opening itself takes the
    // first listing, every later one goes through a fresh opening of the same directory.
    TFileHandle fresh;
    if (Listed && OpenRelative(L"", FILE_LIST_DIRECTORY, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE,
                               fresh) != ERROR_SUCCESS)
        return;
    Listed = true;
    const HANDLE listing = fresh ? fresh.get() : Handle.get();
    UNICODE_STRING pattern{};
    pattern.Buffer = const_cast<PWSTR>(mask.c_str());
    pattern.Length = static_cast<USHORT>(mask.size() * sizeof(wchar_t));
    pattern.MaximumLength = pattern.Length;
    std::vector<ULONGLONG> buffer(8 * 1024);  // 64 KiB, aligned as the entries need
    const size_t bufferBytes = buffer.size() * sizeof(ULONGLONG);
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IO_STATUS_BLOCK status{};
        const NTSTATUS result =
            queryDirectory(listing, nullptr, nullptr, nullptr, &status, buffer.data(),
                           static_cast<ULONG>(bufferBytes), FileDirectoryInformation, FALSE,
                           mask.empty() ? nullptr : &pattern, restart);
        if (result != 0)
            return;  // no more entries, or a failure: what was listed stands
        const auto* bytes = reinterpret_cast<const char*>(buffer.data());
        for (ULONG offset = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(bytes + offset);
            TEntry found{std::wstring(entry->FileName, entry->FileNameLength / sizeof(wchar_t)),
                         entry->FileAttributes, static_cast<uint32_t>(entry->EndOfFile.LowPart)};
            if (found.Name != L"." && found.Name != L".." && !visit(found))
                return;
            if (entry->NextEntryOffset == 0)
                break;
            offset += entry->NextEntryOffset;
        }
    }
}

std::vector<TInstallDirectory::TEntry> TInstallDirectory::Entries(const std::wstring& mask) const {
    std::vector<TEntry> entries;
    VisitEntries(mask, [&](TEntry& entry) {
        entries.push_back(std::move(entry));
        return true;
    });
    return entries;
}

std::vector<std::wstring> TInstallDirectory::EntryNames(const std::wstring& mask,
                                                        const TWalkBound& bound) const {
    std::vector<std::wstring> names;
    VisitEntries(mask, [&](TEntry& entry) {
        if (names.size() == bound.MaxEntries || (bound.Expired && bound.Expired()))
            return false;
        names.push_back(std::move(entry.Name));
        return true;
    });
    return names;
}

DWORD TInstallDirectory::MoveInto(HANDLE file, const std::wstring& name, uint32_t boundMs) const {
    return RunBounded(TFileCall::Rename, file, Handle.get(), name, boundMs);
}

}  // namespace telvo
