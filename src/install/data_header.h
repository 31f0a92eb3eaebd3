// The first five bytes of the data file: the four-byte magic (the data file's base name) and the
// data version plus 32. The package never reads further; the build checks a carried file against
// the identity it is stamped with, so a package cannot carry a file that contradicts it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace telvo {

constexpr size_t kDataHeaderSize = 5;
constexpr size_t kDataMagicSize = 4;
constexpr int32_t kDataVersionBias = 32;

// The version the header byte stands for: the byte minus 32, so 0..255 gives -32..223.
constexpr int32_t DataVersionFromByte(uint8_t versionByte) {
    return static_cast<int32_t>(versionByte) - kDataVersionBias;
}

// The five header bytes a file carrying `version` under the base name `baseName` must begin
// with; empty when no header can say that (a base name that is not four bytes long, or a
// version outside -32..223).
std::string ExpectedDataHeader(std::string_view baseName, int32_t version);

// Empty when `fileStart` (the file's first bytes, or all of a shorter file) begins with the
// header of `baseName` and `version`; otherwise one sentence saying what disagrees.
std::string DataHeaderMismatch(std::string_view fileStart, std::string_view baseName,
                               int32_t version);

}  // namespace telvo
