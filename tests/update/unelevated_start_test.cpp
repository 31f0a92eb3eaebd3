// The package runs elevated; where no desktop shell answers, it starts the application itself
// only with the desktop user's plain token, and then without administrator rights. Only Windows
// can give a process that token (see support/windows_only.h); the end-to-end tests cover the
// desktop shell's route through the package, and application_control_test.cpp the elevated
// package's fallback, which starts nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "startup/application_error_text.h"
#include "startup/code_page.h"
#include "startup/command_line.h"
#include "startup/win_handles.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/standin.h"
#include "support/windows_only.h"
#include "update/lowered_start.h"

namespace telvo {
namespace {

// The token of the desktop shell of this session (the process of the shell's desktop window):
// the desktop user's plain token, as a primary token. Empty, with `why` set, where there is no
// shell or its token cannot be had.
TTokenHandle DesktopShellToken(std::string& why) {
    DWORD shellProcessId = 0;
    if (HWND shell = GetShellWindow())
        GetWindowThreadProcessId(shell, &shellProcessId);
    if (shellProcessId == 0) {
        why =
            "Explorer's desktop window is not there, so the desktop user's plain token cannot "
            "be taken from it";
        return {};
    }
    TProcessHandle shell(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId));
    TTokenHandle token;
    TTokenHandle primary;
    if (!shell ||
        !OpenProcessToken(shell.get(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY,
                          token.put()) ||
        !DuplicateTokenEx(token.get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                          TokenPrimary, primary.put())) {
        why = "Explorer's token cannot be opened from the test (error " +
              std::to_string(GetLastError()) + ")";
        return {};
    }
    return primary;
}

// The user SID of a token, as bytes (empty when it cannot be read).
std::string UserOf(HANDLE token) {
    BYTE buffer[256] = {};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size))
        return "";
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    return std::string(static_cast<const char*>(sid), GetLengthSid(sid));
}

std::string OwnUser() {
    TTokenHandle own;
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.put()) ? UserOf(own.get()) : "";
}

// The plain half of this process's split token, as a primary token; empty where there is none.
// Only Wine hands it out so that a process can be started with it: Windows gives an
// administrator the linked token at identification level.
TTokenHandle LinkedPlainToken() {
    TTokenHandle own;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.put()) ||
        !GetTokenInformation(own.get(), TokenLinkedToken, &linked, sizeof linked, &size))
        return {};
    const TTokenHandle plain(linked.LinkedToken);
    TTokenHandle primary;
    DuplicateTokenEx(plain.get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                     primary.put());
    return primary;
}

// Runs fallback_start_probe.exe with `token` on the stand-in installation in `folder`, and ends
// the stand-in it started. On Windows through CreateProcessWithTokenW, which an administrator may
// call (it needs SeImpersonatePrivilege, not the privilege to assign any primary token); under
// Wine, which ignores that call's token, through CreateProcessAsUserA.
struct TFallbackRun {
    std::string NotStarted;  // why the probe could not be started, empty when it was
    int ExitCode = -1;       // the probe's; -1 when it did not end
    std::string Records;     // what the stand-in recorded, empty when nothing was started
};

TFallbackRun RunTheFallbackWith(HANDLE token, const std::string& folder) {
    TFallbackRun run;
    const std::wstring probe = WideFromAnsi(test::TestBinFolder() + "fallback_start_probe.exe");
    std::wstring commandLine = L"\"" + probe + L"\" \"" + WideFromAnsi(folder) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const bool wine = test::RunsUnderWine();
    if (!(wine ? CreateProcessAsUserW(token, probe.c_str(), commandLine.data(), nullptr, nullptr,
                                      FALSE, 0, nullptr, WideFromAnsi(folder).c_str(), &startup,
                                      &started)
               : CreateProcessWithTokenW(token, 0, probe.c_str(), commandLine.data(), 0, nullptr,
                                         WideFromAnsi(folder).c_str(), &startup, &started))) {
        run.NotStarted = "CreateProcessWithTokenW failed with error " +
                         std::to_string(GetLastError()) +
                         " (it needs the Secondary Logon service), so no process with the "
                         "desktop user's plain token could be started";
    } else {
        TProcessHandle process(started.hProcess);
        TProcessHandle thread(started.hThread);
        DWORD exitCode = 0;
        if (WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.get(), &exitCode))
            run.ExitCode = static_cast<int>(exitCode);
    }
    if (TProcessHandle standIn = test::WaitForStandInWindow(run.ExitCode == 0 ? 10000 : 1000)) {
        // The record is written in one piece; its last field tells that it is all there.
        for (int i = 0;
             i < 100 && test::LastStartField(run.Records, "admin_groups_enabled").empty(); ++i) {
            run.Records = test::StartRecords(folder);
            Sleep(50);
        }
        TerminateProcess(standIn.get(), 0);
        test::WaitForExit(standIn);
    }
    run.Records = test::StartRecords(folder);
    return run;
}

// A stand-in installation in the user's temporary folder, so that a stand-in started with the
// desktop user's token can write its start record there.
std::string LayOutInTheUsersFolder(const std::string& name) {
    test::EndEveryStandIn();
    test::TInstallationLayout layout;
    layout.Folder = test::FreshTempFolder(name);
    layout.Entry = test::TUninstallEntry::None;
    layout.WithLanguageFiles = false;
    return test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe", "").empty()
               ? layout.Folder
               : "";
}

// The package's rule and its gathering, the session's user looked up as a SID included, let the
// plain half of the user's own split token start the application, without administrative
// groups. Under Wine, where a process can be started with that half; its integrity level Wine
// does not lower (the check below does so on Windows).
TEST(UnelevatedStartTest, FallbackWithThePlainHalfOfTheSplitTokenStarts) {
    if (!test::RunsUnderWine())
        GTEST_SKIP() << "Windows gives an administrator the plain half of the split token only "
                        "at identification level, so no process can be started with it; "
                        "UnelevatedStartAnyWindowsTest starts the check with Explorer's token";
    const TTokenHandle plain = LinkedPlainToken();
    ASSERT_TRUE(plain) << "no linked token under Wine";
    const std::string folder = LayOutInTheUsersFolder("linked-token-fallback");
    ASSERT_NE(folder, "");
    const TFallbackRun run = RunTheFallbackWith(plain.get(), folder);
    test::RemoveInstallation(folder);
    ASSERT_EQ(run.NotStarted, "");
    EXPECT_EQ(run.ExitCode, 0) << "the package's rule refused the plain half of the split token";
    ASSERT_FALSE(run.Records.empty()) << "the fallback started nothing, or it recorded nothing";
    EXPECT_EQ(test::LastStartField(run.Records, "elevated"), "0") << run.Records;
    EXPECT_EQ(test::LastStartField(run.Records, "admin_groups_enabled"), "0") << run.Records;
    // Started as the shell would: in the install folder, with no arguments.
    EXPECT_STRCASEEQ(test::LastStartField(run.Records, "cwd").c_str(),
                     folder.substr(0, folder.size() - 1).c_str());
    const std::string commandLine = test::LastStartField(run.Records, "cmdline");
    EXPECT_STRCASEEQ(FileNamePart(CommandLineArgument(commandLine, 0)).c_str(), "telvo.exe");
    EXPECT_EQ(CommandLineArgument(commandLine, 1), "") << commandLine;
}

// The start rule lowers a plain token only for the user logged on to the package's session:
// the session's user stands for the desktop user, and the token's own user is no proof of it
// (an administrator's account elevated on a standard user's desktop is no desktop user).
TEST(UnelevatedStartTest, OnlyTheSessionsUserGetsALoweredToken) {
    TTokenHandle own;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    ASSERT_TRUE(OpenProcessToken(
        GetCurrentProcess(),
        TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, own.put()));
    ASSERT_TRUE(GetTokenInformation(own.get(), TokenElevationType, &type, sizeof type, &size));
    // The elevated half is refused before any user is compared: its plain half stands in.
    const TTokenHandle plain = type == TokenElevationTypeFull ? LinkedPlainToken() : std::move(own);
    if (!plain)
        GTEST_SKIP() << "Windows gives an administrator the plain half of the split token only "
                        "at identification level, so no plain token of the tests' user is there";
    const std::string user = UserOf(plain.get());
    const TSidBytes tokenUser(user.begin(), user.end());
    TSidBytes otherUser = tokenUser;
    otherUser.back() ^= 1;  // the next account of the same domain
    struct TCase {
        const char* SessionUserIs;
        std::optional<TSidBytes> SessionUser;
        bool Lowered;
    };
    const TCase cases[] = {{"the token's user", tokenUser, true},
                           {"another user", otherUser, false},
                           {"not learnt", std::nullopt, false}};
    for (const TCase& c : cases) {
        const TSessionUserSource previous = ReplaceSessionUserSource([&] { return c.SessionUser; });
        EXPECT_EQ(LoweredTokenOf(plain.get()).valid(), c.Lowered) << c.SessionUserIs;
        ReplaceSessionUserSource(previous);
    }
}

// With the desktop user's plain token (Explorer's) the package's own start goes ahead: the
// application runs unelevated, at medium integrity, with no administrative group enabled
// (Administrators, the operators' groups, the domain's admins: all those UAC's filtered token
// holds for deny only), whether UAC splits the user's token or not.
TEST(UnelevatedStartAnyWindowsTest, FallbackWithTheDesktopUsersPlainTokenStartsAtMediumIntegrity) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "under Wine CreateProcessWithTokenW ignores Explorer's token and a "
                        "lowered token keeps high integrity, so the fallback's start at medium "
                        "integrity cannot be seen; this check needs Windows";
    std::string why;
    const TTokenHandle desktop = DesktopShellToken(why);
    if (!desktop)
        GTEST_SKIP() << why;
    if (UserOf(desktop.get()) != OwnUser())
        GTEST_SKIP() << "the desktop user is another account than the one the tests run as (an "
                        "administrator's credentials given on a standard user's desktop): the "
                        "stand-in could not record its start in the tests' folder";
    const std::string folder = LayOutInTheUsersFolder("plain-token-fallback");
    ASSERT_NE(folder, "");
    const TFallbackRun run = RunTheFallbackWith(desktop.get(), folder);
    test::RemoveInstallation(folder);
    if (!run.NotStarted.empty())
        GTEST_SKIP() << run.NotStarted;
    EXPECT_EQ(run.ExitCode, 0) << "the package's rule refused the desktop user's plain token";
    ASSERT_FALSE(run.Records.empty()) << "the fallback started nothing, or it recorded nothing";
    EXPECT_EQ(test::LastStartField(run.Records, "integrity"), "2000") << run.Records;
    EXPECT_EQ(test::LastStartField(run.Records, "admin_groups_enabled"), "0") << run.Records;
}

}  // namespace
}  // namespace telvo
