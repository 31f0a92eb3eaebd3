// Test helper: starts the application the way the package does when no desktop shell answers.
//   fallback_start_probe.exe <install folder with a trailing backslash>
// Started with another token than the test's (the desktop user's, say), it shows what the
// package's own start gives a program running with that token. Exit code 0 when the package's
// rule let it make a token and start, 1 when it started nothing.
#include <windows.h>

#include "startup/command_line.h"
#include "startup/startup_state.h"
#include "update/application_control.h"
#include "update/lowered_start.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    telvo::StartupState.InstallFolder = telvo::CommandLineArgument(GetCommandLineA(), 1);
    telvo::StartupState.AppName = "Telvo";
    bool tokenMade = false;
    telvo::ReplaceLaunchRoutes({[](const std::string&, const std::string&) { return false; },
                                [&] {
                                    telvo::TTokenHandle token = telvo::LoweredToken();
                                    tokenMade = token.valid();
                                    return token;
                                },
                                {}});
    telvo::LaunchApplication();
    return tokenMade ? 0 : 1;
}
