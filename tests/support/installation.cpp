#include "support/installation.h"

#include <windows.h>

#include <vector>

#include "startup/win_handles.h"

namespace telvo::test {
namespace {

constexpr REGSAM kView64 = KEY_WOW64_64KEY;

void DeleteKeyTree(HKEY root, const std::string& key) {
    TRegKey handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | kView64, handle.put()) !=
        ERROR_SUCCESS)
        return;
    RegDeleteTreeA(handle.get(), nullptr);
    handle.reset();
    RegDeleteKeyExA(root, key.c_str(), kView64, 0);
}

bool PutString(HKEY root, const std::string& key, const std::string& name,
               const std::string& text) {
    TRegKey handle;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView64, nullptr,
                        handle.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(handle.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

// Character by character: in a double-byte code page a character's second byte may be 0x5C.
bool CreateFolderPath(const std::string& folder) {
    for (const char* at = folder.c_str() + 3; *at; at = CharNextA(at))
        if (*at == '\\')
            CreateDirectoryA(folder.substr(0, at - folder.c_str()).c_str(), nullptr);
    return (GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyLanguageFiles(const std::string& source, const std::string& target) {
    if (!CreateFolderPath(target))
        return false;
    WIN32_FIND_DATAA entry;
    TFindHandle find(FindFirstFileA((source + "\\*.lng").c_str(), &entry));
    if (!find)
        return false;
    do {
        if (!CopyFileA((source + "\\" + entry.cFileName).c_str(),
                       (target + entry.cFileName).c_str(), FALSE))
            return false;
    } while (FindNextFileA(find.get(), &entry));
    return true;
}

}  // namespace

bool WriteVersionedDataFile(const std::string& path, int version, uint32_t size) {
    std::vector<unsigned char> bytes(size);
    const unsigned char header[5] = {'v', 'o', 's', 't', static_cast<unsigned char>(version + 32)};
    uint32_t state = 0x2545F491u ^ static_cast<uint32_t>(version);
    for (uint32_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = i < sizeof header ? header[i] : static_cast<unsigned char>(state >> 24);
    }
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), size, &written, nullptr) && written == size;
}

std::optional<int> ReadDataVersion(const std::string& path) {
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    unsigned char header[5] = {};
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), header, sizeof header, &got, nullptr) || got < 5)
        return std::nullopt;
    return static_cast<int>(header[4]) - 32;
}

std::string LayOutInstallation(const TInstallationLayout& layout, const std::string& standIn,
                               const std::string& languageSource) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKeyWow);
    DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);
    if (!CreateFolderPath(layout.Folder))
        return "cannot create " + layout.Folder;

    const std::string uninstaller = layout.Folder + layout.Uninstaller;
    const std::string uninstallString =
        layout.QuotedUninstallString ? "\"" + uninstaller + "\"" : uninstaller;
    if (layout.Entry != TUninstallEntry::None) {
        const char* key =
            layout.Entry == TUninstallEntry::Normal ? kUninstallKey : kUninstallKeyWow;
        if (!PutString(HKEY_LOCAL_MACHINE, key, "UninstallString", uninstallString) ||
            !PutString(HKEY_LOCAL_MACHINE, key, "DisplayName", "Telvo"))
            return "cannot write the uninstall entry";
    }
    if (layout.LastRunFolder &&
        !PutString(HKEY_CURRENT_USER, kUserKey, "TheLastRunFolder", *layout.LastRunFolder))
        return "cannot write TheLastRunFolder";
    if (layout.LangFile && !PutString(HKEY_CURRENT_USER, kUserKey, "LangFile", *layout.LangFile))
        return "cannot write LangFile";

    if (layout.WithExecutable &&
        !CopyFileA(standIn.c_str(), (layout.Folder + "telvo.exe").c_str(), FALSE))
        return "cannot copy " + standIn;
    if (layout.WithLanguageFiles &&
        !CopyLanguageFiles(languageSource, layout.Folder + "language\\"))
        return "cannot copy the language files from " + languageSource;
    if (layout.DataVersion &&
        !WriteVersionedDataFile(layout.Folder + "vost.cok", *layout.DataVersion, layout.DataSize))
        return "cannot write vost.cok";
    return {};
}

void RemoveFolderTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    TFindHandle find(FindFirstFileA((folder + "*").c_str(), &entry));
    if (find) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolderTree(folder + name + "\\");
            } else {
                SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((folder + name).c_str());
            }
        } while (FindNextFileA(find.get(), &entry));
    }
    find.reset();
    RemoveDirectoryA(folder.c_str());
}

void RemoveInstallation(const std::string& folder) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKeyWow);
    DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);
    if (folder.empty())
        return;
    RemoveFolderTree(folder);
    if (const std::string copy = VirtualStoreCopy(folder); !copy.empty())
        RemoveFolderTree(copy);
}

std::string VirtualStoreCopy(const std::string& folder) {
    char local[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || folder.size() < 4 || folder[1] != ':')
        return "";
    return std::string(local) + "\\VirtualStore" + folder.substr(2);
}

}  // namespace telvo::test
