// The process's COM security is set before the first box of every run that may start the
// application, and a run that can start nothing sets none.
#include "update/com_security.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/lang_unit.h"
#include "startup/message_box.h"
#include "startup/startup_state.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/scripted_boxes.h"
#include "support/standin.h"
#include "support/windows_only.h"
#include "update/desktop_shell.h"
#include "update/update_flow.h"

namespace telvo {
namespace {

// Wine's CoInitializeSecurity answers S_OK whatever came before, so what these tests see under
// Wine is the package's own record of the call, taken as each box is shown.
class ComSecurityTest : public testing::Test {
  protected:
    void SetUp() override {
        SavedRecord = ReplaceProcessComSecurity(TComSecurity::NotAsked);
        SavedNobody = ReplaceNobodyCanAnswer(false);
        InitStartupState();
        Carried = {"vost.cok", "vostname", 46};
    }
    void TearDown() override {
        DoneLangUnit();
        DoneStartupState();
        test::RemoveInstallation(Folder);
        ReplaceNobodyCanAnswer(SavedNobody);
        ReplaceProcessComSecurity(SavedRecord);
    }

    std::string Folder;
    TComSecurity SavedRecord = TComSecurity::NotAsked;
    bool SavedNobody = false;
};

// The test program's own command line has no "runapp" after its first word, so "modest" here
// is a run that can start nothing. Each run ends at its first box: a folder without the
// application (discovery's end), or, past discovery and the language files, the self-check of
// a test program that carries no seal.
TEST_F(ComSecurityTest, SetBeforeTheFirstBoxOfEveryRunThatMayStartTheApplication) {
    struct TCase {
        const char* Word;
        bool Installed;
        TExitCode Exit;
        bool Asked;
    };
    const TCase cases[] = {
        {"", false, kExitApplicationNotFound, true},
        {"", true, kExitIntegrityCheckFailed, true},
        {"modest", false, kExitApplicationNotFound, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string("word \"") + c.Word + "\", installed " +
                     std::to_string(c.Installed));
        ReplaceProcessComSecurity(TComSecurity::NotAsked);
        Folder = test::FreshTempFolder("com-security");
        test::TInstallationLayout layout;
        layout.Folder = Folder;
        layout.WithExecutable = c.Installed;
        ASSERT_EQ(test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe",
                                           test::SourceTreePath("tests/fixtures/telvo/language")),
                  "");
        StartupState.CommandWord = c.Word;
        std::vector<TComSecurity> atEachBox;
        test::TScriptedBoxes boxes;
        boxes.OnEachBox([&] { atEachBox.push_back(ProcessComSecurity()); });
        EXPECT_EQ(RunUpdate(), c.Exit);
        ASSERT_EQ(atEachBox.size(), 1u);
        EXPECT_EQ(atEachBox[0] != TComSecurity::NotAsked, c.Asked);
        EXPECT_EQ(ProcessComSecurity() != TComSecurity::NotAsked, c.Asked);
        DoneLangUnit();
        test::RemoveInstallation(Folder);
    }
}

// Where the process's COM security was never set, or was refused, the desktop shell is not asked:
// it answers here only while the record says the security is set.
TEST_F(ComSecurityTest, TheShellIsAskedOnlyWithTheSecuritySet) {
    if (!test::WaitForDesktopShell())
        GTEST_SKIP() << "no desktop shell answers in this prefix";
    ReplaceProcessComSecurity(TComSecurity::Set);
    ASSERT_TRUE(DesktopShellAnswers());
    for (const TComSecurity record : {TComSecurity::NotAsked, TComSecurity::Refused}) {
        ReplaceProcessComSecurity(record);
        EXPECT_FALSE(DesktopShellAnswers());
    }
}

// What Windows made of the package's settings, read back in a fresh process that sets them
// before any window, box, text service or hook, as the package does: a second call is refused,
// and a proxy to another process carries the identify-only level. The proxy's capabilities are
// recorded, not checked: Microsoft documents CoQueryProxyBlanket as returning no capability flags
// (EOAC_NONE), so no proxy shows the custom-marshalling refusal, a rule of the process's own
// unmarshalling.
TEST(ComSecurityAnyWindowsTest, ASecondCallIsTooLateAndTheShellMayOnlyIdentifyThePackage) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine's CoInitializeSecurity is a stub: it answers S_OK whatever was set "
                        "before, and Wine's proxies carry no blanket of its making; this check "
                        "needs Windows";
    const std::string folder = test::FreshTempFolder("com-security-probe");
    ASSERT_EQ(test::RunAndWait("\"" + test::TestBinFolder() + "com_security_probe.exe\" \"" +
                               folder + "read-back.txt\""),
              0);
    const std::string readBack = test::ReadWholeFile(folder + "read-back.txt");
    auto field = [&](const char* name) { return test::LastStartField(readBack, name); };
    EXPECT_EQ(field("record"), "set") << readBack;
    EXPECT_EQ(field("second"), "0x80010119") << "not RPC_E_TOO_LATE\n" << readBack;
    if (field("shell") != "0x00000000")
        GTEST_SKIP() << "no desktop shell answered, so there is no proxy to read\n" << readBack;
    EXPECT_EQ(field("blanket"), "0x00000000") << readBack;
    EXPECT_EQ(field("impersonation"), std::to_string(RPC_C_IMP_LEVEL_IDENTIFY)) << readBack;
    RecordProperty("proxy_capabilities", field("capabilities"));
}

}  // namespace
}  // namespace telvo
