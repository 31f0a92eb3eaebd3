// The only file of the package that includes xxHash. It is used header-only, so the package
// links and imports nothing new.
//
// XXH3 picks its vector code when it is compiled (XXH_VECTOR). The package is built for any
// i686 processor, so this is XXH3's scalar code: about 6 GB/s in a 32-bit process, some 20 ms for
// the whole package from the page cache, and it runs beside the write. SSE2 would hash about
// three times as fast, but Windows 7 still runs on processors without it (a Pentium III, an
// Athlon XP), where the check would end in an illegal-instruction fault instead of a verdict.
#include "integrity/seal_hash.h"

#include <cstring>

#define XXH_STATIC_LINKING_ONLY
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace telvo {

// new honours the alignment of over-aligned types (C++17), so the state may live on the heap.
struct TSealHash::TState {
    XXH3_state_t Xxh;
};

TSealHash::TSealHash() : State(std::make_unique<TState>()) {
    static_assert(alignof(TState) >= 64);
    XXH3_128bits_reset(&State->Xxh);
}

TSealHash::~TSealHash() = default;

void TSealHash::Update(const uint8_t* data, size_t size) {
    XXH3_128bits_update(&State->Xxh, data, size);
}

TDigest TSealHash::Finish() const {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(&State->Xxh));
    TDigest digest;
    static_assert(sizeof canonical.digest == sizeof digest);
    std::memcpy(digest.data(), canonical.digest, digest.size());
    return digest;
}

}  // namespace telvo
