#include "startup/nt_files.h"

#include <winternl.h>

#include "startup/safe_loading.h"

namespace telvo {
namespace {

// NTDLL is mapped from the system folder before a process's first instruction; its calls,
// looked up by name, stay out of the import table.
template <typename TFunction>
TFunction NtEntry(const char* name) {
    return reinterpret_cast<TFunction>(SystemEntry("ntdll.dll", name));
}

constexpr ULONG kNoWaitOptions = FILE_SYNCHRONOUS_IO_NONALERT | FILE_COMPLETE_IF_OPLOCKED;
// The success status of an open that met an opportunistic lock whose break is under way: it
// gives a handle all the same.
constexpr NTSTATUS kOplockBreakInProgress = 0x00000108;

}  // namespace

DWORD ErrorOfStatus(LONG status) {
    static const auto toDosError =
        NtEntry<decltype(&RtlNtStatusToDosError)>("RtlNtStatusToDosError");
    return status == 0 ? ERROR_SUCCESS : toDosError(status);
}

DWORD OpenWithoutWaiting(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG share,
                         ULONG disposition, ULONG options, TFileHandle& file) {
    static const auto createFile = NtEntry<decltype(&NtCreateFile)>("NtCreateFile");
    file.reset();
    UNICODE_STRING objectName{};
    objectName.Buffer = const_cast<PWSTR>(name.c_str());
    objectName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, root, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE opened = nullptr;
    const NTSTATUS result =
        createFile(&opened, access | SYNCHRONIZE, &attributes, &status, nullptr,
                   FILE_ATTRIBUTE_NORMAL, share, disposition, kNoWaitOptions | options, nullptr, 0);
    // Every success status gives a handle; only a plain success is an open the caller gets.
    TFileHandle handle(NT_SUCCESS(result) ? opened : nullptr);
    // Another process holds the entry and is asked to let go: in use, as a sharing violation.
    if (result == kOplockBreakInProgress)
        return ERROR_SHARING_VIOLATION;
    if (result == 0)
        file = std::move(handle);
    return ErrorOfStatus(result);
}

bool NtPathOf(const std::wstring& path, std::wstring& ntPath) {
    using TDosPathToNtPath = BOOLEAN(NTAPI*)(PCWSTR, PUNICODE_STRING, PWSTR*, PVOID);
    static const auto toNtPath = NtEntry<TDosPathToNtPath>("RtlDosPathNameToNtPathName_U");
    static const auto freeString = NtEntry<decltype(&RtlFreeUnicodeString)>("RtlFreeUnicodeString");
    UNICODE_STRING converted{};
    if (path.empty() || !toNtPath(path.c_str(), &converted, nullptr, nullptr))
        return false;
    ntPath.assign(converted.Buffer, converted.Length / sizeof(wchar_t));
    freeString(&converted);
    return !ntPath.empty();
}

}  // namespace telvo
