// A small PE32 image for the seal's tests: the headers FindSealLayout reads, nothing else.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace telvo::test {

// A minimal PE32 header with a ".seal" section and a certificate table, in `size` bytes of
// noise (zeros would hide offset faults of the digest).
inline std::vector<uint8_t> SyntheticImage(uint32_t certOffset, uint32_t certSize,
                                           size_t size = 8192) {
    std::vector<uint8_t> image(size);
    std::mt19937 random(46);
    for (uint8_t& b : image) b = static_cast<uint8_t>(random());
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&image[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&image[at], &v, 2); };
    image[0] = 'M';
    image[1] = 'Z';
    put32(0x3C, 0x80);
    std::memcpy(&image[0x80], "PE\0\0", 4);
    put16(0x84 + 2, 1);     // one section
    put16(0x84 + 16, 224);  // optional header size
    const size_t optional = 0x84 + 20;
    put16(optional, 0x10B);
    put32(optional + 92, 16);
    put32(optional + 96 + 32, certOffset);
    put32(optional + 96 + 36, certSize);
    const size_t section = optional + 224;
    std::memcpy(&image[section], ".seal\0\0\0", 8);
    put32(section + 16, 512);   // raw size
    put32(section + 20, 4096);  // raw offset
    return image;
}

}  // namespace telvo::test
