// What the data file writer decides without touching Windows: which targets it refuses to
// replace, where it lays the new file down first, and the words of its one failure message.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "startup/russian_texts.h"

namespace telvo {

// Whether an open file is the entry of a name: Unknown where nothing tells.
enum class TSameFile { Yes, No, Unknown };

// What identifies a file on its volume: the volume's serial number and the file's id, 128 bits
// where the system gives them (Windows 8 on), else the 64-bit file index in the low half, which
// is not unique on every file system. Two identities compare only when both are of one width.
struct TFileIdentity {
    uint64_t Volume = 0;
    std::array<uint8_t, 16> Id{};
    bool Wide = false;
};

// Whether two files are one by their identities; nullopt stands for an identity the system did
// not give, and an id of all zeros (which a server may give for every file) is none either.
TSameFile SameByIdentity(const std::optional<TFileIdentity>& own,
                         const std::optional<TFileIdentity>& found);

// Whether a file is the entry of a name, from two answers: where the system says the file lies,
// and its identity against the entry's. Yes where one says so and neither says no; No only where
// both say no; Unknown otherwise. A redirector may answer the first from the name the file was
// opened with, so neither answer alone may have the file deleted.
TSameFile SameFileOfAnswers(TSameFile byPath, TSameFile byIdentity);

// What the writer does with its new file after a rename over the target was reported as failed.
enum class TAfterFailedRename {
    Written,    // the new file is the target: keep it, the write is done
    Undecided,  // nothing tells: keep it as a leftover (the next write removes it) and fail,
                // never as "in use", for the run's own handle on it could be the holder met
    Keep,       // it is not the target, but on a remote volume nothing is deleted on the
                // volume's word: keep it as a leftover, and judge the failure as reported
    Delete,     // it is not the target: delete it, and judge the failure as reported
};

// The rule for that: `verdict` from SameFileOfAnswers, `remoteVolume` whether the system marks
// the folder's volume remote (or cannot say that it is not).
TAfterFailedRename AfterFailedRename(TSameFile verdict, bool remoteVolume);

// True when a target with these attributes must be left alone: a folder, or a file marked
// read-only, hidden or system (an exclusive create over such a file is refused with access
// denied, and the replacement keeps that refusal).
bool RefusesReplacement(uint32_t targetAttributes);

// Where the new file is written before it replaces the target: beside it, so that the final
// move stays on one volume and is a rename, never a copy. The target's name with "." and `tag`
// in eight hex digits and ".tmp" appended; callers vary `tag` and create only a file that does
// not yet exist.
std::string TemporaryPathFor(const std::string& targetPath, uint32_t tag);

// True when `fileName` (a name in the target's folder, no folder part) is a temporary file this
// writer made for `targetName` (the target's name, no folder part): the target's name, ".",
// eight hex digits and ".tmp", compared without regard to case as the file system does. Only
// such files are removed as leftovers of an interrupted run.
bool IsTemporaryNameFor(const std::string& targetName, const std::string& fileName);

// True when `folder` can only name a folder of a file system: a drive-letter path, a UNC
// share, their "\\?\" forms ("\\?\C:\", "\\?\UNC\") or a relative path. The device and
// object namespaces ("\\.\", "\??\", "\\?\GLOBALROOT\", any other "\\?\" form) are
// refused: through them a name reaches devices and object-manager links, and the writer works
// only in a folder of a file system.
bool IsFileSystemFolderPath(std::string_view folder);

// True when `entryPath`, the final path of an opened entry as the system gives it, is
// `folderPath` (the final path of the folder it was opened in) + "\" + `name`: the entry is
// the folder's own and was not reached through a link. ASCII letters compare without regard to
// case.
bool IsPathOfEntry(std::wstring_view folderPath, std::wstring_view entryPath,
                   std::wstring_view name);

// The failure message, naming the target; the reason of the failure is never part of it.
std::string InstallFailureEnglish(const std::string& targetPath);
// The same in Russian.
TRussianText InstallFailureRussian(const std::string& targetPath);

}  // namespace telvo
