#include "startup/identify_windows.h"

#include <windows.h>

#include "startup/registry.h"
#include "startup/registry_error.h"
#include "startup/windows_identity.h"

namespace telvo {
namespace {

constexpr DWORD kExtendedRecordSize = 156;  // OSVERSIONINFOEXA
constexpr DWORD kPlainRecordSize = 148;     // OSVERSIONINFOA

void ReadVersion(TWindowsReport& report) {
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = kExtendedRecordSize;
    report.ExtendedVersion = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)) != FALSE;
    if (!report.ExtendedVersion) {
        info = {};
        info.dwOSVersionInfoSize = kPlainRecordSize;
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
            return;
    }
    report.VersionKnown = true;
    report.PlatformId = info.dwPlatformId;
    report.MajorVersion = info.dwMajorVersion;
    report.ServicePack.assign(info.szCSDVersion,
                              strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
}

// Only GetNativeSystemInfo tells a 32-bit process the machine's own architecture; it is looked
// up by name because the oldest systems lack it.
void ReadArchitecture(TWindowsReport& report) {
    using TGetNativeSystemInfo = void(WINAPI*)(LPSYSTEM_INFO);
    SYSTEM_INFO info{};
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto native = kernel ? reinterpret_cast<TGetNativeSystemInfo>(reinterpret_cast<void*>(
                               GetProcAddress(kernel, "GetNativeSystemInfo")))
                         : nullptr;
    if (native)
        native(&info);
    else
        GetSystemInfo(&info);
    report.ProcessorArchitecture = info.wProcessorArchitecture;
}

// Windows stores "ProductName" as a string; a value of another type counts as absent rather
// than stopping the package before it has said anything.
void ReadProductName(TWindowsReport& report) {
    TRegistry registry(kAccessAll64);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", false))
        return;
    try {
        if (registry.ValueExists("ProductName"))
            report.ProductName = registry.ReadString("ProductName");
    } catch (const ERegistryException&) {
        report.ProductName.reset();
    }
}

}  // namespace

bool IdentifyWindows() {
    TWindowsReport report;
    ReadVersion(report);
    if (!report.VersionKnown)
        return false;
    ReadArchitecture(report);
    if (NeedsProductName(report))
        ReadProductName(report);
    return IsWindows64Text(IdentificationText(report));
}

uint32_t WindowsMajorVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) ? info.dwMajorVersion : 0;
}

}  // namespace telvo
