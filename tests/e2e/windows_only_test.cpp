// End-to-end checks that only Windows can answer (support/windows_only.h): the application that
// the elevated package starts runs without its rights, and DLLs planted where the package would
// find them first, with no loader settings helping, never get into it. Under Wine they report
// themselves skipped; e2e_planted_dlls covers the DLLs there with Wine's native overrides.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/box_bot.h"
#include "startup/win_handles.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/standin.h"
#include "support/windows_only.h"

namespace telvo::e2e {
namespace {

constexpr char kPlantedLog[] = "C:\\planted-dlls.log";

// A stand-in installation in a folder of the user's own (an unelevated stand-in could not write
// its start record into Program Files), registered as the installation the package finds.
class WindowsOnlyAnyWindowsTest : public testing::Test {
  protected:
    void LayOut(const std::string& name) {
        test::EndEveryStandIn();
        Folder = test::FreshTempFolder(name);
        test::TInstallationLayout layout;
        layout.Folder = Folder;
        ASSERT_EQ(test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe",
                                           test::SourceTreePath("tests/fixtures/telvo/language")),
                  "");
    }
    void TearDown() override {
        test::EndEveryStandIn();
        if (!Folder.empty())
            test::RemoveInstallation(Folder);
    }
    static std::string Package() { return test::TestBinFolder() + "..\\TelvoUpdate.exe"; }

    std::string Folder;
};

TEST_F(WindowsOnlyAnyWindowsTest, RunappStartsTheApplicationUnelevated) {
    const std::string reason = test::WhyElevationCannotBeSeen();
    if (!reason.empty())
        GTEST_SKIP() << reason;
    LayOut("unelevated-runapp");
    const TBotRun run = RunAnsweringBoxes("\"" + Package() + "\" modest runapp", {});
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Boxes.empty());
    ASSERT_TRUE(test::WaitForStandInWindow()) << "the application was not started";
    for (int i = 0; i < 100 && test::LastStartField(test::StartRecords(Folder), "elevated").empty();
         ++i)
        Sleep(50);
    EXPECT_EQ(test::LastStartField(test::StartRecords(Folder), "elevated"), "0")
        << test::StartRecords(Folder);
}

// planted.dll under ten names that programs commonly load, beside a copy of the package, in its
// current directory and in the install folder. An interactive run shows themed boxes, writes the
// data file and starts the application through the desktop shell: every DLL the package ever
// loads, it loads during that run.
TEST_F(WindowsOnlyAnyWindowsTest, PlantedDllsStayOutOfThePackage) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine prefers its own DLLs to planted ones unless told otherwise; "
                        "e2e_planted_dlls checks this under Wine with native overrides";
    LayOut("planted-install");
    const std::string downloads = test::FreshTempFolder("planted-downloads");
    const std::string cwd = test::FreshTempFolder("planted-cwd");
    const std::string planted = test::TestBinFolder() + "planted.dll";
    ASSERT_TRUE(CopyFileA(Package().c_str(), (downloads + "TelvoUpdate.exe").c_str(), FALSE));
    for (const std::string& folder : {downloads, cwd, Folder})
        for (const char* name : {"version", "uxtheme", "dwmapi", "cryptbase", "profapi", "userenv",
                                 "propsys", "winmm", "shcore", "imm32"})
            ASSERT_TRUE(CopyFileA(planted.c_str(), (folder + name + ".dll").c_str(), FALSE));
    DeleteFileA(kPlantedLog);
    // The control: planted.dll notes its loading on this machine.
    const std::string control = downloads + "planted-control.dll";
    ASSERT_TRUE(CopyFileA(planted.c_str(), control.c_str(), FALSE));
    HMODULE loaded = LoadLibraryA(control.c_str());
    ASSERT_TRUE(loaded);
    FreeLibrary(loaded);
    ASSERT_NE(test::ReadWholeFile(kPlantedLog).find("planted-control.dll"), std::string::npos)
        << "planted.dll noted nothing, so its silence below would prove nothing";
    DeleteFileA(kPlantedLog);

    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    SetCurrentDirectoryA(cwd.c_str());  // the package inherits it
    const TBotRun run =
        RunAnsweringBoxes("\"" + downloads + "TelvoUpdate.exe\"", {TButton::Yes, TButton::Yes});
    SetCurrentDirectoryA(before);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Boxes.size(), 2u);
    // The package has ended: whatever it loaded, planted.dll has noted.
    const std::string log = test::ReadWholeFile(kPlantedLog);
    EXPECT_EQ(log.find("TelvoUpdate.exe"), std::string::npos) << log;
    std::printf("planted DLLs: none loaded into the package; loads elsewhere:\n%s", log.c_str());
    DeleteFileA(kPlantedLog);
    test::RemoveFolderTree(downloads);
    test::RemoveFolderTree(cwd);
}

}  // namespace
}  // namespace telvo::e2e
