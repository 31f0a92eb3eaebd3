#include "install/install_directory.h"

#include <winternl.h>

#include <vector>

#include "install/write_plan.h"
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

constexpr ULONG kCreateOptions = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT;

DWORD ErrorOf(NTSTATUS status) {
    static const auto toDosError =
        NtEntry<decltype(&RtlNtStatusToDosError)>("RtlNtStatusToDosError");
    return status == 0 ? ERROR_SUCCESS : toDosError(status);
}

NTSTATUS SetFileInformation(HANDLE file, void* information, ULONG size,
                            FILE_INFORMATION_CLASS kind) {
    static const auto setInformation =
        NtEntry<decltype(&NtSetInformationFile)>("NtSetInformationFile");
    IO_STATUS_BLOCK status{};
    return setInformation(file, &status, information, size, kind);
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
    if (!finalPath)
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

}  // namespace

TInstallDirectory TInstallDirectory::Open(const std::string& folder) {
    TInstallDirectory directory;
    if (!IsFileSystemFolderPath(folder))
        return directory;
    // Backup semantics open directories; the folder may be shared with anyone, for the handle
    // stays what it was opened as whatever happens to the names above it.
    TFileHandle handle(CreateFileA(
        folder.empty() ? "." : folder.c_str(),
        FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle || GetFileType(handle.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle.get(), &information) ||
        !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return directory;
    directory.FinalPath = FinalPathOf(handle.get());
    directory.Handle = std::move(handle);
    return directory;
}

DWORD TInstallDirectory::OpenEntry(const std::wstring& name, ACCESS_MASK access, ULONG share,
                                   ULONG disposition, TFileHandle& file) const {
    static const auto createFile = NtEntry<decltype(&NtCreateFile)>("NtCreateFile");
    UNICODE_STRING objectName{};
    objectName.Buffer = const_cast<PWSTR>(name.c_str());
    objectName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, Handle.get(),
                               nullptr);
    IO_STATUS_BLOCK status{};
    const ULONG options =
        kCreateOptions | (disposition == FILE_CREATE ? FILE_NON_DIRECTORY_FILE : 0);
    HANDLE opened = nullptr;
    const NTSTATUS result =
        createFile(&opened, access | SYNCHRONIZE, &attributes, &status, nullptr,
                   FILE_ATTRIBUTE_NORMAL, share, disposition, options, nullptr, 0);
    file.reset(result == 0 ? opened : nullptr);
    return ErrorOf(result);
}

bool TInstallDirectory::IsPlainEntry(HANDLE file, const std::wstring& name) const {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        information.nNumberOfLinks != 1)
        return false;
    // Links that the file system does not mark as such (a Unix one under Wine) show in where
    // the opened file really lies. Where the system could say but gives no path for the folder,
    // nothing can be told: the entry counts as not plain, and a leftover stays. Only a system
    // without the call (Windows XP, with no such links either) goes by the attributes alone.
    if (FinalPath.empty())
        return FinalPathCall() == nullptr;
    return Holds(file, name);
}

bool TInstallDirectory::Holds(HANDLE file, const std::wstring& name) const {
    return !FinalPath.empty() && IsPathOfEntry(FinalPath, FinalPathOf(file), name);
}

std::vector<std::wstring> TInstallDirectory::EntryNames() const {
    static const auto queryDirectory = NtEntry<TNtQueryDirectoryFile>("NtQueryDirectoryFile");
    std::vector<std::wstring> names;
    std::vector<ULONGLONG> buffer(8 * 1024);  // 64 KiB, aligned as the entries need
    const size_t bufferBytes = buffer.size() * sizeof(ULONGLONG);
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IO_STATUS_BLOCK status{};
        const NTSTATUS result = queryDirectory(Handle.get(), nullptr, nullptr, nullptr, &status,
                                               buffer.data(), static_cast<ULONG>(bufferBytes),
                                               FileDirectoryInformation, FALSE, nullptr, restart);
        if (result != 0)
            break;  // no more entries, or a failure: what was listed stands
        const auto* bytes = reinterpret_cast<const char*>(buffer.data());
        for (ULONG offset = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(bytes + offset);
            std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..")
                names.push_back(std::move(name));
            if (entry->NextEntryOffset == 0)
                break;
            offset += entry->NextEntryOffset;
        }
    }
    return names;
}

DWORD TInstallDirectory::MoveInto(HANDLE file, const std::wstring& name) const {
    const size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<ULONGLONG> buffer(
        (sizeof(FILE_RENAME_INFORMATION) + nameBytes) / sizeof(ULONGLONG) + 1);
    const size_t bufferBytes = buffer.size() * sizeof(ULONGLONG);
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = Handle.get();
    rename->FileNameLength = static_cast<ULONG>(nameBytes);
    name.copy(rename->FileName, name.size());
    return ErrorOf(
        SetFileInformation(file, rename, static_cast<ULONG>(bufferBytes), FileRenameInformation));
}

bool MakePlain(HANDLE file) {
    // Zero times stay as they are; FILE_ATTRIBUTE_NORMAL alone clears every other attribute.
    FILE_BASIC_INFORMATION basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformation(file, &basic, sizeof basic, FileBasicInformation) == 0;
}

bool DeleteOnClose(HANDLE file) {
    FILE_DISPOSITION_INFORMATION disposition{TRUE};
    const auto markForDeletion = [&] {
        return SetFileInformation(file, &disposition, sizeof disposition,
                                  FileDispositionInformation) == 0;
    };
    // The system refuses to delete a read-only file, by handle as by name; another process
    // that may write the file's attributes can mark it so.
    return markForDeletion() || (MakePlain(file) && markForDeletion());
}

}  // namespace telvo
