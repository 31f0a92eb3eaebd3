#include "support/saved_registry_value.h"

#include <vector>

#include "startup/win_handles.h"
#include "support/test_registry.h"

namespace telvo::test {

void DeleteValue(HKEY root, const std::string& key, const std::string& name, REGSAM view) {
    TRegKey handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE | view, handle.put()) == ERROR_SUCCESS)
        RegDeleteValueA(handle.get(), name.c_str());
}

TSavedRegistryValue::TSavedRegistryValue(HKEY root, const std::string& key, const std::string& name,
                                         REGSAM view)
    : Root(root), Key(key), Name(name), View(view) {
    TRegKey handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, handle.put()) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (RegQueryValueExA(handle.get(), name.c_str(), nullptr, &Type, nullptr, &size) !=
        ERROR_SUCCESS)
        return;
    std::vector<char> data(size + 1);
    if (RegQueryValueExA(handle.get(), name.c_str(), nullptr, &Type,
                         reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS)
        Bytes = std::string(data.data(), size);
}

TSavedRegistryValue::~TSavedRegistryValue() {
    if (Bytes) {
        SeedValue(Root, Key, Name, Type, *Bytes, View);
    } else {
        DeleteValue(Root, Key, Name, View);
    }
}

}  // namespace telvo::test
