#include "install/write_plan.h"

#include <string_view>

namespace telvo {

namespace {

constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeDirectory = 0x10;

}  // namespace

bool RefusesReplacement(uint32_t targetAttributes) {
    return (targetAttributes &
            (kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeDirectory)) != 0;
}

std::string TemporaryPathFor(const std::string& targetPath, uint32_t tag) {
    static const char kHex[] = "0123456789abcdef";
    std::string path = targetPath + ".";
    for (int shift = 28; shift >= 0; shift -= 4) path += kHex[(tag >> shift) & 0xF];
    return path + ".tmp";
}

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool IsHexDigit(char c) {
    const char lower = LowerAscii(c);
    return (c >= '0' && c <= '9') || (lower >= 'a' && lower <= 'f');
}

}  // namespace

bool IsTemporaryNameFor(const std::string& targetName, const std::string& fileName) {
    constexpr size_t kTagLength = 8;
    constexpr std::string_view kSuffix = ".tmp";
    const size_t tail = 1 + kTagLength + kSuffix.size();
    if (targetName.empty() || fileName.size() != targetName.size() + tail)
        return false;
    const std::string_view name(fileName);
    const std::string_view tag = name.substr(targetName.size() + 1, kTagLength);
    for (char c : tag)
        if (!IsHexDigit(c))
            return false;
    return SameTextIgnoringCase(name.substr(0, targetName.size()), targetName) &&
           name[targetName.size()] == '.' &&
           SameTextIgnoringCase(name.substr(name.size() - kSuffix.size()), kSuffix);
}

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           SameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
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

std::string InstallFailureEnglish(const std::string& targetPath) {
    return "Can't install file " + targetPath;
}

TRussianText InstallFailureRussian(const std::string& targetPath) {
    return {"Не удается установить файл ", targetPath, ""};
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

TAfterFailedRename AfterFailedRename(TSameFile verdict, bool remoteVolume) {
    switch (verdict) {
        case TSameFile::Yes:
            return TAfterFailedRename::Written;
        case TSameFile::No:
            return remoteVolume ? TAfterFailedRename::Keep : TAfterFailedRename::Delete;
        case TSameFile::Unknown:
            break;
    }
    return TAfterFailedRename::Undecided;
}

}  // namespace telvo
