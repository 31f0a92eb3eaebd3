// Build tool, run on the build machine after the seal: writes the PE CheckSum of the finished
// file into its header.
//   pe_checksum FILE
// The linker sums the file before the seal is written, so its CheckSum goes stale. A true one
// makes the unsigned package exactly what removing the signature from the signed package gives
// back (osslsigncode recomputes the field then), so anyone can rebuild a published package and
// compare it byte for byte. The seal leaves the field out, so writing it keeps the seal.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr size_t kPeOffsetField = 0x3C;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kChecksumOffset = 64;  // in the optional header

int Fail(const std::string& message) {
    std::fprintf(stderr, "pe_checksum: %s\n", message.c_str());
    return 1;
}

uint32_t Read32(const std::vector<uint8_t>& file, size_t at) {
    return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | uint32_t(file[at + 3]) << 24;
}

// The image checksum of the PE format: the file summed as 16-bit words with the carries folded
// back in, the CheckSum field itself counted as zero, plus the file's length.
uint32_t ImageChecksum(const std::vector<uint8_t>& file, size_t checksumAt) {
    uint64_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
        if (i >= checksumAt && i < checksumAt + 4)
            continue;
        const uint32_t word = file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + file.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return Fail("usage: pe_checksum FILE");
    const std::string path = argv[1];
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Fail("cannot read " + path);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    in.close();

    if (file.size() < kPeOffsetField + 4 || file[0] != 'M' || file[1] != 'Z')
        return Fail(path + " is not a PE image");
    const size_t pe = Read32(file, kPeOffsetField);
    const size_t checksumAt = pe + 4 + kCoffHeaderSize + kChecksumOffset;
    if (checksumAt % 2 != 0 || checksumAt + 4 > file.size() ||
        std::memcmp(file.data() + pe, "PE\0\0", 4) != 0)
        return Fail(path + " is not a PE image");

    const uint32_t checksum = ImageChecksum(file, checksumAt);
    const uint8_t bytes[4] = {uint8_t(checksum), uint8_t(checksum >> 8), uint8_t(checksum >> 16),
                              uint8_t(checksum >> 24)};
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(checksumAt));
    out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    if (!out)
        return Fail("cannot write the checksum into " + path);
    return 0;
}
