// What the data file writer decides without touching Windows: which targets it refuses to
// replace, where it lays the new file down first, and the words of its one failure message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace telvo {

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
// The same in Russian, code page 1251.
std::string InstallFailureRussian(const std::string& targetPath);

}  // namespace telvo
