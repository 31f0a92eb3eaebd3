#include "startup/application_error_text.h"

#include <cstdio>

namespace telvo {
namespace {

constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kIntegerDivideByZero = 0xC0000094;
constexpr uint32_t kStackOverflow = 0xC00000FD;

std::string Hex8(uintptr_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::string FormatApplicationError(const std::string& className, const std::string& moduleName,
                                   uintptr_t address, const std::string& message) {
    const bool hasFullStop = !message.empty() && message.back() == '.';
    return "Exception " + className + " in module " + moduleName + " at " + Hex8(address) +
           ".\r\n" + message + (hasFullStop ? "" : ".") + "\r\n";
}

std::string FileNamePart(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

THardwareErrorText DescribeHardwareException(uint32_t code, uintptr_t address,
                                             const std::string& moduleName, uintptr_t accessKind,
                                             uintptr_t accessAddress) {
    switch (code) {
        case kAccessViolation: {
            const char* kind = accessKind == 1 ? "Write" : accessKind == 8 ? "Execution" : "Read";
            return {"EAccessViolation", "Access violation at address " + Hex8(address) +
                                            " in module '" + moduleName + "'. " + kind +
                                            " of address " + Hex8(accessAddress)};
        }
        case kIntegerDivideByZero:
            return {"EDivByZero", "Division by zero"};
        case kStackOverflow:
            return {"EStackOverflow", "Stack overflow"};
        default:
            return {"EExternalException", "External exception " + Hex8(code)};
    }
}

}  // namespace telvo
