#include "folder/file_identity.h"

#include <winternl.h>

#include <algorithm>
#include <iterator>

#include "folder/folder_seams.h"
#include "startup/safe_loading.h"

namespace telvo {

std::optional<TFileIdentity> IdentityOf(HANDLE handle) {
    // FILE_ID_INFO, which GetFileInformationByHandleEx gives as its class FileIdInfo from
    // Windows 8 on; earlier systems refuse the class.
    struct TFileIdInfo {
        ULONGLONG VolumeSerialNumber;
        uint8_t Identifier[16];
    };
    constexpr int kFileIdInfo = 18;
    using TGetInformationEx = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const auto getInformationEx = reinterpret_cast<TGetInformationEx>(
        OptionalSystemEntry("kernel32.dll", "GetFileInformationByHandleEx"));
    if (FileIdsHidden())
        return std::nullopt;
    TFileIdentity identity;
    TFileIdInfo wide{};
    if (getInformationEx && getInformationEx(handle, kFileIdInfo, &wide, sizeof wide)) {
        identity.Volume = wide.VolumeSerialNumber;
        std::copy(std::begin(wide.Identifier), std::end(wide.Identifier), identity.Id.begin());
        identity.Wide = true;
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION narrow{};
    if (!GetFileInformationByHandle(handle, &narrow))
        return std::nullopt;
    identity.Volume = narrow.dwVolumeSerialNumber;
    const uint64_t index = (uint64_t{narrow.nFileIndexHigh} << 32) | narrow.nFileIndexLow;
    for (size_t i = 0; i < sizeof index; ++i)
        identity.Id[i] = static_cast<uint8_t>(index >> (8 * i));
    return identity;
}

bool IsOnRemoteVolume(HANDLE handle) {
    // FILE_FS_DEVICE_INFORMATION, FileFsDeviceInformation, FILE_REMOTE_DEVICE and
    // FILE_DEVICE_NETWORK_FILE_SYSTEM of the driver kit.
    struct TDeviceInformation {
        ULONG DeviceType;
        ULONG Characteristics;
    };
    constexpr auto kDeviceInformation = static_cast<FS_INFORMATION_CLASS>(4);
    constexpr ULONG kRemoteDevice = 0x10;
    constexpr ULONG kNetworkFileSystem = 0x14;
    static const auto queryVolume = reinterpret_cast<decltype(&NtQueryVolumeInformationFile)>(
        SystemEntry("ntdll.dll", "NtQueryVolumeInformationFile"));
    TDeviceInformation device{};
    IO_STATUS_BLOCK status{};
    if (queryVolume(handle, &status, &device, sizeof device, kDeviceInformation) != 0)
        return true;
    return (device.Characteristics & kRemoteDevice) || device.DeviceType == kNetworkFileSystem;
}

}  // namespace telvo
