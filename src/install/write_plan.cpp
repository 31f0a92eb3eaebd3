#include "install/write_plan.h"

#include <string_view>

#include "startup/command_line.h"

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

std::string LeftoverMaskFor(const std::string& targetName) {
    return targetName + ".????????.tmp";
}

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
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
    return AsciiEqualIgnoringCase(name.substr(0, targetName.size()), targetName) &&
           name[targetName.size()] == '.' &&
           AsciiEqualIgnoringCase(name.substr(name.size() - kSuffix.size()), kSuffix);
}

std::string InstallFailureEnglish(const std::string& targetPath) {
    return "Can't install file " + targetPath;
}

TRussianText InstallFailureRussian(const std::string& targetPath) {
    return {"Не удается установить файл ", targetPath, ""};
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
