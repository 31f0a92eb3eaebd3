// Reads the version information of a Windows executable on the build machine, as a file's
// properties show it: the fixed file and product versions and the texts of its string tables.
// For the maker's checks that a package says which data it carries.
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

}  // namespace telvo::tools
