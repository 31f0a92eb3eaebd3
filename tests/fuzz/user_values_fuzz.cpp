// The per-user values any process of the user can write, as the package reads them: the whole
// input is a "TheLastRunFolder" text, and its lines are a "LangFile" value (the first) and the
// names a listing of the language folder gave (the rest).
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "discovery/path_rules.h"
#include "fuzz_check.h"
#include "folder/folder_rules.h"
#include "lang/lang_folder.h"

namespace telvo {
namespace {

// The package's folder functions as it calls them on a single-byte code page (1251, 1252); the
// double-byte reading has its own target (uninstall_folder_fuzz.cpp).
const TLeadBytes kSingleByte;
std::string WithTrailingBackslash(std::string folder) {
    AddTrailingBackslash(folder, kSingleByte);
    return folder;
}
std::string FolderPartOf(std::string_view uninstallString) {
    return UninstallFolderPart(uninstallString, kSingleByte);
}

std::string AsciiCase(std::string text, bool upper) {
    const char from = upper ? 'a' : 'A';
    for (char& c : text)
        if (c >= from && c <= from + 25)
            c = static_cast<char>(c - from + (upper ? 'A' : 'a'));
    return text;
}
std::string AsciiLower(std::string text) {
    return AsciiCase(std::move(text), false);
}

// What the package does with the folder text: an empty one is ignored, any other becomes a
// folder ending in one backslash, and whether the writer works there is decided by its start.
void CheckFolderRule(std::string_view text) {
    if (text.empty())
        return;
    const std::string folder = WithTrailingBackslash(std::string(text));
    FUZZ_CHECK(folder == text || folder == std::string(text) + "\\");
    FUZZ_CHECK(folder.back() == '\\');
    FUZZ_CHECK(WithTrailingBackslash(folder) == folder);
    // The files the package names inside the folder give the folder back.
    FUZZ_CHECK(folder.front() == '"' || FolderPartOf(folder + "telvo.exe") == folder);

    const bool accepted = IsFileSystemFolderPath(folder);
    FUZZ_CHECK(IsFileSystemFolderPath(folder + "Telvo\\") == accepted);
    FUZZ_CHECK(IsFileSystemFolderPath("C:\\" + folder));
    for (const char* device : {"\\\\.\\", "//./", "\\??\\", "\\\\?\\GLOBALROOT\\"})
        FUZZ_CHECK(!IsFileSystemFolderPath(device + folder));
    const char letter = AsciiLower(folder.substr(0, 1))[0];
    const bool driveRoot = folder.size() >= 3 && letter >= 'a' && letter <= 'z' &&
                           folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
    const bool driveOrShare = driveRoot || AsciiLower(folder.substr(0, 4)) == "unc\\";
    FUZZ_CHECK(IsFileSystemFolderPath("\\\\?\\" + folder) == driveOrShare);
}

// The language list and the per-user choice from it.
void CheckLangChoice(const std::string& langFile, const std::vector<std::string>& listed) {
    const TLangList list = MakeLangList(listed);
    std::vector<std::string> usable;
    std::copy_if(listed.begin(), listed.end(), std::back_inserter(usable),
                 [](const std::string& name) {
                     return name.find('!') == std::string::npos && IsLangFileName(name);
                 });
    // The usable names, all of them, in the order NTFS lists them (ASCII letters as upper case).
    std::vector<std::string> sortedFiles = list.Files;
    std::sort(usable.begin(), usable.end());
    std::sort(sortedFiles.begin(), sortedFiles.end());
    FUZZ_CHECK(sortedFiles == usable);
    for (size_t i = 1; i < list.Files.size(); ++i) {
        FUZZ_CHECK(AsciiCase(list.Files[i - 1], true) <= AsciiCase(list.Files[i], true));
    }
    // Each fixed role points at the last file of its name in any letter case, or at none.
    const auto checkRole = [&](int32_t index, const char* name) {
        int32_t last = -1;
        for (size_t i = 0; i < list.Files.size(); ++i)
            if (AsciiLower(list.Files[i]) == name)
                last = static_cast<int32_t>(i);
        FUZZ_CHECK(index == last);
    };
    checkRole(list.RussianIndex, "russian.lng");
    checkRole(list.EnglishIndex, "english.lng");
    for (const bool russianTexts : {false, true}) {
        const std::string missing = MissingRequiredLangFile(list, russianTexts);
        FUZZ_CHECK(missing == (russianTexts && list.RussianIndex == -1 ? "russian.lng"
                               : list.EnglishIndex == -1               ? "english.lng"
                                                                       : ""));
    }
    // The value chooses only a listed file of exactly its name, the first one.
    const int32_t chosen = FindLangFile(list.Files, langFile);
    const auto first = std::find(list.Files.begin(), list.Files.end(), langFile);
    FUZZ_CHECK(chosen == (first == list.Files.end() ? -1 : first - list.Files.begin()));
    FUZZ_CHECK(chosen == -1 || langFile.find('!') == std::string::npos);
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace
}  // namespace telvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = telvo::fuzz::AsText(data, size);
    telvo::CheckFolderRule(text);
    std::vector<std::string> lines = telvo::Lines(text);
    const std::string langFile = lines.front();
    lines.erase(lines.begin());
    telvo::CheckLangChoice(langFile, lines);
    return 0;
}
