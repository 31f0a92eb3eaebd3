// What the data file writer decides without touching Windows: which targets it refuses to
// replace, where it lays the new file down first, and the words of its one failure message.
#pragma once

#include <cstdint>
#include <string>

namespace telvo {

// True when a target with these attributes must be left alone: a folder, or a file marked
// read-only, hidden or system (an exclusive create over such a file is refused with access
// denied, and the replacement keeps that refusal).
bool RefusesReplacement(uint32_t targetAttributes);

// The folder part of `path` up to and including its last "\" or "/"; empty for a bare name
// (the current folder).
std::string FolderOfPath(const std::string& path);

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

// The failure message, naming the target; the reason of the failure is never part of it.
std::string InstallFailureEnglish(const std::string& targetPath);
// The same in Russian, code page 1251.
std::string InstallFailureRussian(const std::string& targetPath);

}  // namespace telvo
