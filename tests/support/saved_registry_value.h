// Keeps a registry value of the prefix as it was: tests that must change a value the system
// itself holds (the user's shell folders, ProgramFilesDir) put it back, or remove it again,
// when they end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace telvo::test {

// Removes a value; nothing happens when the key or the value is missing.
void DeleteValue(HKEY root, const std::string& key, const std::string& name, REGSAM view = 0);

class TSavedRegistryValue {
  public:
    // Records the value's type and bytes, or that it is absent.
    TSavedRegistryValue(HKEY root, const std::string& key, const std::string& name,
                        REGSAM view = 0);
    // Stores the recorded value again, or removes the value when it was absent.
    ~TSavedRegistryValue();
    TSavedRegistryValue(const TSavedRegistryValue&) = delete;
    TSavedRegistryValue& operator=(const TSavedRegistryValue&) = delete;

  private:
    HKEY Root;
    std::string Key;
    std::string Name;
    REGSAM View;
    DWORD Type = REG_NONE;
    std::optional<std::string> Bytes;
};

}  // namespace telvo::test
