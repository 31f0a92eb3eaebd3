#include "lang/lang_folder.h"

#include <algorithm>

#include "startup/command_line.h"

namespace telvo {
namespace {

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Ties (names that differ only in letter case, possible on a case-sensitive file system) are
// broken by bytes so that the order never depends on the listing.
bool ListsBefore(const std::string& a, const std::string& b) {
    const std::string upperA = AsciiUpper(a);
    const std::string upperB = AsciiUpper(b);
    return upperA != upperB ? upperA < upperB : a < b;
}

}  // namespace

bool IsLangFileName(std::string_view name) {
    constexpr std::string_view kExtension = ".lng";
    return name.size() >= kExtension.size() &&
           AsciiLower(name.substr(name.size() - kExtension.size())) == kExtension;
}

TLangList MakeLangList(std::vector<std::string> listed) {
    std::erase_if(listed, [](const std::string& name) {
        return !IsLangFileName(name) || name.find('!') != std::string::npos;
    });
    std::sort(listed.begin(), listed.end(), ListsBefore);
    TLangList list;
    list.Files = std::move(listed);
    for (size_t i = 0; i < list.Files.size(); ++i) {
        const std::string lower = AsciiLower(list.Files[i]);
        if (lower == "russian.lng") {
            list.RussianIndex = static_cast<int32_t>(i);
        } else if (lower == "english.lng") {
            list.EnglishIndex = static_cast<int32_t>(i);
        }
    }
    return list;
}

std::string MissingRequiredLangFile(const TLangList& list, bool russianTexts) {
    if (russianTexts && list.RussianIndex == -1)
        return "russian.lng";
    if (list.EnglishIndex == -1)
        return "english.lng";
    return {};
}

int32_t FindLangFile(const std::vector<std::string>& files, std::string_view name) {
    const auto found = std::find(files.begin(), files.end(), name);
    return found == files.end() ? -1 : static_cast<int32_t>(found - files.begin());
}

}  // namespace telvo
