#include "update/application_control.h"

#include <windows.h>

#include <utility>

#include "startup/startup_state.h"
#include "startup/win_handles.h"
#include "update/desktop_shell.h"
#include "update/lowered_start.h"

namespace telvo {
namespace {

constexpr char kRunningMarker[] = "telvo_memfile";
constexpr char kMainWindowClass[] = "TTelvoMainForm";

TLaunchRoutes RealRoutes() {
    return {ShellExecuteAsDesktopUser, LoweredToken,
            [](HANDLE token, const std::string& executable, const std::string& folder) {
                StartWithToken(token, executable, folder);
            }};
}

TLaunchRoutes& CurrentRoutes() {
    static TLaunchRoutes routes = RealRoutes();
    return routes;
}

}  // namespace

bool IsApplicationRunning() {
    // Only opened, never created: a marker made here would carry the package's elevated default
    // security, and an application starting at that moment could be refused its own marker.
    TMappingHandle marker(OpenFileMappingA(FILE_MAP_READ, FALSE, kRunningMarker));
    // A marker this run may not open exists all the same.
    return marker || GetLastError() == ERROR_ACCESS_DENIED;
}

void RequestApplicationQuit() {
    if (HWND window = FindWindowA(kMainWindowClass, nullptr))
        PostMessageA(window, WM_QUIT, 0, 0);
}

void LaunchApplication() {
    const TLaunchRoutes& routes = CurrentRoutes();
    const std::string& folder = StartupState.InstallFolder;
    const std::string executable = folder + StartupState.AppName + ".exe";
    SetCurrentDirectoryA(folder.c_str());
    if (routes.AsDesktopUser(executable, folder))
        return;
    if (TTokenHandle token = routes.LoweredToken())
        routes.WithToken(token.get(), executable, folder);
}

TLaunchRoutes ReplaceLaunchRoutes(TLaunchRoutes routes) {
    const TLaunchRoutes real = RealRoutes();
    if (!routes.AsDesktopUser)
        routes.AsDesktopUser = real.AsDesktopUser;
    if (!routes.LoweredToken)
        routes.LoweredToken = real.LoweredToken;
    if (!routes.WithToken)
        routes.WithToken = real.WithToken;
    return std::exchange(CurrentRoutes(), std::move(routes));
}

}  // namespace telvo
