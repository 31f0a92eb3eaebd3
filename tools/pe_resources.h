// Reads the resources of a Windows executable on the build machine: its version information, as
// a file's properties show it, and where a named resource's data lies in the file. For the
// maker's checks of what a package carries and says it carries.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace telvo::tools {

struct TVersionInfo {
    std::array<uint16_t, 4> FileVersion{};     // FILEVERSION, most significant part first
    std::array<uint16_t, 4> ProductVersion{};  // PRODUCTVERSION
    // Name and text (UTF-8) of every value of every string table, in the order they are stored.
    std::vector<std::pair<std::string, std::string>> Strings;
};

// The first version resource of the PE image at `path` (any language). nullopt, with `error`
// saying why, when the file cannot be read, is no PE image, has no version resource or holds
// one that runs past its bounds.
std::optional<TVersionInfo> ReadVersionInfo(const std::string& path, std::string& error);

// Where the data of the resource of a named type and name (first language) lies in the file.
// Names are compared as resource compilers store them: "COK", "VOST". nullopt, with `error`
// saying why, when there is no such resource or its data lies past the end of the file.
struct TResourceData {
    uint64_t Offset = 0;
    uint32_t Size = 0;
};
std::optional<TResourceData> FindNamedResource(const std::string& path, const std::string& type,
                                               const std::string& name, std::string& error);

}  // namespace telvo::tools
