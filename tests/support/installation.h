// Lays out a stand-in installation of Telvo: the uninstall entry, the per-user key, the
// stand-in "telvo.exe", "language\" with the fixture language files and an older "vost.cok".
// Unit tests, end-to-end runs and the demo (through telvo_layout.exe) all use this one helper.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace telvo::test {

enum class TUninstallEntry { Normal, Wow6432, None };

struct TInstallationLayout {
    std::string Folder;  // the install folder, with a trailing backslash
    TUninstallEntry Entry = TUninstallEntry::Normal;
    bool QuotedUninstallString = true;         // as common installer tools write it
    std::string Uninstaller = "unins000.exe";  // in the folder, named by "UninstallString"
    std::optional<int> DataVersion = 40;       // no data file when absent
    uint32_t DataSize = 64 * 1024;
    bool WithExecutable = true;
    bool WithLanguageFiles = true;
    std::optional<std::string> LastRunFolder;  // per-user "TheLastRunFolder"
    std::optional<std::string> LangFile;       // per-user "LangFile"
};

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telvo";
constexpr char kUninstallKeyWow[] =
    "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telvo";
constexpr char kUserKey[] = "Software\\Tamrel\\Telvo";

// Removes every trace of an earlier layout from the registry (both uninstall entries, the
// per-user key), then lays out `layout`. `standIn` is the stand-in executable to copy,
// `languageSource` the folder of the fixture language files (both with Windows paths).
// Returns "" on success, otherwise what failed.
std::string LayOutInstallation(const TInstallationLayout& layout, const std::string& standIn,
                               const std::string& languageSource);

// Removes a folder (with a trailing backslash) and everything in it, read-only files included.
void RemoveFolderTree(const std::string& folder);

// Removes the registry keys of a layout and the files it made, with the folder's VirtualStore
// copy: what the stand-in, started unelevated, wrote there is an earlier case's.
void RemoveInstallation(const std::string& folder);

// Where Windows (UAC's file virtualization) puts what an unelevated program without a manifest
// writes into `folder` (with a trailing backslash), say "C:\Program Files\Telvo\": the same path
// without its drive below %LOCALAPPDATA%\VirtualStore. Empty where there is none to name.
std::string VirtualStoreCopy(const std::string& folder);

// Writes a data file: "vost", the version plus 32, then pseudo-random bytes from a fixed start
// value (zeros would hide offset and copy faults). Returns false when it cannot be written.
bool WriteVersionedDataFile(const std::string& path, int version, uint32_t size);

// The data version in a data file's fifth byte, or nullopt when it cannot be read.
std::optional<int> ReadDataVersion(const std::string& path);

}  // namespace telvo::test
