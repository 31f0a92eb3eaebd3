// Build helper, compiled for the build machine (not part of the package):
//   payload_tool lay-out PATH BASENAME VERSION SIZE   writes a stand-in data file
//   payload_tool check PATH BASENAME VERSION          stops the build when the header disagrees
//   payload_tool version-info PACKAGE                 prints what a package's properties say:
//                                                     FILEVERSION=, PRODUCTVERSION= and each
//                                                     text as Name=text, one a line
//   payload_tool carries PACKAGE NAME FILE            fails unless the package carries FILE
//                                                     byte for byte as the data file NAME
//                                                     (vost.cok: the resource COK/VOST)
// The stand-in is the header followed by pseudo-random bytes from a fixed start value: the same
// bytes on every machine, and no long runs of equal bytes that would hide an offset or a short
// copy.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "install/data_header.h"
#include "pe_resources.h"

namespace {

constexpr uint64_t kStartValue = 0x7E1F0C0C2A5B9D31ull;

// splitmix64: fast, and every 64-bit state gives a well-mixed output.
uint64_t Next(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "payload_tool: %s\n", text.c_str());
    return 1;
}

int LayOut(const std::string& path, const std::string& baseName, int32_t version, uint64_t size) {
    const std::string header = telvo::ExpectedDataHeader(baseName, version);
    if (header.empty() || size < header.size())
        return Fail("no stand-in can be made for " + baseName + " version " +
                    std::to_string(version) + " of " + std::to_string(size) + " bytes");
    // Written under another name and renamed, so an interrupted run leaves no short file that a
    // later build would take as complete.
    const std::string partial = path + ".partial";
    FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out)
        return Fail("cannot create " + partial);
    std::vector<uint64_t> block(1 << 17);
    auto* bytes = reinterpret_cast<unsigned char*>(block.data());
    const size_t blockBytes = block.size() * sizeof(uint64_t);
    uint64_t state = kStartValue;
    uint64_t left = size;
    bool first = true;
    bool ok = true;
    while (left > 0 && ok) {
        for (uint64_t& word : block) word = Next(state);
        if (first) {
            for (size_t i = 0; i < header.size(); ++i)
                bytes[i] = static_cast<unsigned char>(header[i]);
            first = false;
        }
        const size_t n = left < blockBytes ? static_cast<size_t>(left) : blockBytes;
        ok = std::fwrite(bytes, 1, n, out) == n;
        left -= n;
    }
    ok = std::fclose(out) == 0 && ok;
    if (!ok || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return Fail("cannot write " + path);
    }
    return 0;
}

int Check(const std::string& path, const std::string& baseName, int32_t version) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return Fail("the carried data file " + path + " cannot be read");
    char start[telvo::kDataHeaderSize] = {};
    const size_t got = std::fread(start, 1, sizeof start, in);
    std::fclose(in);
    const std::string mismatch =
        telvo::DataHeaderMismatch(std::string_view(start, got), baseName, version);
    if (mismatch.empty())
        return 0;
    return Fail("the carried data file " + path + " does not match the package's identity (" +
                "TELVO_DATA_NAME gives the base name \"" + baseName +
                "\", TELVO_DATA_VERSION the version " + std::to_string(version) + "): " + mismatch +
                ". Give a file whose first four bytes are the base name and whose " +
                "fifth is the version plus 32, or correct TELVO_DATA_NAME / TELVO_DATA_VERSION.");
}

std::string VersionText(const std::array<uint16_t, 4>& parts) {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

int PrintVersionInfo(const std::string& path) {
    std::string error;
    const std::optional<telvo::tools::TVersionInfo> info =
        telvo::tools::ReadVersionInfo(path, error);
    if (!info)
        return Fail(path + ": " + error);
    std::printf("FILEVERSION=%s\nPRODUCTVERSION=%s\n", VersionText(info->FileVersion).c_str(),
                VersionText(info->ProductVersion).c_str());
    for (const auto& [name, text] : info->Strings)
        std::printf("%s=%s\n", name.c_str(), text.c_str());
    return 0;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Where the `size` bytes of `a` from its read position first differ from those of `b` from
// its read position: `size` when they are equal, nullopt when either cannot be read.
std::optional<uint64_t> FirstDifference(std::ifstream& a, std::ifstream& b, uint64_t size) {
    std::vector<char> ours(1 << 20);
    std::vector<char> theirs(ours.size());
    for (uint64_t at = 0; at < size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(ours.size(), size - at));
        if (!a.read(ours.data(), static_cast<std::streamsize>(n)) ||
            !b.read(theirs.data(), static_cast<std::streamsize>(n)))
            return std::nullopt;
        const char* begin = ours.data();
        const char* end = begin + n;
        const char* differs = std::mismatch(begin, end, theirs.data()).first;
        if (differs != end)
            return at + static_cast<uint64_t>(differs - begin);
        at += n;
    }
    return size;
}

int CheckCarried(const std::string& package, const std::string& name, const std::string& path) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return Fail(name + " is no data file name: it has no extension");
    const std::string type = Upper(name.substr(dot + 1));
    const std::string resource = Upper(name.substr(0, dot));
    std::string error;
    const std::optional<telvo::tools::TResourceData> carried =
        telvo::tools::FindNamedResource(package, type, resource, error);
    if (!carried)
        return Fail(package + ": " + error);
    std::ifstream in(package, std::ios::binary);
    std::ifstream data(path, std::ios::binary | std::ios::ate);
    if (!data)
        return Fail("cannot read " + path);
    const uint64_t size = static_cast<uint64_t>(data.tellg());
    if (size != carried->Size)
        return Fail(package + " carries " + std::to_string(carried->Size) + " bytes as " + name +
                    ", " + path + " holds " + std::to_string(size));
    in.seekg(static_cast<std::streamoff>(carried->Offset));
    data.seekg(0);
    const std::optional<uint64_t> difference = FirstDifference(in, data, size);
    if (!difference)
        return Fail("cannot read " + package + " or " + path);
    if (*difference != size)
        return Fail(package + " carries another " + name + " than " + path +
                    ": they differ from byte " + std::to_string(*difference) + " on");
    std::printf("%s carries %s (%llu bytes) as %s\n", package.c_str(), path.c_str(),
                static_cast<unsigned long long>(size), name.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 5 && args[0] == "lay-out")
        return LayOut(args[1], args[2], std::atoi(args[3].c_str()),
                      std::strtoull(args[4].c_str(), nullptr, 10));
    if (args.size() == 4 && args[0] == "check")
        return Check(args[1], args[2], std::atoi(args[3].c_str()));
    if (args.size() == 2 && args[0] == "version-info")
        return PrintVersionInfo(args[1]);
    if (args.size() == 4 && args[0] == "carries")
        return CheckCarried(args[1], args[2], args[3]);
    return Fail(
        "usage: payload_tool lay-out PATH BASENAME VERSION SIZE | check PATH BASENAME VERSION | "
        "version-info PACKAGE | carries PACKAGE NAME FILE");
}
