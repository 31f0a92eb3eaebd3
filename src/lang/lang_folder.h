// Which files of the application's language folder the package uses and what role each plays.
// Pure: works on the names the folder listing gave.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace telvo {

// The usable language files in the order the package examines them, and where the two files
// with a fixed role stand (-1 when absent).
struct TLangList {
    std::vector<std::string> Files;
    int32_t RussianIndex = -1;
    int32_t EnglishIndex = -1;
};

// Whether `name`, an entry's own (long) name, ends in ".lng" in any ASCII letter case. A listing
// for "*.lng" also gives entries whose 8.3 short name alone matches ("notes.lngx", short name
// "NOTES~1.LNG"): NTFS and Wine match a pattern against both names.
bool IsLangFileName(std::string_view name);

// Builds the list from the names a "*.lng" listing gave: names that are no language file's
// (IsLangFileName) and names holding "!" are left out entirely; the rest keep their letter case and
// are ordered as NTFS lists them (ASCII letters compare as upper case), so that which of several
// locale matches wins does not depend on the file system. "russian.lng" and "english.lng" are
// recognised in any ASCII letter case.
TLangList MakeLangList(std::vector<std::string> listed);

// The name of the required file the list lacks, or "": "russian.lng" when Russian texts are
// shown and it is absent, else "english.lng" when it is absent.
std::string MissingRequiredLangFile(const TLangList& list, bool russianTexts);

// The first position of `name` in `files`, compared byte for byte (letter case counts), or -1.
int32_t FindLangFile(const std::vector<std::string>& files, std::string_view name);

}  // namespace telvo
