// The arithmetic and the order of the installed-size measurement, apart from the folders
// themselves, which the caller supplies (folders opened by handle in the package, a table in
// tests).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "folder/listing_bound.h"

namespace telvo {

// The size that cannot be measured: no folder name, a name that is not a folder, or a tree past
// the walk's bound.
constexpr int32_t kNoFolderSize = -1;

// Attribute bits the walk looks at, as the Windows listing reports them.
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeReparsePoint = 0x400;

struct TFolderEntry {
    std::wstring_view Name;
    uint32_t Attributes = 0;
    uint32_t SizeLow = 0;  // low 32 bits of the size
};

// Takes one entry of a listing; false ends the listing.
using TEntrySink = std::function<bool(const TFolderEntry&)>;

// One folder of the walk, already opened: it lists itself and opens its sub-folders by name,
// relative to itself, so that a name renamed or relinked meanwhile leads nowhere else.
class TWalkFolder {
  public:
    TWalkFolder() = default;
    virtual ~TWalkFolder() = default;
    TWalkFolder(const TWalkFolder&) = delete;
    TWalkFolder& operator=(const TWalkFolder&) = delete;
    TWalkFolder(TWalkFolder&&) = delete;
    TWalkFolder& operator=(TWalkFolder&&) = delete;
    // Gives every entry to `sink` ("." and ".." too where the listing has them) until `sink`
    // returns false; nothing when the folder cannot be listed.
    virtual void List(const TEntrySink& sink) const = 0;
    // The sub-folder listed as `name`, or null when it cannot be opened or is a link of any
    // kind (what the attributes of the listing do not show, the opening must catch).
    virtual std::unique_ptr<TWalkFolder> OpenFolder(std::wstring_view name) const = 0;
};

// The byte total is kept in 32 bits: each file adds the low 32 bits of its size and the sum
// wraps modulo 2^32, so a tree of 4 GiB or more gives its total modulo 4 GiB.
constexpr uint32_t AddFileSize(uint32_t total, uint32_t sizeLow) {
    return total + sizeLow;
}

// Whole units of 1024 bytes, the remainder dropped; never negative, at most 4,194,303.
constexpr int32_t SizeInKilobytes(uint32_t byteTotal) {
    return static_cast<int32_t>(byteTotal >> 10);
}

// Walks `top` breadth-first: the folder itself, then every sub-folder in the order it was
// found, each listed exactly once. Every non-folder entry counts, whatever its attributes. "."
// and ".." are skipped; folders that are links (reparse points by their listed attributes, or
// refused by OpenFolder) are neither counted nor entered, so no walk leaves the tree or loops;
// a sub-folder that cannot be opened is skipped. Returns the byte total, or nothing when the
// walk met more than `bound.MaxEntries` entries or its time expired: it stops there, in the
// middle of a listing too, and a part of the tree is no size of it.
std::optional<uint32_t> WalkFolderTree(const TWalkFolder& top, const TWalkBound& bound = {});

}  // namespace telvo
