// The first bytes of a data file: the installed one lies in the application's folder, where the
// package reads its version; the carried one passes the build's header check. Each input is the
// start of a file; its last four bytes also serve as a version to check it against.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "install/data_header.h"
#include "update/flow_rules.h"

namespace telvo {
namespace {

constexpr std::string_view kBaseName = "vost";

// The check accepts exactly the files that begin with the expected header, and says why it
// refuses any other.
void CheckAgainst(std::string_view fileStart, std::string_view baseName, int32_t version) {
    const std::string expected = ExpectedDataHeader(baseName, version);
    const std::string mismatch = DataHeaderMismatch(fileStart, baseName, version);
    FUZZ_CHECK(mismatch.empty() == (!expected.empty() && fileStart.starts_with(expected)));
    if (expected.empty())
        return;
    // A header made for an identity stands for it.
    FUZZ_CHECK(expected.size() == kDataHeaderSize && expected.starts_with(baseName));
    FUZZ_CHECK(InstalledVersionFromHeader(expected) == version);
    FUZZ_CHECK(DataVersionFromByte(static_cast<uint8_t>(expected[kDataMagicSize])) == version);
    FUZZ_CHECK(DataHeaderMismatch(expected + std::string(fileStart), baseName, version).empty());
}

}  // namespace
}  // namespace telvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace telvo;
    const std::string_view start = fuzz::AsText(data, size);
    const int32_t installed = InstalledVersionFromHeader(start);
    FUZZ_CHECK(installed >= -32 && installed <= 223);
    FUZZ_CHECK(size < kDataHeaderSize ? installed == -32
                                      : installed == DataVersionFromByte(data[kDataMagicSize]));
    int32_t tail = 0;
    if (size >= sizeof tail)
        std::memcpy(&tail, data + size - sizeof tail, sizeof tail);
    for (const int32_t version : {installed, tail, -33, 224}) {
        CheckAgainst(start, kBaseName, version);
        CheckAgainst(start, start.substr(0, kDataMagicSize), version);
        CheckAgainst(start, start, version);
    }
    return 0;
}
