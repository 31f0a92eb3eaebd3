#include "install/data_file_writer.h"

#include <windows.h>

#include "install/file_in_use.h"
#include "install/piece_write.h"
#include "install/write_plan.h"
#include "startup/startup_state.h"
#include "startup/win_handles.h"

namespace telvo {

namespace {

// Temporary names tried before giving up; each is taken only if no file has it yet.
constexpr uint32_t kTemporaryNameAttempts = 16;

// Runs of the package take turns at writing: a run holds this lock from the removal of earlier
// runs' leftovers until its own temporary file has replaced the target or is gone, so the
// leftovers it removes can only be those of runs that ended, killed or crashed. The global
// namespace reaches runs in other sessions and cannot be taken by a process without the right
// to create global objects (standard users lack it). A run killed while holding the lock
// leaves it abandoned, which the next run takes over as usual.
constexpr char kWriterLockName[] = "Global\\TelvoUpdate.DataFileWriter";
// Another run's write, retries included, takes seconds; a holder that keeps the lock far longer
// is stuck, and this run then fails rather than wait without end.
constexpr DWORD kWriterLockWaitMs = 60 * 1000;

struct TCarriedBytes {
    const void* Data = nullptr;
    DWORD Size = 0;
};

bool InUseError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The resource stays mapped in the module's image, so `loaded` only has to outlive the write.
bool FindCarriedBytes(const std::string& name, const std::string& type, TLoadedResource& loaded,
                      TCarriedBytes& bytes) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC entry = FindResourceA(module, name.c_str(), type.c_str());
    if (!entry)
        return false;
    loaded.reset(LoadResource(module, entry));
    if (!loaded)
        return false;
    bytes.Data = LockResource(loaded.get());
    bytes.Size = SizeofResource(module, entry);
    return bytes.Data != nullptr;
}

class TWriterLock {
  public:
    TWriterLock() : Mutex(CreateMutexA(nullptr, FALSE, kWriterLockName)) {
        if (!Mutex)
            return;
        const DWORD wait = WaitForSingleObject(Mutex.get(), kWriterLockWaitMs);
        Held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~TWriterLock() {
        if (Held)
            ReleaseMutex(Mutex.get());
    }
    TWriterLock(const TWriterLock&) = delete;
    TWriterLock& operator=(const TWriterLock&) = delete;
    bool IsHeld() const { return Held; }

  private:
    TMutexHandle Mutex;
    bool Held = false;
};

// Removes the temporary files that earlier runs left beside the target: files named by this
// writer's pattern only, never a folder or a link. Called with the writer lock held.
void RemoveLeftovers(const std::string& targetPath) {
    const std::string folder = FolderOfPath(targetPath);
    const std::string targetName = targetPath.substr(folder.size());
    WIN32_FIND_DATAA found{};
    TFindHandle find(FindFirstFileA((targetPath + ".*.tmp").c_str(), &found));
    if (!find)
        return;
    do {
        constexpr DWORD kNotAPlainFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if (!(found.dwFileAttributes & kNotAPlainFile) &&
            IsTemporaryNameFor(targetName, found.cFileName))
            DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(find.get(), &found));
}

// Creates a file that did not exist before, beside the target.
TFileHandle CreateTemporaryFile(const std::string& targetPath, std::string& temporaryPath) {
    const uint32_t base = GetCurrentProcessId() << 8;
    for (uint32_t i = 0; i < kTemporaryNameAttempts; ++i) {
        temporaryPath = TemporaryPathFor(targetPath, base + i);
        TFileHandle file(CreateFileA(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return TFileHandle();
}

// The whole size in pieces (WriteInPieces); a short piece counts as a failure. Closes the file,
// as the move that follows needs.
bool WriteWhole(TFileHandle file, const TCarriedBytes& bytes) {
    if (!WriteInPieces(file.get(), bytes.Data, bytes.Size))
        return false;
    return FlushFileBuffers(file.get()) != FALSE;
}

// The target must be free for an exclusive open, as a direct create would demand, before the
// new file is moved over it; a holder's handle would otherwise see its file vanish.
TAttemptResult ReplaceTarget(const std::string& temporaryPath, const std::string& targetPath) {
    {
        TFileHandle probe(CreateFileA(targetPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) {
            const DWORD error = GetLastError();
            if (InUseError(error))
                return TAttemptResult::InUse;
            if (error != ERROR_FILE_NOT_FOUND)
                return TAttemptResult::Failed;
        }
    }
    if (MoveFileExA(temporaryPath.c_str(), targetPath.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TAttemptResult::Done;
    // Someone opened the target between the probe and the move.
    const DWORD error = GetLastError();
    return InUseError(error) || error == ERROR_ACCESS_DENIED ? TAttemptResult::InUse
                                                             : TAttemptResult::Failed;
}

TWriteResult PutCarriedFile(const std::string& name, const std::string& type,
                            const std::string& targetPath,
                            const std::function<bool()>& mayReplace) {
    const DWORD attributes = GetFileAttributesA(targetPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && RefusesReplacement(attributes))
        return TWriteResult::Failed;

    TLoadedResource loaded;
    TCarriedBytes bytes;
    if (!FindCarriedBytes(name, type, loaded, bytes))
        return TWriteResult::Failed;

    const TWriterLock lock;
    if (!lock.IsHeld())
        return TWriteResult::Failed;
    RemoveLeftovers(targetPath);
    std::string temporaryPath;
    TFileHandle file = CreateTemporaryFile(targetPath, temporaryPath);
    if (!file)
        return TWriteResult::Failed;
    TWriteResult result =
        WriteWhole(std::move(file), bytes) ? TWriteResult::Written : TWriteResult::Failed;
    if (result == TWriteResult::Written && !mayReplace())
        result = TWriteResult::Withheld;
    if (result == TWriteResult::Written &&
        RetryWhileInUse([&] { return ReplaceTarget(temporaryPath, targetPath); },
                        [] { Sleep(kFileInUseRetryDelayMs); }) != TAttemptResult::Done)
        result = TWriteResult::Failed;
    if (result != TWriteResult::Written)
        DeleteFileA(temporaryPath.c_str());
    return result;
}

}  // namespace

TWriteResult WriteDataFileGated(const std::string& resourceName, const std::string& resourceType,
                                const std::string& targetPath,
                                const std::function<bool()>& mayReplace) {
    // The caller's word is asked exactly once, on every road, before anything is shown.
    bool asked = false;
    auto askOnce = [&] {
        asked = true;
        return mayReplace();
    };
    const TWriteResult result = PutCarriedFile(resourceName, resourceType, targetPath, askOnce);
    if (result != TWriteResult::Failed)
        return result;
    if (!asked && !mayReplace())
        return TWriteResult::Withheld;
    ShowErrorBox(InstallFailureEnglish(targetPath), InstallFailureRussian(targetPath));
    return TWriteResult::Failed;
}

bool WriteDataFile(const std::string& resourceName, const std::string& resourceType,
                   const std::string& targetPath) {
    return WriteDataFileGated(resourceName, resourceType, targetPath, [] { return true; }) ==
           TWriteResult::Written;
}

}  // namespace telvo
