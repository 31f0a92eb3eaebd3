#include "startup/safe_loading.h"

#include <windows.h>

#include "startup/message_box.h"

namespace telvo {
namespace {

using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);

// Fixed buffers and KERNEL32 only: this may run before the C run-time is set up.
HMODULE LoadFromSystemFolder(const char* dll) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(dll) >= MAX_PATH)
        return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, dll);
    // With a full path, the DLL's own dependencies are looked for in the system folder first.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

[[noreturn]] void EndForMissingEntry(const char* dll, const char* name) {
    char text[160] = "TelvoUpdate cannot find ";
    lstrcpynA(text + lstrlenA(text), name, 64);
    lstrcatA(text, " in ");
    lstrcpynA(text + lstrlenA(text), dll, 64);
    // FatalAppExitA's box would wait for ever where nobody can answer it.
    if (!NobodyCanAnswer())
        FatalAppExitA(0, text);
    ExitProcess(1);
}

}  // namespace

bool RestrictDllSearchToSystemFolder() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto setDefault = reinterpret_cast<TSetDefaultDllDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    SetDllDirectoryA("");
    return false;
}

void* OptionalSystemEntry(const char* dll, const char* name) {
    // A module loaded once stays loaded for the life of the process.
    const HMODULE module = LoadFromSystemFolder(dll);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

void* SystemEntry(const char* dll, const char* name) {
    void* entry = OptionalSystemEntry(dll, name);
    if (!entry)
        EndForMissingEntry(dll, name);
    return entry;
}

}  // namespace telvo
