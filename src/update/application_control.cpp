#include "update/application_control.h"

#include <windows.h>

#include <memory>
#include <system_error>
#include <thread>
#include <utility>

#include "startup/safe_loading.h"
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

// What the start needs, owned together by the run and the start's thread.
struct TLaunch {
    TLaunchRoutes Routes;
    std::string Executable;
    std::string Folder;
    TEventHandle Done;  // set once the start is over, every call into the shell returned
};

void Launch(const TLaunch& launch) {
    if (launch.Routes.AsDesktopUser(launch.Executable, launch.Folder))
        return;
    if (TTokenHandle token = launch.Routes.LoweredToken())
        launch.Routes.WithToken(token.get(), launch.Executable, launch.Folder);
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
    // The process's COM security comes before the start's thread asks the shell, where nothing
    // on the way loaded USER32 yet.
    RunStepBeforeUser32();
    // The package's own current directory stays as it is: both routes give the application the
    // folder as its working directory, and changing it would open the folder by name on the
    // run's thread, outside the start's bound.
    const std::string& folder = StartupState.InstallFolder;
    // Shared with the start's thread, which keeps it alive for as long as it runs: past the run,
    // where it stays stuck in a call into the shell.
    auto launch = std::make_shared<TLaunch>();
    launch->Routes = CurrentRoutes();
    launch->Executable = folder + StartupState.AppName + ".exe";
    launch->Folder = folder;
    // A start that could not be waited for, or had no thread, is not made: a failed start is
    // not reported.
    launch->Done.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!launch->Done)
        return;
    try {
        std::thread([launch] {
            Launch(*launch);
            SetEvent(launch->Done.get());
        }).detach();
    } catch (const std::system_error&) {
        return;
    }
    // Past the bound the thread is left where it is stuck, and the run ends as it would have.
    // The process then ends the ordinary way: ExitProcess ends every other thread before the
    // DLLs are told of the end, so nothing waits for the stuck call. Measured under Wine with
    // the thread stuck in CoCreateInstance, and in a call through a proxy, into a suspended
    // Explorer: the process ended as soon as the run was done.
    WaitForSingleObject(launch->Done.get(), kLaunchBoundMs);
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
