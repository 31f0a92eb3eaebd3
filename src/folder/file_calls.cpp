#include "folder/file_calls.h"

#include <memory>
#include <vector>

#include "startup/nt_files.h"
#include "startup/safe_loading.h"
#include "startup/win_handles.h"

namespace telvo {

NTSTATUS SetFileInformation(HANDLE file, void* information, ULONG size,
                            FILE_INFORMATION_CLASS kind) {
    static const auto setInformation = reinterpret_cast<decltype(&NtSetInformationFile)>(
        SystemEntry("ntdll.dll", "NtSetInformationFile"));
    IO_STATUS_BLOCK status{};
    return setInformation(file, &status, information, size, kind);
}

namespace {

// A rename or a delete breaks an opportunistic lock that another process holds on the file
// (or, for a rename over it, on the target) and waits until that process acknowledges the
// break, for as long as it likes: FILE_COMPLETE_IF_OPLOCKED covers opens only, and any user who
// may list the folder can take such a lock through a handle opened for the attributes alone,
// which passes every share mode. So each of these calls runs on a short-lived thread of its own
// and is waited for no longer than its bound; past that, it is cancelled where the system can
// (CancelSynchronousIo, Windows Vista on) and left to end on its own.
//
// The other road, an opportunistic lock of the package's own on its new file, would keep others
// from that one file only: leftovers and the target are not the package's, and a file system or
// redirector without such locks would leave nothing to take.
//
// The thread works on duplicates of the handles, its own, and on its own copy of everything
// else: a thread that outlives its bound never meets a closed handle, a handle value reused for
// another file, or freed memory, whatever the run does meanwhile; the last of the two owners
// frees the work. The process may end while such a thread still waits: the end of the process
// cancels the thread's request as CancelSynchronousIo does (a wait for a lock's break ends when
// its request is cancelled), and the thread touches nothing the process's exit tears down.
struct TBoundedWork {
    TFileCall Call = TFileCall::Delete;
    TFileHandle File;
    TFileHandle Folder;
    std::wstring Name;
    TFileCallStall Stall;
    DWORD Result = ERROR_OPERATION_ABORTED;
    LONG Owners = 2;
};

void Release(TBoundedWork* work) {
    if (InterlockedDecrement(&work->Owners) == 0)
        delete work;
}

DWORD Rename(HANDLE folder, HANDLE file, const std::wstring& name) {
    const size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<ULONGLONG> buffer(
        (sizeof(FILE_RENAME_INFORMATION) + nameBytes) / sizeof(ULONGLONG) + 1);
    const size_t bufferBytes = buffer.size() * sizeof(ULONGLONG);
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = folder;
    rename->FileNameLength = static_cast<ULONG>(nameBytes);
    name.copy(rename->FileName, name.size());
    return ErrorOfStatus(
        SetFileInformation(file, rename, static_cast<ULONG>(bufferBytes), FileRenameInformation));
}

DWORD MarkForDeletion(HANDLE file) {
    FILE_DISPOSITION_INFORMATION disposition{TRUE};
    const auto mark = [&] {
        return SetFileInformation(file, &disposition, sizeof disposition,
                                  FileDispositionInformation) == 0;
    };
    // The system refuses to delete a read-only file, by handle as by name; another process
    // that may write the file's attributes can mark it so.
    return mark() || (MakePlain(file) && mark()) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

DWORD WINAPI RunBoundedWork(void* parameter) {
    auto* work = static_cast<TBoundedWork*>(parameter);
    if (work->Stall && !work->Stall(work->Call))
        work->Result = ERROR_OPERATION_ABORTED;
    else if (work->Call == TFileCall::Rename)
        work->Result = Rename(work->Folder.get(), work->File.get(), work->Name);
    else
        work->Result = MarkForDeletion(work->File.get());
    Release(work);
    return 0;
}

bool Duplicate(HANDLE handle, TFileHandle& copy) {
    const HANDLE process = GetCurrentProcess();
    return DuplicateHandle(process, handle, process, copy.put(), 0, FALSE, DUPLICATE_SAME_ACCESS) !=
           FALSE;
}

}  // namespace

DWORD RunBounded(TFileCall call, HANDLE file, HANDLE folder, const std::wstring& name,
                 uint32_t boundMs) noexcept {
    using TCancelSynchronousIo = BOOL(WINAPI*)(HANDLE);
    static const auto cancel = reinterpret_cast<TCancelSynchronousIo>(
        OptionalSystemEntry("kernel32.dll", "CancelSynchronousIo"));
    std::unique_ptr<TBoundedWork> owned;
    try {
        owned = std::make_unique<TBoundedWork>();
        owned->Name = name;
        owned->Stall = FileCallStall();
    } catch (...) {
        // Deletes run from destructors too: without memory for it, the call is not made.
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    owned->Call = call;
    if (!Duplicate(file, owned->File) || (folder && !Duplicate(folder, owned->Folder)))
        return GetLastError();
    const TThreadHandle thread(CreateThread(nullptr, 64 * 1024, RunBoundedWork, owned.get(),
                                            STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread)
        return GetLastError();
    TBoundedWork* const work = owned.release();
    DWORD result = ERROR_TIMEOUT;
    if (WaitForSingleObject(thread.get(), boundMs) == WAIT_OBJECT_0)
        result = work->Result;
    else if (cancel)
        cancel(thread.get());
    Release(work);
    return result;
}

bool MakePlain(HANDLE file) {
    // Zero times stay as they are; FILE_ATTRIBUTE_NORMAL alone clears every other attribute.
    FILE_BASIC_INFORMATION basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformation(file, &basic, sizeof basic, FileBasicInformation) == 0;
}

DWORD DeleteOnClose(HANDLE file, uint32_t boundMs) {
    return RunBounded(TFileCall::Delete, file, nullptr, {}, boundMs);
}

}  // namespace telvo
