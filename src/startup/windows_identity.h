// The decision whether the package runs on 64-bit Windows, taken from what Windows reports about
// itself. Pure: the Win32 calls that gather the report live in identify_windows.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace telvo {

struct TWindowsReport {
    bool VersionKnown = false;     // GetVersionExA succeeded with either record size
    bool ExtendedVersion = false;  // ...and did so with the extended (156-byte) record
    uint32_t PlatformId = 0;       // 1: Windows 95 family, 2: NT family
    uint32_t MajorVersion = 0;
    std::string ServicePack;                 // szCSDVersion up to its first NUL
    uint16_t ProcessorArchitecture = 0;      // 0: x86, 9: AMD64
    std::optional<std::string> ProductName;  // absent when the key or a string value is missing
};

constexpr uint16_t kArchitectureX86 = 0;
constexpr uint16_t kArchitectureAmd64 = 9;

// True when the product name and the architecture take part in the identification: the NT
// family, reported through the extended record, major version 6. The package's manifest names
// no supported systems, so every Windows from Vista on reports 6 to it.
bool NeedsProductName(const TWindowsReport& report);

// The identification text: product name and architecture suffix (only where NeedsProductName),
// then the service-pack text when it holds more than blanks. Empty when the version is unknown
// or the platform is neither 1 nor 2.
std::string IdentificationText(const TWindowsReport& report);

// The text contains " 64": the package then works in the 64-bit registry view.
bool IsWindows64Text(const std::string& identification);

}  // namespace telvo
