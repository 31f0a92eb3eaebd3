#include "support/test_registry.h"

#include <gtest/gtest.h>

#include "startup/win_handles.h"

namespace telvo::test {

void SeedValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
               const std::string& bytes, REGSAM view) {
    TRegKey handle;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                              handle.put(), nullptr),
              ERROR_SUCCESS)
        << key;
    ASSERT_EQ(RegSetValueExA(handle.get(), name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS)
        << name;
}

void SeedString(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                REGSAM view) {
    SeedValue(root, key, name, REG_SZ, text + '\0', view);
}

void SeedDword(HKEY root, const std::string& key, const std::string& name, uint32_t value,
               REGSAM view) {
    SeedValue(root, key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4),
              view);
}

bool KeyExists(HKEY root, const std::string& key, REGSAM view) {
    TRegKey handle;
    return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, handle.put()) == ERROR_SUCCESS;
}

std::optional<uint32_t> ReadDword(HKEY root, const std::string& key, const std::string& name,
                                  REGSAM view) {
    TRegKey handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, handle.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(handle.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

void DeleteTree(HKEY root, const std::string& key, REGSAM view) {
    // RegDeleteTreeA has no view argument; open the key in the view first.
    TRegKey handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | view, handle.put()) != ERROR_SUCCESS)
        return;
    RegDeleteTreeA(handle.get(), nullptr);
    handle.reset();
    RegDeleteKeyExA(root, key.c_str(), view, 0);
}

TScratchKey::TScratchKey(HKEY root, const std::string& name, REGSAM view)
    : Root(root), KeyPath("Software\\TelvoTests\\" + name), View(view) {
    DeleteTree(Root, KeyPath, View);
}

TScratchKey::~TScratchKey() {
    DeleteTree(Root, KeyPath, View);
}

}  // namespace telvo::test
