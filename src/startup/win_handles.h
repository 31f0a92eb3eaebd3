// One move-only owner per kind of Win32 handle. Each knows its own invalid values and how to
// release itself; a release keeps GetLastError intact so callers can still report the real cause.
#pragma once

#include <windows.h>
#include <wtsapi32.h>

#include <utility>

// MinGW's header declares these without dllimport, so calls would go through a thunk that the
// import library brings along, beside the package's own slot for the import (system_entries.cpp).
// Declared imported, they are called through the slot like every other system function: the
// redeclaration is deliberate.
// NOLINTBEGIN(clang-diagnostic-dll-attribute-on-redeclaration,readability-redundant-declaration)
extern "C" {
__declspec(dllimport) WINBOOL WINAPI
    WTSQuerySessionInformationA(HANDLE, DWORD, WTS_INFO_CLASS, LPSTR*, DWORD*);
__declspec(dllimport) VOID WINAPI WTSFreeMemory(PVOID);
}
// NOLINTEND(clang-diagnostic-dll-attribute-on-redeclaration,readability-redundant-declaration)

namespace telvo {

template <typename Traits>
class TUniqueHandle {
  public:
    using Type = typename Traits::Type;

    TUniqueHandle() = default;
    explicit TUniqueHandle(Type value) : Value(value) {}
    ~TUniqueHandle() { reset(); }

    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : Value(other.release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Type get() const { return Value; }
    bool valid() const { return Traits::IsValid(Value); }
    explicit operator bool() const { return valid(); }

    // Gives up ownership without closing.
    Type release() { return std::exchange(Value, Traits::Invalid()); }

    void reset(Type value = Traits::Invalid()) {
        Type old = std::exchange(Value, value);
        if (Traits::IsValid(old)) {
            DWORD error = GetLastError();
            Traits::Close(old);
            SetLastError(error);
        }
    }

    // For APIs that fill in a handle through an out-parameter.
    Type* put() {
        reset();
        return &Value;
    }

  private:
    Type Value = Traits::Invalid();
};

// Files and other kernel objects: CreateFile reports failure as INVALID_HANDLE_VALUE, most
// other creators as NULL, so both count as empty.
struct TKernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};

struct TFindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};

struct TRegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};

struct TResourceTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::FreeResource(h); }
};

struct TSidTraits {
    using Type = PSID;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::FreeSid(h); }
};

// Memory that a WTSQuery... call handed out, such as a session's user name.
struct TWtsMemoryTraits {
    using Type = LPSTR;
    static Type Invalid() { return nullptr; }
    static bool IsValid(const char* h) { return h != nullptr; }
    static void Close(Type h) { ::WTSFreeMemory(h); }
};

// A COM interface pointer: released once, never AddRef'd on the way in (it takes over the
// reference that the creating call handed out).
template <typename Interface>
class TComPtr {
  public:
    TComPtr() = default;
    ~TComPtr() { reset(); }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    Interface* get() const { return Value; }
    Interface* operator->() const { return Value; }
    explicit operator bool() const { return Value != nullptr; }
    void reset() {
        if (Interface* old = std::exchange(Value, nullptr))
            old->Release();
    }
    // For creating calls that hand out the interface through an out-parameter.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&Value);
    }

  private:
    Interface* Value = nullptr;
};

using TFileHandle = TUniqueHandle<TKernelHandleTraits>;
using TMappingHandle = TUniqueHandle<TKernelHandleTraits>;
using TProcessHandle = TUniqueHandle<TKernelHandleTraits>;
using TThreadHandle = TUniqueHandle<TKernelHandleTraits>;
using TMutexHandle = TUniqueHandle<TKernelHandleTraits>;
using TEventHandle = TUniqueHandle<TKernelHandleTraits>;
using TThreadHandle = TUniqueHandle<TKernelHandleTraits>;
using TTokenHandle = TUniqueHandle<TKernelHandleTraits>;
using TFindHandle = TUniqueHandle<TFindHandleTraits>;
using TRegKey = TUniqueHandle<TRegKeyTraits>;
using TLoadedResource = TUniqueHandle<TResourceTraits>;
using TSid = TUniqueHandle<TSidTraits>;  // a SID from AllocateAndInitializeSid
using TWtsText = TUniqueHandle<TWtsMemoryTraits>;

}  // namespace telvo
