#include "update/application_control.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "startup/application_error_text.h"
#include "startup/command_line.h"
#include "startup/startup_state.h"
#include "startup/win_handles.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/standin.h"
#include "update/com_security.h"
#include "update/desktop_shell.h"

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

// A marker that exists but denies this run every access still shows a running application.
TEST_F(ApplicationControlTest, MarkerThatDeniesAccessCountsAsRunning) {
    ACL empty{};
    ASSERT_TRUE(InitializeAcl(&empty, sizeof empty, ACL_REVISION));
    SECURITY_DESCRIPTOR descriptor{};
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    TMappingHandle marker(CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                             64, "telvo_memfile"));
    ASSERT_TRUE(marker);
    TMappingHandle opened(OpenFileMappingA(FILE_MAP_READ, FALSE, "telvo_memfile"));
    if (opened)
        GTEST_SKIP() << "this system grants the marker's creator access an empty DACL denies";
    EXPECT_TRUE(IsApplicationRunning());
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

// What a started stand-in noted in "starts.txt" of its folder: current directory, command line
// and the parent process's name.
struct TStartRecord {
    std::string Directory, CommandLine, Parent;
};

TStartRecord ReadStartRecord(const std::string& folder) {
    const std::string records = test::StartRecords(folder);
    auto field = [&](const char* name) { return test::LastStartField(records, name); };
    return {field("cwd"), field("cmdline"), field("parent")};
}

// Replaces the launch routes for one test.
struct TRoutesScope {
    explicit TRoutesScope(TLaunchRoutes routes)
        : Previous(ReplaceLaunchRoutes(std::move(routes))) {}
    ~TRoutesScope() { ReplaceLaunchRoutes(Previous); }
    TLaunchRoutes Previous;
};

// The desktop shell is asked first, with InstallFolder + "Telvo.exe" and the install folder;
// only when it cannot does the package start the program itself, with a lowered token, and
// without such a token it starts nothing. Routes that answer at once end the launch at once,
// well within its bound, and the package's current directory stays where it was.
TEST_F(ApplicationControlTest, LaunchTriesTheShellThenALoweredTokenThenNothing) {
    StartupState.InstallFolder = Folder;
    StartupState.AppName = "Telvo";
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    const std::string exe = Folder + "Telvo.exe";
    struct TCase {
        bool Shell, Token;
        std::vector<std::string> Expected;
    };
    const TCase cases[] = {
        {true, true, {"shell " + exe + " in " + Folder}},
        {false,
         true,
         {"shell " + exe + " in " + Folder, "token", "start " + exe + " in " + Folder}},
        {false, false, {"shell " + exe + " in " + Folder, "token"}},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> calls;
        TRoutesScope routes({[&](const std::string& file, const std::string& folder) {
                                 calls.push_back("shell " + file + " in " + folder);
                                 return c.Shell;
                             },
                             [&] {
                                 calls.push_back("token");
                                 return c.Token ? TTokenHandle(
                                                      CreateEventA(nullptr, TRUE, FALSE, nullptr))
                                                : TTokenHandle();
                             },
                             [&](HANDLE given, const std::string& file, const std::string& folder) {
                                 EXPECT_NE(given, nullptr);
                                 calls.push_back("start " + file + " in " + folder);
                             }});
        const ULONGLONG started = GetTickCount64();
        LaunchApplication();
        EXPECT_LT(GetTickCount64() - started, kLaunchBoundMs / 3) << "the launch waited its bound";
        EXPECT_EQ(calls, c.Expected);
    }
    char now[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, now);
    EXPECT_STREQ(now, before);
}

// Without the desktop shell, an elevated package starts nothing itself: its token is the
// elevated half of a split token, whose account (an administrator's, where one elevated a
// standard user's update) and logon session the application must not get. Under Wine every
// process holds the elevated half of a split token, so there the fallback always starts nothing;
// the kit sees the same on Windows, where it runs elevated.
TEST_F(ApplicationControlTest, FallbackFromTheElevatedHalfOfASplitTokenStartsNothing) {
    TTokenHandle own;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.put()));
    ASSERT_TRUE(GetTokenInformation(own.get(), TokenElevationType, &type, sizeof type, &size));
    if (type != TokenElevationTypeFull)
        GTEST_SKIP() << "the tests' token is no elevated half of a split token (UAC off, or "
                        "the tests run unelevated), so the fallback may start the application "
                        "from here";
    TRoutesScope routes({[](const std::string&, const std::string&) { return false; }, {}, {}});
    StartupState.InstallFolder = Folder;
    StartupState.AppName = "Telvo";

    LaunchApplication();
    EXPECT_FALSE(test::WaitForStandInWindow(2000)) << test::StartRecords(Folder);
    EXPECT_EQ(test::StartRecords(Folder), "");
}

// Where a desktop shell runs (Wine 8 runs one per display once a window exists), the shell
// starts the program, in the install folder.
TEST_F(ApplicationControlTest, DesktopShellStartsTheApplicationInItsFolder) {
    if (SetProcessComSecurity() != TComSecurity::Set)
        GTEST_SKIP() << "this process's COM security could not be set, so the shell is not asked";
    if (!ShellExecuteAsDesktopUser(Folder + "Telvo.exe", Folder))
        GTEST_SKIP() << "no desktop shell in this prefix";
    TProcessHandle standIn = test::WaitForStandInWindow();
    ASSERT_TRUE(standIn);
    const TStartRecord start = ReadStartRecord(Folder);
    // The temporary folder may be named in 8.3 form (C:\Users\RUNNER~1\...) on one side only.
    const auto longPath = [](const std::string& path) {
        char full[MAX_PATH] = {};
        const DWORD length = GetLongPathNameA(path.c_str(), full, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
    };
    EXPECT_STRCASEEQ(longPath(start.Directory).c_str(),
                     longPath(Folder.substr(0, Folder.size() - 1)).c_str());
    // Started by the shell (explorer.exe, or a helper of it that may have ended since), never
    // by this process.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_STRCASENE(start.Parent.c_str(), FileNamePart(self).c_str());
    EXPECT_EQ(CommandLineArgument(start.CommandLine, 1), "") << start.CommandLine;
    RequestApplicationQuit();
    EXPECT_TRUE(test::WaitForExit(standIn));
}

}  // namespace
}  // namespace telvo
