// What the package does to the installed application from outside: tells whether it runs, asks
// it to quit and starts it. None of these tells the user anything or waits for its effect.
#pragma once

namespace telvo {

// True when the application runs: it holds the paging-file-backed mapping "telvo_memfile". A
// mapping that this test itself had to create is closed again at once, so no object is left
// behind; a failure to create counts as not running.
bool IsApplicationRunning();

// Posts WM_QUIT (both parameters 0) to the top-level window of class "TTelvoMainForm", whatever
// its title; nothing is posted when there is none, and nothing waits for the application to end.
void RequestApplicationQuit();

// Starts InstallFolder + AppName + ".exe" through the shell ("open", no parameters, no
// working directory, SW_SHOWNORMAL, no owner) with the install folder as the current directory,
// so the application starts there. Failures are not reported; nothing waits.
void LaunchApplication();

}  // namespace telvo
