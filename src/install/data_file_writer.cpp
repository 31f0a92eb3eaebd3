#include "install/data_file_writer.h"

#include <windows.h>

#include <algorithm>

#include "folder/file_in_use.h"
#include "folder/install_directory.h"
#include "install/piece_write.h"
#include "install/write_plan.h"
#include "install/writer_lock.h"
#include "install/writer_seams.h"
#include "startup/code_page.h"
#include "startup/startup_state.h"
#include "startup/win_handles.h"

namespace telvo {

namespace {

// Temporary names tried before giving up; each is taken only if no entry has it yet.
constexpr uint32_t kTemporaryNameAttempts = 16;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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

// The new file, from its creation to its rename over the target, held open exclusively: no
// other process can read, swap, rewrite or delete it meanwhile (an open for its attributes alone
// gets in all the same: see ReplaceTarget). Unless kept, it is deleted
// through its handle on every road out of the write, an exception included; a delete that
// another process holds up past its bound leaves it, a leftover the next write removes.
class TTemporaryFile {
  public:
    TTemporaryFile() = default;
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    TTemporaryFile(TTemporaryFile&&) = default;
    TTemporaryFile& operator=(TTemporaryFile&&) = default;
    ~TTemporaryFile() {
        if (File && !Kept)
            DeleteOnClose(File.get());
    }

    // Creates a new plain file under an unpredictable name of the writer's pattern.
    static TTemporaryFile Create(const TInstallDirectory& folder, const std::string& targetName) {
        TTemporaryFile created;
        uint32_t tag = 0;
        for (uint32_t i = 0; i < kTemporaryNameAttempts && NextTemporaryTag(tag); ++i) {
            const std::wstring name = WideFromAnsi(TemporaryPathFor(targetName, tag));
            // GENERIC_WRITE includes FILE_WRITE_ATTRIBUTES, which MakePlain needs.
            const DWORD error = folder.OpenEntry(
                name, GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, 0, FILE_CREATE, created.File);
            // A new entry never goes through a link: an existing name, a link's included, is
            // refused.
            if (error == ERROR_SUCCESS)
                return created;
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                break;
        }
        created.File.reset();
        return created;
    }

    HANDLE get() const { return File.get(); }
    explicit operator bool() const { return File.valid(); }
    // After the rename: the file is the target now.
    void Keep() { Kept = true; }

  private:
    TFileHandle File;
    bool Kept = false;
};

// Removes the temporary files that earlier runs left beside the target: plain files of this
// writer's pattern only, each opened without following a link, checked, and deleted through
// its handle, whatever its read-only, hidden or system marks. A link, a folder or a file with a
// second name is left alone, and so is a run's file that is still open. Only names of the
// pattern are listed, and the sweep is bounded like the size walk (kWalkEntryLimit names,
// kWalkTimeLimitMs for the listing and the deletes together): a folder that a user may write can
// hold millions of entries. A delete that another process holds up past its bound ends the
// sweep, what is left skipped: whoever can hold up one leftover can hold up them all.
void RemoveLeftovers(const TInstallDirectory& folder, const std::string& targetName) {
    // GetTickCount, whose differences stay right across its wrap (as GetFolderSize).
    const DWORD start = GetTickCount();
    const auto remaining = [start]() -> uint32_t {
        const DWORD spent = GetTickCount() - start;
        return spent < kWalkTimeLimitMs ? kWalkTimeLimitMs - spent : 0;
    };
    const std::vector<std::wstring> names =
        folder.EntryNames(WideFromAnsi(LeftoverMaskFor(targetName)),
                          {kWalkEntryLimit, [&] { return remaining() == 0; }});
    for (const std::wstring& name : names) {
        std::string ansiName;
        if (!AnsiFromWide(name, ansiName) || !IsTemporaryNameFor(targetName, ansiName))
            continue;
        const uint32_t bound = std::min(kFileCallBoundMs, remaining());
        if (bound == 0)
            return;
        TFileHandle candidate;
        if (folder.OpenEntry(name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                             FILE_OPEN, candidate) == ERROR_SUCCESS &&
            folder.IsPlainEntry(candidate.get(), name) &&
            DeleteOnClose(candidate.get(), bound) == ERROR_TIMEOUT)
            return;
    }
}

// A target that is a folder (which the open of files fails), or a file marked read-only, hidden
// or system, is never replaced.
bool TargetRefusesReplacement(const TInstallDirectory& folder, const std::wstring& targetName) {
    TFileHandle target;
    const DWORD error =
        folder.OpenEntry(targetName, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, target);
    // A missing target is created; one held open is waited for when it is replaced.
    if (error == ERROR_FILE_NOT_FOUND || InUseError(error))
        return false;
    if (error != ERROR_SUCCESS)
        return true;
    const DWORD attributes = AttributesOf(target.get());
    return attributes == INVALID_FILE_ATTRIBUTES || RefusesReplacement(attributes);
}

// The whole size in pieces (WriteInPieces); a short piece counts as a failure. Flushed before
// the rename, so the target is never replaced by a file the disk does not hold yet.
bool WriteWhole(HANDLE file, const TCarriedBytes& bytes) {
    return WriteInPieces(file, bytes.Data, bytes.Size) && FlushFileBuffers(file) != FALSE;
}

// Windows refuses a rename over a file that another process holds open, and over one whose
// access rules deny deleting it, with the same access denied; only the first clears with
// waiting. An open of the target for deleting it, sharing everything, tells them apart: a
// holder meets it as a sharing violation, the rules (or a folder at the name) deny it too.
TAttemptResult AfterDeniedRename(const TInstallDirectory& folder, const std::wstring& targetName) {
    TFileHandle target;
    const DWORD error = folder.OpenEntry(targetName, DELETE, kShareAll, FILE_OPEN, target);
    if (InUseError(error))
        return TAttemptResult::InUse;
    // Open now, or gone: a holder came and went since the probe; another attempt decides.
    return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND ? TAttemptResult::InUse
                                                                   : TAttemptResult::Failed;
}

// The target must be free for an exclusive open, as a direct create would demand, before the
// new file is renamed over it; a holder's handle would otherwise see its file vanish. The probe
// opens files only: a folder at the name fails it. The new file is made plain just before:
// share mode 0 does not keep another process from opening it for its attributes alone and
// marking it read-only, hidden or system, and the target must carry none of these marks, or
// the next run refuses to replace it.
TAttemptResult ReplaceTarget(const TInstallDirectory& folder, TTemporaryFile& file,
                             const std::wstring& targetName) {
    {
        TFileHandle probe;
        const DWORD error =
            folder.OpenEntry(targetName, GENERIC_READ | GENERIC_WRITE, 0, FILE_OPEN, probe);
        if (InUseError(error))
            return TAttemptResult::InUse;
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
            return TAttemptResult::Failed;
    }
    if (!MakePlain(file.get()))
        return TAttemptResult::Failed;
    const DWORD error = RenameInto(folder, file.get(), targetName);
    if (error == ERROR_SUCCESS) {
        file.Keep();
        return TAttemptResult::Done;
    }
    // Held up past its bound by another process (a lock on the new file or on the target that is
    // never let go): the rename may still happen, or not, at any time. The new file, whole, is
    // left as it is: anything more asked of it would wait behind the rename, and where it stays
    // it is a leftover the next write removes.
    if (error == ERROR_TIMEOUT) {
        file.Keep();
        return TAttemptResult::HeldPastBound;
    }
    // A network volume can apply a rename and still report a failure: where the file already is
    // the target, deleting it would lose both files. It goes only where both where it lies and
    // its identity say it is not the target, and never on a remote volume's word; a leftover
    // goes with the next write, a deleted data file is lost.
    switch (AfterFailedRename(folder.Holds(file.get(), targetName), folder.OnRemoteVolume())) {
        case TAfterFailedRename::Written:
            file.Keep();
            return TAttemptResult::Done;
        case TAfterFailedRename::Undecided:
            // The run's own handle may now be what holds the target: no wait would cure that.
            file.Keep();
            return TAttemptResult::Failed;
        case TAfterFailedRename::Keep:
            file.Keep();
            break;
        case TAfterFailedRename::Delete:
            break;
    }
    if (InUseError(error))
        return TAttemptResult::InUse;  // someone opened the target since the probe
    return error == ERROR_ACCESS_DENIED ? AfterDeniedRename(folder, targetName)
                                        : TAttemptResult::Failed;
}

TWriteResult PutCarriedFile(const std::string& name, const std::string& type,
                            const TInstallDirectory& folder, const std::string& targetName,
                            const std::function<bool()>& mayReplace) {
    const std::wstring wideTargetName = WideFromAnsi(targetName);
    if (!folder || TargetRefusesReplacement(folder, wideTargetName))
        return TWriteResult::Failed;

    TLoadedResource loaded;
    TCarriedBytes bytes;
    if (!FindCarriedBytes(name, type, loaded, bytes))
        return TWriteResult::Failed;

    const TWriterLock lock;
    if (lock.TimedOut())
        return TWriteResult::InUse;
    RemoveLeftovers(folder, targetName);
    TTemporaryFile file = TTemporaryFile::Create(folder, targetName);
    if (!file || !WriteWhole(file.get(), bytes))
        return TWriteResult::Failed;
    if (!mayReplace())
        return TWriteResult::Withheld;
    switch (RetryWhileInUse([&] { return ReplaceTarget(folder, file, wideTargetName); },
                            [] { Sleep(kFileInUseRetryDelayMs); })) {
        case TAttemptResult::Done:
            return TWriteResult::Written;
        case TAttemptResult::InUse:
        case TAttemptResult::HeldPastBound:
            return TWriteResult::InUse;
        default:
            return TWriteResult::Failed;
    }
}

}  // namespace

TWriteResult WriteDataFileGated(const std::string& resourceName, const std::string& resourceType,
                                const TInstallDirectory& folder, const std::string& targetName,
                                const std::function<bool()>& mayReplace) {
    // The caller's word is asked exactly once, on every road, before anything is shown.
    bool asked = false;
    auto askOnce = [&] {
        asked = true;
        return mayReplace();
    };
    const TWriteResult result =
        PutCarriedFile(resourceName, resourceType, folder, targetName, askOnce);
    if (result == TWriteResult::Written || result == TWriteResult::Withheld)
        return result;
    if (!asked && !mayReplace())
        return TWriteResult::Withheld;
    const std::string targetPath = folder.Path() + targetName;
    ShowErrorBox(InstallFailureEnglish(targetPath), InstallFailureRussian(targetPath));
    return result;
}

bool WriteDataFile(const std::string& resourceName, const std::string& resourceType,
                   const TInstallDirectory& folder, const std::string& targetName) {
    return WriteDataFileGated(resourceName, resourceType, folder, targetName,
                              [] { return true; }) == TWriteResult::Written;
}

}  // namespace telvo
