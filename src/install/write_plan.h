// What the data file writer decides without touching Windows: which targets it refuses to
// replace, where it lays the new file down first, and the words of its one failure message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "folder/folder_rules.h"
#include "startup/russian_texts.h"

namespace telvo {

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

// The name pattern of those files for a listing: the target's name, ".????????.tmp".
std::string LeftoverMaskFor(const std::string& targetName);

// True when `fileName` (a name in the target's folder, no folder part) is a temporary file this
// writer made for `targetName` (the target's name, no folder part): the target's name, ".",
// eight hex digits and ".tmp", compared without regard to case as the file system does. Only
// such files are removed as leftovers of an interrupted run.
bool IsTemporaryNameFor(const std::string& targetName, const std::string& fileName);

// The failure message, naming the target; the reason of the failure is never part of it.
std::string InstallFailureEnglish(const std::string& targetPath);
// The same in Russian.
TRussianText InstallFailureRussian(const std::string& targetPath);

}  // namespace telvo
