// The only file of the package that includes xxHash. It is used header-only, so the package
// links and imports nothing new.
//
// XXH3 picks its vector code when it is compiled (XXH_VECTOR). The build compiles this file, and
// only this file, with -msse2 (cmake/seal.cmake): the SSE2 code hashes about three times as fast
// as the scalar code in a 32-bit process (20 against 6 GB/s), which shortens the whole check of
// the package from the page cache by about 40%. Every x86 processor since the Pentium 4 and the
// Athlon 64 has SSE2, and Windows 8 and later require it; only Windows 7 on an older processor
// (a Pentium III, an Athlon XP) would fault here. Because the flag applies to the whole file, it
// must not instantiate templates that other files instantiate too: the linker keeps one copy of
// each, and the SSE2 copy could end up in code that runs elsewhere.
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
