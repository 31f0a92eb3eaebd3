// What the package does to the installed application from outside: tells whether it runs, asks
// it to quit and starts it. None of these tells the user anything or waits for its effect.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "startup/win_handles.h"

namespace telvo {

// True when the application runs: it holds the paging-file-backed mapping "telvo_memfile". The
// mapping is only opened, never created, so the test leaves nothing behind; one that exists but
// may not be opened counts as running.
bool IsApplicationRunning();

// Posts WM_QUIT (both parameters 0) to the top-level window of class "TTelvoMainForm", whatever
// its title; nothing is posted when there is none, and nothing waits for the application to end.
void RequestApplicationQuit();

// The longest LaunchApplication waits for the start, shell request and own start together.
// Each call into the desktop shell is a call into another process (Explorer) without a time-out
// of its own: a hung or suspended Explorer must not hold the run, nor whatever waits for its
// exit code.
constexpr uint32_t kLaunchBoundMs = 15000;

// Starts InstallFolder + AppName + ".exe" with no arguments and the install folder as its
// working directory (the package's own current directory is not changed), never with the
// package's rights: as the desktop user where the desktop shell can start it (see
// desktop_shell.h), otherwise only where the package's own token already is the desktop user's
// plain token, with a lowered copy of it (see lowered_start.h); else not at all. Failures are
// not reported, and nothing waits for the application. The start runs on a thread of its own,
// with its own copies of the routes and paths; LaunchApplication returns once that thread has
// ended, or after kLaunchBoundMs with it left where it is stuck. Nothing that thread reads is
// destroyed when the process ends: its own copies live as long as it does, and the process-wide
// values it reads (the session user's source, the COM security's record and descriptor) are
// never destroyed.
void LaunchApplication();

// False while the thread of the last LaunchApplication is still running (stuck past its
// bound); true once it has ended, or when none was started.
bool StartThreadEnded();

// The ways LaunchApplication starts the application, tried in this order on the start's thread.
// Tests replace them to watch the choice.
struct TLaunchRoutes {
    // Through the desktop shell; false when that route is not available.
    std::function<bool(const std::string& executable, const std::string& folder)> AsDesktopUser;
    // The desktop user's token without administrator rights, taken from the package's own;
    // empty when the package's token is not the desktop user's plain one.
    std::function<TTokenHandle()> LoweredToken;
    // Straight from the package, with that token.
    std::function<void(HANDLE token, const std::string& executable, const std::string& folder)>
        WithToken;
};

// Installs other routes and returns the previous ones; an empty route stands for the real one.
TLaunchRoutes ReplaceLaunchRoutes(TLaunchRoutes routes);

}  // namespace telvo
