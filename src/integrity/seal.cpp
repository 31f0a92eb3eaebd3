#include "integrity/seal.h"

#include <algorithm>
#include <cstring>

namespace telvo {
namespace {

uint32_t Read32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

constexpr uint16_t kPe32Magic = 0x10B;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kChecksumOffset = 64;        // in the optional header
constexpr size_t kDirectoryCountOffset = 92;  // NumberOfRvaAndSizes
constexpr size_t kDirectoriesOffset = 96;
constexpr size_t kCertificateDirectory = 4;

void AddRange(std::vector<TByteRange>& ranges, uint64_t offset, uint64_t size, uint64_t fileSize) {
    if (offset >= fileSize || size == 0)
        return;
    ranges.push_back({offset, std::min(size, fileSize - offset)});
}

// Sorts the ranges and merges those that touch or overlap.
std::vector<TByteRange> Normalised(std::vector<TByteRange> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const TByteRange& a, const TByteRange& b) { return a.Offset < b.Offset; });
    std::vector<TByteRange> merged;
    for (const TByteRange& r : ranges) {
        if (!merged.empty() && r.Offset <= merged.back().Offset + merged.back().Size) {
            const uint64_t end =
                std::max(merged.back().Offset + merged.back().Size, r.Offset + r.Size);
            merged.back().Size = end - merged.back().Offset;
        } else {
            merged.push_back(r);
        }
    }
    return merged;
}

}  // namespace

std::optional<TSealLayout> FindSealLayout(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    if (headSize > fileSize)
        headSize = static_cast<size_t>(fileSize);
    if (headSize < 0x40 || head[0] != 'M' || head[1] != 'Z')
        return std::nullopt;
    const size_t pe = Read32(head + 0x3C);
    if (pe > headSize || headSize - pe < 4 + kCoffHeaderSize ||
        std::memcmp(head + pe, "PE\0\0", 4) != 0)
        return std::nullopt;
    const uint8_t* coff = head + pe + 4;
    const size_t sectionCount = Read16(coff + 2);
    const size_t optionalSize = Read16(coff + 16);
    const size_t optional = pe + 4 + kCoffHeaderSize;
    const size_t sections = optional + optionalSize;
    if (optionalSize < kDirectoriesOffset + 8 * (kCertificateDirectory + 1) ||
        sections + sectionCount * kSectionHeaderSize > headSize ||
        Read16(head + optional) != kPe32Magic ||
        Read32(head + optional + kDirectoryCountOffset) <= kCertificateDirectory)
        return std::nullopt;

    TSealLayout layout;
    bool found = false;
    for (size_t i = 0; i < sectionCount && !found; ++i) {
        const uint8_t* section = head + sections + i * kSectionHeaderSize;
        char name[9] = {};
        std::memcpy(name, section, 8);
        if (std::strcmp(name, kSealSectionName) != 0)
            continue;
        const uint64_t rawSize = Read32(section + 16);
        layout.SlotOffset = Read32(section + 20);
        found = rawSize >= sizeof(TSealSlot) && layout.SlotOffset + sizeof(TSealSlot) <= fileSize;
    }
    if (!found)
        return std::nullopt;

    const size_t certificateEntry = optional + kDirectoriesOffset + 8 * kCertificateDirectory;
    std::vector<TByteRange> excluded;
    AddRange(excluded, optional + kChecksumOffset, 4, fileSize);
    AddRange(excluded, certificateEntry, 8, fileSize);
    // The certificate table's "address" is a file offset, not a virtual address.
    AddRange(excluded, Read32(head + certificateEntry), Read32(head + certificateEntry + 4),
             fileSize);
    AddRange(excluded, layout.SlotOffset, sizeof(TSealSlot), fileSize);
    layout.Excluded = Normalised(std::move(excluded));
    return layout;
}

void TSealDigest::Feed(const uint8_t* data, size_t size) {
    while (size > 0) {
        // Skip past ranges that end before the current position.
        while (NextRange < Layout.Excluded.size() &&
               Layout.Excluded[NextRange].Offset + Layout.Excluded[NextRange].Size <= Position)
            ++NextRange;
        size_t take = size;
        bool hashed = true;
        if (NextRange < Layout.Excluded.size()) {
            const TByteRange& r = Layout.Excluded[NextRange];
            if (Position >= r.Offset) {
                hashed = false;
                take = static_cast<size_t>(std::min<uint64_t>(size, r.Offset + r.Size - Position));
            } else {
                take = static_cast<size_t>(std::min<uint64_t>(size, r.Offset - Position));
            }
        }
        if (hashed)
            Hash.Update(data, take);
        data += take;
        size -= take;
        Position += take;
    }
}

TSealState JudgeSeal(const TSealSlot& slot, const TDigest& digest) {
    if (std::memcmp(slot.Marker, kSealMarker.data(), kSealMarker.size()) != 0 ||
        slot.Sealed != kSealedMark)
        return TSealState::Missing;
    return std::memcmp(slot.Digest, digest.data(), digest.size()) == 0 ? TSealState::Valid
                                                                       : TSealState::Broken;
}

}  // namespace telvo
