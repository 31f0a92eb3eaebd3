// The seal's digest: XXH3-128 from xxHash, fed as a stream. The seal guards against damaged,
// truncated or extended files, not against tampering (whoever edits the file can recompute any
// unkeyed digest; a signed package has Authenticode for that), so a fast non-cryptographic hash
// made for checksumming is enough. Pure: no Windows calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace telvo {

// XXH3-128 in xxHash's canonical form (big-endian, as `xxhsum -H2` prints it).
using TDigest = std::array<uint8_t, 16>;

class TSealHash {
  public:
    TSealHash();
    ~TSealHash();
    TSealHash(const TSealHash&) = delete;
    TSealHash& operator=(const TSealHash&) = delete;

    void Update(const uint8_t* data, size_t size);
    // The digest of everything fed so far; more may be fed afterwards.
    TDigest Finish() const;

  private:
    // xxHash's state wants 64-byte alignment and stays out of this header.
    struct TState;
    std::unique_ptr<TState> State;
};

}  // namespace telvo
