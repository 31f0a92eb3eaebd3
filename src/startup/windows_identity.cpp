#include "startup/windows_identity.h"

#include <algorithm>

namespace telvo {
namespace {

bool HoldsMoreThanBlanks(const std::string& text) {
    return std::ranges::any_of(text, [](char c) { return static_cast<unsigned char>(c) > ' '; });
}

}  // namespace

bool NeedsProductName(const TWindowsReport& report) {
    return report.VersionKnown && report.PlatformId == 2 && report.ExtendedVersion &&
           report.MajorVersion == 6;
}

std::string IdentificationText(const TWindowsReport& report) {
    if (!report.VersionKnown)
        return {};
    if (report.PlatformId != 1 && report.PlatformId != 2)
        return {};
    std::string text;
    if (NeedsProductName(report)) {
        if (report.ProductName)
            text = *report.ProductName;
        if (report.ProcessorArchitecture == kArchitectureAmd64)
            text += " 64-bit";
        else if (report.ProcessorArchitecture == kArchitectureX86)
            text += " 32-bit";
    }
    // The untrimmed text is appended: only the test for content uses the trimmed form.
    if (HoldsMoreThanBlanks(report.ServicePack))
        text += " " + report.ServicePack;
    return text;
}

bool IsWindows64Text(const std::string& identification) {
    return identification.find(" 64") != std::string::npos;
}

}  // namespace telvo
