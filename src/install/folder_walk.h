// The arithmetic and the order of the installed-size measurement, apart from the directory
// listing itself, which the caller supplies (the Windows listing in the package, a table in
// tests).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace telvo {

// The size that cannot be measured: no folder name, or a name that is not a folder.
constexpr int32_t kNoFolderSize = -1;

// Attribute bits the walk looks at, as the Windows listing reports them.
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeReparsePoint = 0x400;

struct TFolderEntry {
    const char* Name = "";
    uint32_t Attributes = 0;
    uint32_t SizeLow = 0;  // low 32 bits of the size
};

using TEntrySink = std::function<void(const TFolderEntry&)>;
// Lists every entry of `folder` (which ends in a backslash), "." and ".." included when the
// listing has them; a folder that cannot be listed gives no entries.
using TFolderLister = std::function<void(const std::string& folder, const TEntrySink& sink)>;

// The byte total is kept in 32 bits: each file adds the low 32 bits of its size and the sum
// wraps modulo 2^32, so a tree of 4 GiB or more gives its total modulo 4 GiB.
constexpr uint32_t AddFileSize(uint32_t total, uint32_t sizeLow) {
    return total + sizeLow;
}

// Whole units of 1024 bytes, the remainder dropped; never negative, at most 4,194,303.
constexpr int32_t SizeInKilobytes(uint32_t byteTotal) {
    return static_cast<int32_t>(byteTotal >> 10);
}

// Walks `folder` (which ends in a backslash) breadth-first: the folder itself, then every
// sub-folder in the order it was found, each listed exactly once. Every non-folder entry counts,
// whatever its attributes. "." and ".." are skipped, and folders that are links (reparse points)
// are neither counted nor entered, so a link that loops back cannot run the walk into the
// path-length limit. Returns the byte total.
uint32_t WalkFolderTree(const std::string& folder, const TFolderLister& list);

}  // namespace telvo
