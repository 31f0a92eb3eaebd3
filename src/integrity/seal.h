// The package's seal: after linking, the build writes into a reserved slot of the executable an
// XXH3-128 digest of the whole file (see integrity/seal_hash.h), computed without the slot itself
// and without the bytes that code signing changes (the PE CheckSum field, the certificate-table
// entry of the data directory and the certificate table). A signed package therefore keeps its
// seal, while any other changed, added or removed byte breaks it. Pure: no Windows calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "integrity/seal_hash.h"

namespace telvo {

// The reserved slot, in a section of its own. The marker tells the slot from other bytes and
// names the digest: a slot of an older layout (a SHA-256 seal had the marker "TelvoUpdateSeal")
// reads as no seal instead of being judged with the wrong digest. The seal counts only once the
// build has set Sealed.
struct TSealSlot {
    char Marker[16];
    uint8_t Digest[16];
    uint32_t Sealed;
    uint32_t Reserved;
};
static_assert(sizeof(TSealSlot) == 40);

constexpr char kSealSectionName[] = ".seal";
constexpr std::string_view kSealMarker{"TelvoSealXXH128\0", 16};  // with its terminating NUL
constexpr uint32_t kSealedMark = 0x5E41ED01;

struct TByteRange {
    uint64_t Offset = 0;
    uint64_t Size = 0;
};

struct TSealLayout {
    uint64_t SlotOffset = 0;
    std::vector<TByteRange> Excluded;  // sorted, not overlapping, within the file
};

// How many bytes from the start of the file FindSealLayout may need.
constexpr size_t kSealHeaderBytes = size_t{64} * 1024;

// Reads the PE headers at the start of a file of `fileSize` bytes and finds the slot and the
// ranges the digest leaves out. nullopt when the headers are not those of a PE32 image with a
// seal section.
std::optional<TSealLayout> FindSealLayout(const uint8_t* head, size_t headSize, uint64_t fileSize);

// The digest over the file's bytes, fed in order from offset 0, with the excluded ranges left
// out.
class TSealDigest {
  public:
    explicit TSealDigest(const TSealLayout& layout) : Layout(layout) {}
    void Feed(const uint8_t* data, size_t size);
    TDigest Finish() const { return Hash.Finish(); }

  private:
    const TSealLayout& Layout;
    TSealHash Hash;
    uint64_t Position = 0;
    size_t NextRange = 0;
};

enum class TSealState { Valid, Missing, Broken };

// Compares a slot as found in the file with the digest computed over the file.
TSealState JudgeSeal(const TSealSlot& slot, const TDigest& digest);

}  // namespace telvo
