// TRegistry: the registry access object. The package has exactly one (TStartupState::Registry)
// and every registry access goes through it; Windows identification makes a short-lived one of
// its own.
//
// State: a root key, at most one open key, and an access mask fixed at creation. Every key is
// opened or created with that mask, so with KEY_WOW64_64KEY in it a 32-bit process works in the
// 64-bit registry view. Full access is asked for even to read; where it is refused the open fails
// as for a missing key.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "startup/win_handles.h"

namespace telvo {

constexpr uint32_t kAccessAll = 0xF003F;    // KEY_ALL_ACCESS
constexpr uint32_t kAccessAll64 = 0xF013F;  // KEY_ALL_ACCESS | KEY_WOW64_64KEY

class TRegistry {
  public:
    // Root key HKEY_CURRENT_USER, no key open.
    explicit TRegistry(uint32_t access);
    ~TRegistry() = default;  // closes an open key
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    uint32_t Access() const { return AccessMask; }
    HKEY RootKey() const { return Root; }
    // Setting a root that differs from the current one closes the open key.
    void SetRootKey(HKEY root);

    // Opens `path` (no leading backslash; a trailing one names the same key) under the root key,
    // creating it as a non-volatile key when `create` is set. True when the key is now open.
    // A failed open changes nothing.
    bool OpenKey(const std::string& path, bool create);
    bool HasOpenKey() const { return Key.valid(); }

    // True when a key is open and has a value of that name.
    bool ValueExists(const std::string& name) const;

    // The value's data as text: REG_SZ or REG_EXPAND_SZ (not expanded), cut at its first NUL,
    // "" for data of size 0. Any other type, a missing value or no open key raise
    // ERegistryException "Failed to get data for '<name>'".
    std::string ReadString(const std::string& name) const;

    // Stores a REG_DWORD; a failure raises ERegistryException "Failed to set data for '<name>'".
    void WriteInteger(const std::string& name, int32_t value);

    // Closes the open key without flushing it; nothing happens when none is open.
    void CloseKey() { Key.reset(); }

  private:
    uint32_t AccessMask;
    HKEY Root = HKEY_CURRENT_USER;
    TRegKey Key;
};

}  // namespace telvo
