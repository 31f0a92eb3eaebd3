#include "update/flow_rules.h"

#include "startup/command_line.h"

namespace telvo {

std::string DataFileExtension(std::string_view dataFileName) {
    const size_t dot = dataFileName.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(dataFileName.substr(dot));
}

std::string DataFileBaseName(std::string_view dataFileName, std::string_view extension) {
    const size_t at = extension.empty() ? std::string_view::npos : dataFileName.find(extension);
    return std::string(dataFileName.substr(0, at));
}

int32_t InstalledVersionFromHeader(std::string_view firstBytes) {
    const uint8_t versionByte = firstBytes.size() >= 5 ? static_cast<uint8_t>(firstBytes[4]) : 0;
    return static_cast<int32_t>(versionByte) - 32;
}

bool IsSilentMode(std::string_view commandWord) {
    return commandWord == "modest";
}

bool WantsApplicationStarted(std::string_view secondArgument) {
    return AsciiLower(secondArgument) == "runapp";
}

bool MayStartApplication(std::string_view commandWord, std::string_view secondArgument) {
    return !IsSilentMode(commandWord) || WantsApplicationStarted(secondArgument);
}

}  // namespace telvo
