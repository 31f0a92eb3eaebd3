// A DLL planted where a careless program would load it from: it notes every process it is
// loaded into, in C:\planted-dlls.log, and does nothing else. Copied under the names of system
// DLLs (version.dll, uxtheme.dll, ...) beside the package, in its current directory and in the
// install folder; Wine is told to prefer such native DLLs, which models Windows finding them
// in the program's folder before the system folder.
#include <windows.h>

#include "startup/win_handles.h"

namespace {

void NoteLoading(HINSTANCE self) {
    char process[MAX_PATH] = {}, dll[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, process, MAX_PATH);
    GetModuleFileNameA(self, dll, MAX_PATH);
    telvo::TFileHandle log(CreateFileA("C:\\planted-dlls.log", FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    // KERNEL32 only: the DLL stands in for DLLs that USER32 itself may load.
    char line[2 * MAX_PATH + 16];
    lstrcpyA(line, dll);
    lstrcatA(line, " loaded into ");
    lstrcatA(line, process);
    lstrcatA(line, "\r\n");
    DWORD written = 0;
    WriteFile(log.get(), line, lstrlenA(line), &written, nullptr);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        NoteLoading(self);
    return TRUE;
}
