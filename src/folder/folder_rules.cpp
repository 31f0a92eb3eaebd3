#include "folder/folder_rules.h"

#include "startup/command_line.h"

namespace telvo {
namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           AsciiEqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsDriveRoot(std::string_view path) {
    const char letter = LowerAscii(path.empty() ? '\0' : path[0]);
    return path.size() >= 3 && letter >= 'a' && letter <= 'z' && path[1] == ':' &&
           IsSeparator(path[2]);
}

template <typename Char>
Char LowerAsciiOf(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsFileSystemFolderPath(std::string_view folder) {
    // Win32 treats "/" as "\" in these prefixes too.
    if (folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        if (folder.size() >= 4 && (folder[2] == '.' || folder[2] == '?') &&
            IsSeparator(folder[3])) {
            const std::string_view rest = folder.substr(4);
            return folder[2] == '?' && (IsDriveRoot(rest) || StartsWithIgnoringCase(rest, "UNC\\"));
        }
        return true;  // \\server\share
    }
    return !StartsWithIgnoringCase(folder, "\\??\\");
}

bool IsPathOfEntry(std::wstring_view folderPath, std::wstring_view entryPath,
                   std::wstring_view name) {
    if (name.empty() || entryPath.size() != folderPath.size() + 1 + name.size())
        return false;
    const auto same = [](std::wstring_view a, std::wstring_view b) {
        for (size_t i = 0; i < a.size(); ++i)
            if (LowerAsciiOf(a[i]) != LowerAsciiOf(b[i]))
                return false;
        return true;
    };
    return same(entryPath.substr(0, folderPath.size()), folderPath) &&
           entryPath[folderPath.size()] == L'\\' &&
           same(entryPath.substr(folderPath.size() + 1), name);
}

TSameFile SameByIdentity(const std::optional<TFileIdentity>& own,
                         const std::optional<TFileIdentity>& found) {
    constexpr std::array<uint8_t, 16> kNoId{};
    if (!own || !found || own->Wide != found->Wide || own->Id == kNoId || found->Id == kNoId)
        return TSameFile::Unknown;
    return own->Volume == found->Volume && own->Id == found->Id ? TSameFile::Yes : TSameFile::No;
}

TSameFile SameFileOfAnswers(TSameFile byPath, TSameFile byIdentity) {
    if (byPath == TSameFile::No && byIdentity == TSameFile::No)
        return TSameFile::No;
    if (byPath == TSameFile::No || byIdentity == TSameFile::No)
        return TSameFile::Unknown;
    return byPath == TSameFile::Yes || byIdentity == TSameFile::Yes ? TSameFile::Yes
                                                                    : TSameFile::Unknown;
}

}  // namespace telvo
