// Build tool, run on the build machine after linking: seals the package, or checks a seal.
//   telvo_seal seal FILE    writes the digest into the reserved slot of FILE
//   telvo_seal check FILE   exit code 0 when the seal is valid, 3 when missing, 4 when broken
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "integrity/seal.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "telvo_seal: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace telvo;
    if (argc != 3)
        return Fail("usage: telvo_seal seal|check FILE");
    const std::string mode = argv[1];
    const std::string path = argv[2];
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Fail("cannot read " + path);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    in.close();

    // Code signing appends its table at an offset divisible by 8 and pads the file up to it;
    // padding now keeps the bytes the seal covers the same after signing.
    const bool padded = mode == "seal" && file.size() % 8 != 0;
    if (padded)
        file.resize((file.size() + 7) / 8 * 8, 0);

    const auto layout = FindSealLayout(file.data(), file.size(), file.size());
    if (!layout)
        return Fail(path + " has no seal slot (section " + kSealSectionName + ")");
    TSealSlot slot;
    std::memcpy(&slot, file.data() + layout->SlotOffset, sizeof slot);
    if (std::memcmp(slot.Marker, kSealMarker.data(), kSealMarker.size()) != 0)
        return Fail(path + ": the seal section does not hold the slot");

    TSealDigest digest(*layout);
    digest.Feed(file.data(), file.size());
    const TDigest value = digest.Finish();

    if (mode == "check") {
        const TSealState state = JudgeSeal(slot, value);
        std::printf("%s: seal %s\n", path.c_str(),
                    state == TSealState::Valid     ? "valid"
                    : state == TSealState::Missing ? "missing"
                                                   : "broken");
        return state == TSealState::Valid ? 0 : state == TSealState::Missing ? 3 : 4;
    }
    if (mode != "seal")
        return Fail("unknown mode " + mode);
    std::memcpy(slot.Digest, value.data(), value.size());
    slot.Sealed = kSealedMark;
    std::memcpy(file.data() + layout->SlotOffset, &slot, sizeof slot);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out)
        return Fail("cannot write the seal into " + path);
    return 0;
}
