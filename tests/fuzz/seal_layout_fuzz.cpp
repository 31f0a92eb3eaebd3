// The headers of the package's own file as its self-integrity check reads them: a copy of the
// package in a downloads folder can be changed by anyone who can write there. Each input is the
// head of a file; its last four bytes also say how much of the file lies beyond the head.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "integrity/seal.h"

namespace telvo {
namespace {

// The layout stays within the file: the slot fits, and the excluded ranges are sorted, apart,
// not empty, inside the file, and cover the slot.
void CheckLayout(const TSealLayout& layout, uint64_t fileSize) {
    constexpr uint64_t kSlotSize = sizeof(TSealSlot);
    FUZZ_CHECK(layout.SlotOffset + kSlotSize <= fileSize);
    bool slotCovered = false;
    uint64_t end = 0;
    for (size_t i = 0; i < layout.Excluded.size(); ++i) {
        const TByteRange& range = layout.Excluded[i];
        FUZZ_CHECK(range.Size > 0);
        FUZZ_CHECK(i == 0 || range.Offset > end);
        FUZZ_CHECK(range.Offset < fileSize && range.Size <= fileSize - range.Offset);
        end = range.Offset + range.Size;
        slotCovered = slotCovered ||
                      (range.Offset <= layout.SlotOffset && layout.SlotOffset + kSlotSize <= end);
    }
    FUZZ_CHECK(slotCovered);
}

bool SameLayout(const std::optional<TSealLayout>& a, const std::optional<TSealLayout>& b) {
    if (!a || !b)
        return !a == !b;
    if (a->SlotOffset != b->SlotOffset || a->Excluded.size() != b->Excluded.size())
        return false;
    for (size_t i = 0; i < a->Excluded.size(); ++i)
        if (a->Excluded[i].Offset != b->Excluded[i].Offset ||
            a->Excluded[i].Size != b->Excluded[i].Size)
            return false;
    return true;
}

}  // namespace
}  // namespace telvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace telvo;
    uint32_t beyond = 0;
    if (size >= sizeof beyond)
        std::memcpy(&beyond, data + size - sizeof beyond, sizeof beyond);
    // The head as the check reads it (at most kSealHeaderBytes), of a file that goes on past it,
    // ends with it, or is shorter than the bytes at hand.
    const size_t headSize = std::min(size, kSealHeaderBytes);
    for (const uint64_t fileSize : {uint64_t(size) + beyond, uint64_t(size), uint64_t(beyond)}) {
        const std::optional<TSealLayout> layout = FindSealLayout(data, headSize, fileSize);
        if (layout)
            CheckLayout(*layout, fileSize);
        // Bytes past the head are never read: the same head with other bytes after it, or
        // none, gives the same answer.
        std::vector<uint8_t> longer(data, data + headSize);
        longer.resize(headSize + 4096, 0xA5);
        FUZZ_CHECK(SameLayout(layout, FindSealLayout(longer.data(), headSize, fileSize)));
    }
    return 0;
}
