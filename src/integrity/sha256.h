// SHA-256, with the x86 SHA extensions where the processor has them (picked at run time) and a
// portable implementation elsewhere. Pure: no Windows calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace telvo {

using TDigest = std::array<uint8_t, 32>;

class TSha256 {
  public:
    // `allowShaExtensions` false forces the portable code (tests compare the two).
    explicit TSha256(bool allowShaExtensions = true);
    void Update(const uint8_t* data, size_t size);
    TDigest Finish();
    bool UsesShaExtensions() const { return Blocks != &PortableBlocks; }

    using TBlockFunction = void (*)(uint32_t state[8], const uint8_t* data, size_t blocks);
    static void PortableBlocks(uint32_t state[8], const uint8_t* data, size_t blocks);

  private:
    TBlockFunction Blocks;
    uint32_t State[8];
    uint8_t Pending[64];
    size_t PendingSize = 0;
    uint64_t TotalSize = 0;
};

// True when the processor offers the SHA extensions (and the SSSE3 and SSE4.1 they need here).
bool HasShaExtensions();

}  // namespace telvo
