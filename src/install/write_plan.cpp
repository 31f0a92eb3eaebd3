#include "install/write_plan.h"

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

std::string FolderOfPath(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string TemporaryPathFor(const std::string& targetPath, uint32_t tag) {
    static const char kHex[] = "0123456789abcdef";
    std::string path = targetPath + ".";
    for (int shift = 28; shift >= 0; shift -= 4) path += kHex[(tag >> shift) & 0xF];
    return path + ".tmp";
}

std::string InstallFailureEnglish(const std::string& targetPath) {
    return "Can't install file " + targetPath;
}

std::string InstallFailureRussian(const std::string& targetPath) {
    return "Не удается установить файл " + targetPath;
}

}  // namespace telvo
