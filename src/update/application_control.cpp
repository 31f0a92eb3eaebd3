#include "update/application_control.h"

#include <windows.h>
#include <shellapi.h>

#include "startup/startup_state.h"
#include "startup/win_handles.h"

namespace telvo {
namespace {

constexpr char kRunningMarker[] = "telvo_memfile";
constexpr DWORD kRunningMarkerSize = 64;
constexpr char kMainWindowClass[] = "TTelvoMainForm";

}  // namespace

bool IsApplicationRunning() {
    SetLastError(ERROR_SUCCESS);
    TMappingHandle marker(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                             kRunningMarkerSize, kRunningMarker));
    // The handle of an existing object is not needed either: the owner closes it here.
    return marker && GetLastError() == ERROR_ALREADY_EXISTS;
}

void RequestApplicationQuit() {
    if (HWND window = FindWindowA(kMainWindowClass, nullptr))
        PostMessageA(window, WM_QUIT, 0, 0);
}

void LaunchApplication() {
    const std::string& folder = StartupState.InstallFolder;
    SetCurrentDirectoryA(folder.c_str());
    const std::string executable = folder + StartupState.AppName + ".exe";
    ShellExecuteA(nullptr, "open", executable.c_str(), "", "", SW_SHOWNORMAL);
}

}  // namespace telvo
