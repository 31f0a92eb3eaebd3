#include "pe_resources.h"

#include <algorithm>
#include <fstream>

namespace telvo::tools {
namespace {

constexpr uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kHighBit = 0x80000000;
// The resource tree is type, name, language: three levels.
constexpr int kResourceLevels = 3;
constexpr size_t kDirectoryEntrySize = 8;  // of the optional header's data directory
constexpr size_t kResourceDirectory = 2;

// The bytes of the file, read piece by piece: a package carries a large resource that none of
// this needs.
class TImageFile {
  public:
    explicit TImageFile(const std::string& path) : In(path, std::ios::binary) {
        In.seekg(0, std::ios::end);
        Size = In ? static_cast<uint64_t>(In.tellg()) : 0;
    }
    bool Readable() const { return static_cast<bool>(In); }
    bool Holds(uint64_t offset, uint64_t size) const {
        return offset <= Size && size <= Size - offset;
    }
    // `size` bytes from `offset`, or nullopt when they lie past the end of the file.
    std::optional<std::string> Bytes(uint64_t offset, uint64_t size) {
        if (!Holds(offset, size))
            return std::nullopt;
        std::string bytes(size, '\0');
        In.seekg(static_cast<std::streamoff>(offset));
        In.read(bytes.data(), static_cast<std::streamsize>(size));
        return In ? std::optional(bytes) : std::nullopt;
    }

  private:
    std::ifstream In;
    uint64_t Size = 0;
};

uint32_t Read16(const std::string& bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8;
}
uint32_t Read32(const std::string& bytes, size_t at) {
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

struct TSection {
    uint32_t Address = 0;
    uint32_t Extent = 0;  // the larger of the virtual and the raw size
    uint32_t RawSize = 0;
    uint32_t RawOffset = 0;
};

// Where the image's resources lie: the sections, to find a relative address in the file, and the
// address of the resource tree.
struct TImageLayout {
    std::vector<TSection> Sections;
    uint32_t ResourceAddress = 0;
};

// The file offset of a relative address, or nullopt when no section's bytes in the file hold it.
std::optional<uint64_t> FileOffset(const TImageLayout& layout, uint32_t address) {
    for (const TSection& s : layout.Sections)
        if (address >= s.Address && address - s.Address < s.Extent)
            return address - s.Address < s.RawSize
                       ? std::optional<uint64_t>(uint64_t{s.RawOffset} + address - s.Address)
                       : std::nullopt;
    return std::nullopt;
}

std::optional<TImageLayout> ReadLayout(TImageFile& file, std::string& error) {
    error = "no PE image";
    const std::optional<std::string> dos = file.Bytes(0, 64);
    if (!dos || dos->compare(0, 2, "MZ") != 0)
        return std::nullopt;
    const uint32_t pe = Read32(*dos, 0x3C);
    const std::optional<std::string> coff = file.Bytes(pe, 24);
    if (!coff || coff->compare(0, 4, std::string("PE\0\0", 4)) != 0)
        return std::nullopt;
    const uint32_t sectionCount = Read16(*coff, 6);
    const uint32_t optionalSize = Read16(*coff, 20);
    const std::optional<std::string> optional = file.Bytes(pe + 24, optionalSize);
    if (!optional || optionalSize < 2)
        return std::nullopt;
    // The data directories follow the fields that differ between PE32 and PE32+.
    const uint32_t magic = Read16(*optional, 0);
    const size_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
    error = "no version resource";
    if (directories == 0 ||
        optionalSize < directories + (kResourceDirectory + 1) * kDirectoryEntrySize ||
        Read32(*optional, directories - 4) <= kResourceDirectory)
        return std::nullopt;
    TImageLayout layout;
    layout.ResourceAddress =
        Read32(*optional, directories + kResourceDirectory * kDirectoryEntrySize);
    if (layout.ResourceAddress == 0)
        return std::nullopt;
    const std::optional<std::string> table =
        file.Bytes(uint64_t{pe} + 24 + optionalSize, uint64_t{sectionCount} * 40);
    if (!table) {
        error = "a section table past the end of the file";
        return std::nullopt;
    }
    for (size_t at = 0; at < table->size(); at += 40) {
        TSection s;
        s.Address = Read32(*table, at + 12);
        s.RawSize = Read32(*table, at + 16);
        s.RawOffset = Read32(*table, at + 20);
        s.Extent = std::max(Read32(*table, at + 8), s.RawSize);
        layout.Sections.push_back(s);
    }
    return layout;
}

std::string Utf8FromUtf16(const std::string& bytes, size_t at, size_t end) {
    std::string text;
    for (; at + 1 < end; at += 2) {
        uint32_t c = Read16(bytes, at);
        if (c == 0)
            break;
        if (c >= 0xD800 && c < 0xDC00 && at + 3 < end) {
            const uint32_t low = Read16(bytes, at + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | c >> 6);
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | c >> 12);
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | c >> 18);
            text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

// How one level of the resource tree is chosen: by number, by name (as resource compilers
// store names: in capitals), or, with neither, the first entry there is.
struct TResourceKey {
    std::optional<uint32_t> Id;
    std::string Name;
};
TResourceKey ById(uint32_t id) {
    return {id, {}};
}
TResourceKey ByName(const std::string& name) {
    return {std::nullopt, name};
}

bool EntryMatches(TImageFile& file, uint64_t root, uint32_t entryName, const TResourceKey& key) {
    const bool named = (entryName & kHighBit) != 0;
    if (key.Id)
        return !named && entryName == *key.Id;
    if (key.Name.empty())
        return true;
    if (!named)
        return false;
    const uint64_t at = root + (entryName & ~kHighBit);
    const std::optional<std::string> length = file.Bytes(at, 2);
    const std::optional<std::string> text =
        length ? file.Bytes(at + 2, uint64_t{Read16(*length, 0)} * 2) : std::nullopt;
    return text && Utf8FromUtf16(*text, 0, text->size()) == key.Name;
}

// The data of the resource of that type and name, in its first language.
std::optional<TResourceData> FindResourceData(TImageFile& file, const TImageLayout& layout,
                                              const TResourceKey& type, const TResourceKey& name) {
    const std::optional<uint64_t> root = FileOffset(layout, layout.ResourceAddress);
    if (!root)
        return std::nullopt;
    const TResourceKey keys[kResourceLevels] = {type, name, {}};
    uint32_t entryOffset = 0;  // within the tree; the root directory starts at 0
    for (int level = 0; level < kResourceLevels; ++level) {
        const std::optional<std::string> head = file.Bytes(*root + entryOffset, 16);
        if (!head)
            return std::nullopt;
        const uint32_t count = Read16(*head, 12) + Read16(*head, 14);
        const std::optional<std::string> entries =
            file.Bytes(*root + entryOffset + 16, uint64_t{count} * 8);
        if (!entries)
            return std::nullopt;
        std::optional<uint32_t> next;
        for (size_t at = 0; at < entries->size() && !next; at += 8)
            if (EntryMatches(file, *root, Read32(*entries, at), keys[level]))
                next = Read32(*entries, at + 4);
        const bool isDirectory = next && (*next & kHighBit) != 0;
        if (!next || isDirectory != (level < kResourceLevels - 1))
            return std::nullopt;
        entryOffset = *next & ~kHighBit;
    }
    const std::optional<std::string> data = file.Bytes(*root + entryOffset, 8);
    if (!data)
        return std::nullopt;
    const std::optional<uint64_t> offset = FileOffset(layout, Read32(*data, 0));
    if (!offset || !file.Holds(*offset, Read32(*data, 4)))
        return std::nullopt;
    return TResourceData{*offset, Read32(*data, 4)};
}

size_t Align4(size_t at) {
    return (at + 3) & ~size_t{3};
}

// One node of the version information's tree: a length, a value's length and type, a key, the
// value and the children, each part starting on a four-byte boundary of the block.
struct TNode {
    std::string Key;
    size_t ValueAt = 0;
    size_t ValueEnd = 0;
    size_t ChildrenAt = 0;
    size_t End = 0;
};

std::optional<TNode> ReadNode(const std::string& block, size_t at, size_t limit) {
    if (at + 6 > limit)
        return std::nullopt;
    TNode node;
    node.End = at + Read16(block, at);
    if (node.End > limit || node.End < at + 6)
        return std::nullopt;
    const uint32_t valueLength = Read16(block, at + 2);
    const bool text = Read16(block, at + 4) == 1;
    size_t key = at + 6;
    node.Key = Utf8FromUtf16(block, key, node.End);
    while (key + 1 < node.End && Read16(block, key) != 0) key += 2;
    node.ValueAt = std::min(Align4(key + 2), node.End);
    node.ValueEnd = std::min(node.ValueAt + size_t{valueLength} * (text ? 2 : 1), node.End);
    node.ChildrenAt = std::min(Align4(node.ValueEnd), node.End);
    return node;
}

std::vector<TNode> Children(const std::string& block, const TNode& parent) {
    std::vector<TNode> children;
    for (size_t at = parent.ChildrenAt; at < parent.End;) {
        const std::optional<TNode> child = ReadNode(block, at, parent.End);
        if (!child)
            break;
        children.push_back(*child);
        at = Align4(child->End);
    }
    return children;
}

std::array<uint16_t, 4> VersionParts(uint32_t most, uint32_t least) {
    return {static_cast<uint16_t>(most >> 16), static_cast<uint16_t>(most),
            static_cast<uint16_t>(least >> 16), static_cast<uint16_t>(least)};
}

// A resource's data in the image at `path`; on nullopt `error` says why: the file, its layout,
// or `missing`.
std::optional<TResourceData> LocateResource(TImageFile& file, const std::string& path,
                                            const TResourceKey& type, const TResourceKey& name,
                                            const std::string& missing, std::string& error) {
    if (!file.Readable()) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    const std::optional<TImageLayout> layout = ReadLayout(file, error);
    if (!layout)
        return std::nullopt;
    error = missing;
    return FindResourceData(file, *layout, type, name);
}

}  // namespace

std::optional<TVersionInfo> ReadVersionInfo(const std::string& path, std::string& error) {
    TImageFile file(path);
    const std::optional<TResourceData> data =
        LocateResource(file, path, ById(kVersionResourceType), {}, "no version resource", error);
    if (!data)
        return std::nullopt;
    const std::optional<std::string> block = file.Bytes(data->Offset, data->Size);
    const std::optional<TNode> root = block ? ReadNode(*block, 0, block->size()) : std::nullopt;
    error = "a damaged version resource";
    if (!root || root->Key != "VS_VERSION_INFO" || root->ValueEnd - root->ValueAt < 24 ||
        Read32(*block, root->ValueAt) != kFixedInfoSignature)
        return std::nullopt;
    TVersionInfo info;
    info.FileVersion =
        VersionParts(Read32(*block, root->ValueAt + 8), Read32(*block, root->ValueAt + 12));
    info.ProductVersion =
        VersionParts(Read32(*block, root->ValueAt + 16), Read32(*block, root->ValueAt + 20));
    for (const TNode& part : Children(*block, *root)) {
        if (part.Key != "StringFileInfo")
            continue;
        for (const TNode& table : Children(*block, part))
            for (const TNode& value : Children(*block, table))
                info.Strings.emplace_back(value.Key,
                                          Utf8FromUtf16(*block, value.ValueAt, value.End));
    }
    return info;
}

std::optional<TResourceData> FindNamedResource(const std::string& path, const std::string& type,
                                               const std::string& name, std::string& error) {
    TImageFile file(path);
    return LocateResource(file, path, ByName(type), ByName(name),
                          "no resource " + type + "/" + name, error);
}

}  // namespace telvo::tools
