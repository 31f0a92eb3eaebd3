#include "startup/registry.h"

#include <vector>

#include "startup/registry_error.h"

namespace telvo {
namespace {

[[noreturn]] void RaiseValueError(const char* what, const std::string& name) {
    throw ERegistryException(std::string(what) + " '" + name + "'");
}

std::string WithoutTrailingBackslashes(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace

__attribute__((noinline)) ERegistryException::ERegistryException(const std::string& message)
    : std::runtime_error(message), RaisedAt(__builtin_return_address(0)) {}

TRegistry::TRegistry(uint32_t access) : AccessMask(access) {}

void TRegistry::SetRootKey(HKEY root) {
    if (root == Root)
        return;
    CloseKey();
    Root = root;
}

bool TRegistry::OpenKey(const std::string& path, bool create) {
    const std::string subKey = WithoutTrailingBackslashes(path);
    TRegKey opened;
    LONG status;
    if (create) {
        status = RegCreateKeyExA(Root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 AccessMask, nullptr, opened.put(), nullptr);
    } else {
        status = RegOpenKeyExA(Root, subKey.c_str(), 0, AccessMask, opened.put());
    }
    if (status != ERROR_SUCCESS)
        return false;
    Key = std::move(opened);
    return true;
}

bool TRegistry::ValueExists(const std::string& name) const {
    if (!Key)
        return false;
    return RegQueryValueExA(Key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!Key)
        RaiseValueError("Failed to get data for", name);
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(Key.get(), name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<char> data;
    // The value may grow between the two calls; ask again until it fits.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            break;
        data.resize(size + 1);
        DWORD got = size;
        status = RegQueryValueExA(Key.get(), name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &got);
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            std::string text(data.data(), got);
            return text.substr(0, text.find('\0'));
        }
        if (status == ERROR_MORE_DATA)
            size = got;
    }
    RaiseValueError("Failed to get data for", name);
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    if (!Key || RegSetValueExA(Key.get(), name.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS)
        RaiseValueError("Failed to set data for", name);
}

}  // namespace telvo
