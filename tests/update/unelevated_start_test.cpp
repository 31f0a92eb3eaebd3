// The package runs elevated; the application it starts must not. Only Windows can show that
// (see support/windows_only.h); the end-to-end test covers the desktop shell's route through the
// package, these the package's own start when no desktop shell answers.
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

// Lays out a stand-in installation in a folder of the user's own (so that an unelevated
// stand-in can write its start record), has LaunchApplication start it with the desktop shell
// refused, and returns what the stand-in recorded: empty when nothing was started. The
// stand-in is ended and the folder removed.
std::string StartThroughTheFallback(const std::string& name) {
    const std::string folder = test::FreshTempFolder(name);
    test::TInstallationLayout layout;
    layout.Folder = folder;
    layout.Entry = test::TUninstallEntry::None;
    layout.WithLanguageFiles = false;
    if (!test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe", "").empty())
        return "";
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
    std::string records;
    if (standIn) {
        // The record is written in one piece; its last field tells that it is all there.
        for (int i = 0; i < 100 && test::LastStartField(records, "admin_groups_enabled").empty();
             ++i) {
            records = test::StartRecords(folder);
            Sleep(50);
        }
        TerminateProcess(standIn.get(), 0);
        test::WaitForExit(standIn);
    }
    DoneStartupState();
    test::RemoveInstallation(folder);
    return records;
}

TEST(UnelevatedStartAnyWindowsTest, FallbackStartsTheApplicationUnelevated) {
    const std::string reason = test::WhyElevationCannotBeSeen();
    if (!reason.empty())
        GTEST_SKIP() << reason;
    const std::string records = StartThroughTheFallback("unelevated-fallback");
    ASSERT_FALSE(records.empty()) << "the fallback route started nothing, or it recorded nothing";
    EXPECT_EQ(test::LastStartField(records, "elevated"), "0") << records;
}

// The token the application gets has medium integrity and no administrative group enabled
// (Administrators, the operators' groups, the domain's admins: all those UAC's filtered token
// holds for deny only), also where UAC does not split the package's own token.
TEST(UnelevatedStartAnyWindowsTest,
     FallbackStartsTheApplicationAtMediumIntegrityWithoutAdminGroups) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "under Wine a lowered token keeps high integrity (the stand-in started "
                        "through the fallback reports 3000), so the drop cannot be seen; this "
                        "check needs Windows";
    const std::string records = StartThroughTheFallback("medium-fallback");
    ASSERT_FALSE(records.empty()) << "the fallback route started nothing, or it recorded nothing";
    EXPECT_EQ(test::LastStartField(records, "integrity"), "2000") << records;
    EXPECT_EQ(test::LastStartField(records, "admin_groups_enabled"), "0") << records;
}

}  // namespace
}  // namespace telvo
