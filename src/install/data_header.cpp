#include "install/data_header.h"

namespace telvo {

namespace {

// Shows header bytes readably in a build message: printable ASCII as is, the rest as \xNN.
std::string Printable(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            text += c;
        } else {
            text += "\\x";
            text += kHex[b >> 4];
            text += kHex[b & 0xF];
        }
    }
    return text;
}

// Decided on the version itself: adding the bias first overflows near the ends of the range.
bool FitsVersionByte(int32_t version) {
    return version >= -kDataVersionBias && version <= 0xFF - kDataVersionBias;
}

}  // namespace

std::string ExpectedDataHeader(std::string_view baseName, int32_t version) {
    if (baseName.size() != kDataMagicSize || !FitsVersionByte(version))
        return {};
    std::string header(baseName);
    header += static_cast<char>(version + kDataVersionBias);
    return header;
}

std::string DataHeaderMismatch(std::string_view fileStart, std::string_view baseName,
                               int32_t version) {
    if (baseName.size() != kDataMagicSize)
        return "the base name \"" + Printable(baseName) +
               "\" cannot be the header's magic, which is exactly four bytes";
    if (!FitsVersionByte(version))
        return "the version " + std::to_string(version) +
               " cannot be stored in the header's version byte (it must lie in -32..223)";
    if (fileStart.size() < kDataHeaderSize)
        return "the file is " + std::to_string(fileStart.size()) +
               " bytes long, shorter than its five-byte header";
    const std::string_view magic = fileStart.substr(0, kDataMagicSize);
    if (magic != baseName)
        return "the file begins with \"" + Printable(magic) + "\" where the base name \"" +
               std::string(baseName) + "\" belongs";
    const auto found = static_cast<uint8_t>(fileStart[kDataMagicSize]);
    if (DataVersionFromByte(found) != version)
        return "the file's version byte stands for version " +
               std::to_string(DataVersionFromByte(found)) + ", not " + std::to_string(version);
    return {};
}

}  // namespace telvo
