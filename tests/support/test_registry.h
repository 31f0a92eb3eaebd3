// Raw registry access for tests: seeding values of any type and reading back, bypassing
// TRegistry so that tests do not check it against itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace telvo::test {

constexpr REGSAM kView64 = KEY_WOW64_64KEY;
constexpr REGSAM kView32 = KEY_WOW64_32KEY;

// Stores raw bytes as a value of the given type, creating the key.
void SeedValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
               const std::string& bytes, REGSAM view = 0);
void SeedString(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                REGSAM view = 0);
void SeedDword(HKEY root, const std::string& key, const std::string& name, uint32_t value,
               REGSAM view = 0);

bool KeyExists(HKEY root, const std::string& key, REGSAM view = 0);
std::optional<uint32_t> ReadDword(HKEY root, const std::string& key, const std::string& name,
                                  REGSAM view = 0);
void DeleteTree(HKEY root, const std::string& key, REGSAM view = 0);

// A key path under HKCU or HKLM that no other test uses, removed at destruction.
class TScratchKey {
  public:
    TScratchKey(HKEY root, const std::string& name, REGSAM view = 0);
    ~TScratchKey();
    const std::string& Path() const { return KeyPath; }

  private:
    HKEY Root;
    std::string KeyPath;
    REGSAM View;
};

}  // namespace telvo::test
