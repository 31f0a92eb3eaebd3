#include "update/application_control.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "startup/application_error_text.h"
#include "startup/command_line.h"
#include "startup/startup_state.h"
#include "startup/win_handles.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/standin.h"

namespace telvo {
namespace {

// A stand-in installation in a temporary folder, with the stand-in's test switches cleared.
class ApplicationControlTest : public testing::Test {
  protected:
    void SetUp() override {
        Folder =
            test::FreshTempFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
        test::TInstallationLayout layout;
        layout.Folder = Folder;
        layout.Entry = test::TUninstallEntry::None;
        layout.WithLanguageFiles = false;
        ASSERT_EQ(test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe", ""), "");
        for (const char* name :
             {"TELVO_STANDIN_LINGER_MS", "TELVO_STANDIN_RECORD", "TELVO_STANDIN_TITLE"})
            SetEnvironmentVariableA(name, nullptr);
    }
    void TearDown() override {
        RequestApplicationQuit();
        WaitForStandInToEnd();
        DoneStartupState();
        test::RemoveInstallation("");
    }
    static void WaitForStandInToEnd() {
        for (int i = 0; i < 250 && FindWindowA("TTelvoMainForm", nullptr); ++i) Sleep(20);
    }
    std::string DataFile() const { return Folder + "vost.cok"; }

    std::string Folder;
};

// Asking when nothing runs must not itself leave the marker behind.
TEST_F(ApplicationControlTest, NotRunningLeavesNoObjectBehind) {
    EXPECT_FALSE(IsApplicationRunning());
    EXPECT_FALSE(IsApplicationRunning());
    SetLastError(ERROR_SUCCESS);
    TMappingHandle probe(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, "telvo_memfile"));
    ASSERT_TRUE(probe);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

// The main window is found by its class alone; WM_QUIT ends the stand-in and frees the file.
TEST_F(ApplicationControlTest, RunningStandInIsSeenAndQuitsWhateverItsTitle) {
    SetEnvironmentVariableA("TELVO_STANDIN_TITLE", "A title nobody looks for");
    TProcessHandle standIn = test::StartStandIn(Folder + "telvo.exe");
    ASSERT_TRUE(standIn);
    EXPECT_TRUE(IsApplicationRunning());
    EXPECT_TRUE(IsApplicationRunning());  // asking twice does not disturb the running one
    EXPECT_FALSE(test::CanOpenExclusively(DataFile()));

    RequestApplicationQuit();
    ASSERT_TRUE(test::WaitForExit(standIn));
    EXPECT_FALSE(IsApplicationRunning());
    EXPECT_TRUE(test::CanOpenExclusively(DataFile()));
}

TEST_F(ApplicationControlTest, QuitRequestWithoutWindowPostsNothing) {
    // No stand-in runs: the request finds nothing and returns at once.
    RequestApplicationQuit();
    EXPECT_FALSE(IsApplicationRunning());
}

// A slow shutdown keeps the data file after WM_QUIT: an exclusive open fails until it ends.
TEST_F(ApplicationControlTest, SlowShutdownHoldsTheDataFileUntilItEnds) {
    SetEnvironmentVariableA("TELVO_STANDIN_LINGER_MS", "1500");
    TProcessHandle standIn = test::StartStandIn(Folder + "telvo.exe");
    ASSERT_TRUE(standIn);
    RequestApplicationQuit();
    Sleep(200);
    EXPECT_FALSE(test::CanOpenExclusively(DataFile()));
    ASSERT_TRUE(test::WaitForExit(standIn));
    EXPECT_TRUE(test::CanOpenExclusively(DataFile()));
}

// The shell starts InstallFolder + "Telvo.exe" with no arguments, in the install folder.
TEST_F(ApplicationControlTest, LaunchStartsTheApplicationInItsFolderWithoutArguments) {
    const std::string record = test::FreshTempFolder("launch-record") + "record.txt";
    SetEnvironmentVariableA("TELVO_STANDIN_RECORD", record.c_str());
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    StartupState.InstallFolder = Folder;
    StartupState.AppName = "Telvo";

    LaunchApplication();
    TProcessHandle standIn = test::WaitForStandInWindow();
    ASSERT_TRUE(standIn);
    char now[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, now);
    SetCurrentDirectoryA(before);

    const std::string folderNoSlash = Folder.substr(0, Folder.size() - 1);
    EXPECT_STRCASEEQ(now, folderNoSlash.c_str());
    const std::string text = test::ReadWholeFile(record);
    const size_t cwd = text.find("cwd="), cmd = text.find("\ncmdline=");
    ASSERT_NE(cmd, std::string::npos) << text;
    EXPECT_STRCASEEQ(text.substr(cwd + 4, cmd - cwd - 4).c_str(), folderNoSlash.c_str());
    const std::string commandLine = text.substr(cmd + 9, text.find('\n', cmd + 1) - cmd - 9);
    EXPECT_STRCASEEQ(FileNamePart(CommandLineArgument(commandLine, 0)).c_str(), "telvo.exe")
        << commandLine;
    EXPECT_EQ(CommandLineArgument(commandLine, 1), "") << commandLine;

    RequestApplicationQuit();
    EXPECT_TRUE(test::WaitForExit(standIn));
}

}  // namespace
}  // namespace telvo
