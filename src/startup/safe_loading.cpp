#include "startup/safe_loading.h"

#include <windows.h>

#include <atomic>

#include "startup/command_line.h"
#include "startup/message_box.h"

namespace telvo {
namespace {

using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);

// Plain data, so that no thread still running at the process's end reads a destroyed object.
std::atomic<TBeforeUser32> StepBeforeUser32{nullptr};

TSetDefaultDllDirectories SetDefaultDllDirectoriesCall() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return reinterpret_cast<TSetDefaultDllDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

// Fixed buffers and KERNEL32 only: this may run before the C run-time is set up.
HMODULE LoadFromSystemFolder(const char* dll) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(dll) >= MAX_PATH)
        return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, dll);
    // The DLL's own dependencies come from the system folder alone. LOAD_WITH_ALTERED_SEARCH_PATH
    // would bring the standard search order back for them, the current directory and %PATH%
    // included, over SetDefaultDllDirectories; it is the road only where the LOAD_LIBRARY_SEARCH
    // flags are missing (they came with SetDefaultDllDirectories), and there it still looks in
    // the system folder first.
    const DWORD search = SetDefaultDllDirectoriesCall() ? LOAD_LIBRARY_SEARCH_SYSTEM32
                                                        : LOAD_WITH_ALTERED_SEARCH_PATH;
    return LoadLibraryExA(path, nullptr, search);
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
    const TSetDefaultDllDirectories setDefault = SetDefaultDllDirectoriesCall();
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    SetDllDirectoryA("");
    return false;
}

void RunBeforeUser32(TBeforeUser32 step) {
    StepBeforeUser32 = step;
}

void RunStepBeforeUser32() {
    // Taken before it runs: whatever it loads on the way meets no step.
    if (const TBeforeUser32 step = StepBeforeUser32.exchange(nullptr))
        step();
}

void* OptionalSystemEntry(const char* dll, const char* name) {
    // ASCII names: lstrcmpiA's locale rules would cost Wine its sorting tables (several ms).
    if (AsciiEqualIgnoringCase(dll, "user32.dll"))
        RunStepBeforeUser32();
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
