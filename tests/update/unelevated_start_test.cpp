// The package runs elevated; the application it starts must not. Only Windows can show that
// (see support/windows_only.h); the end-to-end test covers the desktop shell's route through the
// package, this one the package's own start when no desktop shell answers.
#include <windows.h>

#include <gtest/gtest.h>

#include "startup/startup_state.h"
#include "startup/win_handles.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/standin.h"
#include "support/windows_only.h"
#include "update/application_control.h"

namespace telvo {
namespace {

TEST(UnelevatedStartAnyWindowsTest, FallbackStartsTheApplicationUnelevated) {
    const std::string reason = test::WhyElevationCannotBeSeen();
    if (!reason.empty())
        GTEST_SKIP() << reason;
    // A folder of the user's own, so that the unelevated stand-in can write its start record.
    const std::string folder = test::FreshTempFolder("unelevated-fallback");
    test::TInstallationLayout layout;
    layout.Folder = folder;
    layout.Entry = test::TUninstallEntry::None;
    layout.WithLanguageFiles = false;
    ASSERT_EQ(test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe", ""), "");
    StartupState.InstallFolder = folder;
    StartupState.AppName = "Telvo";
    const TLaunchRoutes previous =
        ReplaceLaunchRoutes({[](const std::string&, const std::string&) { return false; }, {}, {}});
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);

    LaunchApplication();
    TProcessHandle standIn = test::WaitForStandInWindow();
    SetCurrentDirectoryA(before);
    ReplaceLaunchRoutes(previous);
    ASSERT_TRUE(standIn) << "the fallback route started nothing";
    for (int i = 0; i < 100 && test::LastStartField(test::StartRecords(folder), "elevated").empty();
         ++i)
        Sleep(50);
    EXPECT_EQ(test::LastStartField(test::StartRecords(folder), "elevated"), "0")
        << test::StartRecords(folder);
    TerminateProcess(standIn.get(), 0);
    test::WaitForExit(standIn);
    DoneStartupState();
    test::RemoveInstallation(folder);
}

}  // namespace
}  // namespace telvo
