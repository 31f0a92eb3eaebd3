#include "update/application_control.h"

#include <windows.h>
#include <process.h>

#include <memory>
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

// What the start needs, owned by the start's thread.
struct TLaunch {
    TLaunchRoutes Routes;
    std::string Executable;
    std::string Folder;
};

unsigned __stdcall Launch(void* parameter) {
    const std::unique_ptr<TLaunch> launch(static_cast<TLaunch*>(parameter));
    if (launch->Routes.AsDesktopUser(launch->Executable, launch->Folder))
        return 0;
    if (TTokenHandle token = launch->Routes.LoweredToken())
        launch->Routes.WithToken(token.get(), launch->Executable, launch->Folder);
    return 0;
}

// The last start's thread, for the process's end. Never destroyed: that thread may still run
// while the process ends.
TThreadHandle& StartThread() {
    static TThreadHandle& thread = *new TThreadHandle;
    return thread;
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
    // Handed to the start's thread, which keeps it for as long as it runs: past the run, where
    // it stays stuck in a call into the shell.
    auto launch = std::make_unique<TLaunch>();
    launch->Routes = CurrentRoutes();
    launch->Executable = folder + StartupState.AppName + ".exe";
    launch->Folder = folder;
    // A start that had no thread is not made: a failed start is not reported. The C run-time's
    // own thread start, which gives the thread's handle as an integer.
    TThreadHandle thread(
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the handle _beginthreadex gives
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Launch, launch.get(), 0, nullptr)));
    if (!thread)
        return;
    static_cast<void>(launch.release());  // the thread's now
    // The thread's end, not only the start's: its COM, USER32 and input-method clean-up must
    // not run while the process ends (Wine's process crashed at times when it did). Past the
    // bound the thread is left where it is stuck, and the run ends as it would have.
    WaitForSingleObject(thread.get(), kLaunchBoundMs);
    StartThread() = std::move(thread);
}

bool StartThreadEnded() {
    const TThreadHandle& thread = StartThread();
    return !thread || WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0;
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
