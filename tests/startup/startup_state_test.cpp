#include "startup/startup_state.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "startup/identify_windows.h"
#include "startup/message_box.h"
#include "support/scripted_boxes.h"
#include "support/test_registry.h"

namespace telvo {
namespace {

// Leaves the process-wide record as a fresh process has it.
class StartupStateTest : public testing::Test {
  protected:
    void TearDown() override { DoneStartupState(); }
};
using StartupStateRussianLocaleTest = StartupStateTest;
using StartupStateWin32PrefixTest = StartupStateTest;

TEST_F(StartupStateTest, EnglishBoxUsesMessageBoxAWithTheEnglishCaption) {
    StartupState.RussianTexts = false;
    StartupState.EnglishCaption = "Telvo update";
    StartupState.LocalCaption = "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5";
    test::TScriptedBoxes boxes;
    ShowErrorBox("Can't install file C:\\x", {.Before = "\xCD\xE5 \xF3\xE4\xE0\xE5\xF2\xF1\xFF"});
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const TBoxRequest& box = boxes.Shown()[0];
    EXPECT_EQ(box.Call, TBoxCall::MessageBoxA);
    EXPECT_EQ(box.Text, "Can't install file C:\\x");
    EXPECT_EQ(box.Caption, "Telvo update");
    EXPECT_EQ(box.Style, 0x200010u);
}

// A Russian user on a Windows whose ANSI code page is 1252: the built-in words and caption (code
// page 1251) read right, and so do a folder's name and a language file's caption (the ANSI code
// page), through the wide call.
TEST_F(StartupStateTest, RussianBoxReadsRightWhateverTheAnsiCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "needs the ANSI code page 1252, not " << GetACP();
    StartupState.RussianTexts = true;
    StartupState.LocalCaption = "Обновление программы \"Тельво\"";
    test::TScriptedBoxes boxes;
    ShowErrorBox("x", {"Не удается установить файл ", "C:\\Caf\xE9", "!"});
    StartupState.LocalCaption = "Caf\xE9";
    StartupState.LocalCaptionFromLangFile = true;
    ShowErrorBox("x", {.Before = "Нет доступа к системному реестру"});
    ASSERT_EQ(boxes.Shown().size(), 2u);
    const TBoxRequest& box = boxes.Shown()[0];
    EXPECT_EQ(box.Call, TBoxCall::MessageBoxExW);
    EXPECT_EQ(box.WideText, L"Не удается установить файл C:\\Caf\u00E9!");
    EXPECT_EQ(box.WideCaption, L"Обновление программы \"Тельво\"");
    EXPECT_EQ(box.Style, 0x200010u);
    EXPECT_EQ(box.LanguageId, 0x19);
    EXPECT_EQ(boxes.Shown()[1].WideText, L"Нет доступа к системному реестру");
    EXPECT_EQ(boxes.Shown()[1].WideCaption, L"Caf\u00E9");
}

// Where nobody can answer, no box reaches the system or a handler, and each gets the answer
// that changes nothing. The test process itself runs on a station somebody sees.
TEST_F(StartupStateTest, NobodyToAnswerShowsNoBox) {
    EXPECT_FALSE(NobodyCanAnswer());
    test::TScriptedBoxes boxes;
    boxes.Answer(kAnswerYes);
    const bool before = ReplaceNobodyCanAnswer(true);
    ShowErrorBox("Can't install file C:\\x", {.Before = "x"});
    EXPECT_EQ(ShowBox({TBoxCall::MessageBoxExA, "Install?", "Telvo", kQuestionBoxStyle, 9, {}, {}}),
              kAnswerNo);
    EXPECT_EQ(
        ShowBox(
            {TBoxCall::MessageBoxA, "Failed", "Application Error", kFatalErrorBoxStyle, 0, {}, {}}),
        kAnswerOk);
    ReplaceNobodyCanAnswer(before);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(StartupStateTest, InitTakesLocaleCommandWordAndRegistryView) {
    InitStartupState();
    EXPECT_EQ(StartupState.LocaleId, GetUserDefaultLCID());
    EXPECT_EQ(StartupState.LocaleId, 0x0409u);
    EXPECT_FALSE(StartupState.RussianTexts);
    ASSERT_TRUE(StartupState.Registry);
    EXPECT_EQ(StartupState.Registry->Access(), 0xF013Fu);
    EXPECT_EQ(StartupState.Registry->RootKey(), HKEY_CURRENT_USER);
    // The test program gets its own filter as first argument: "--gtest_filter=...", lowered.
    EXPECT_EQ(StartupState.CommandWord.rfind("--gtest_filter=", 0), 0u);
    EXPECT_TRUE(StartupState.IsAdmin);
    EXPECT_TRUE(StartupState.InstallFolder.empty());
}

TEST_F(StartupStateTest, DoneFreesTheRegistryAndEmptiesTheStrings) {
    InitStartupState();
    StartupState.AppName = "Telvo";
    StartupState.InstallFolder = "C:\\Apps\\Telvo\\";
    ASSERT_TRUE(StartupState.Registry->OpenKey("Software", false));
    DoneStartupState();
    EXPECT_FALSE(StartupState.Registry);
    EXPECT_TRUE(StartupState.AppName.empty());
    EXPECT_TRUE(StartupState.InstallFolder.empty());
    EXPECT_TRUE(StartupState.CommandWord.empty());
}

// Under any locale the package speaks Russian in (the kit runs this case on all of them).
TEST_F(StartupStateRussianLocaleTest, RussianLocaleGivesRussianTexts) {
    InitStartupState();
    EXPECT_EQ(StartupState.LocaleId, GetUserDefaultLCID());
    EXPECT_TRUE(StartupState.RussianTexts);
    EXPECT_EQ(GetACP(), 1251u);
}

TEST_F(StartupStateWin32PrefixTest, UsesThePlainMask) {
    InitStartupState();
    EXPECT_EQ(StartupState.Registry->Access(), 0xF003Fu);
}

// "ProductName" of another type than string counts as absent: no error escapes start-up.
TEST(IdentifyWindowsWin32PrefixTest, ProductNameDecidesOn32BitWindows) {
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    TRegistry reader(kAccessAll64);
    reader.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reader.OpenKey(key, false));
    const std::string original = reader.ReadString("ProductName");
    reader.CloseKey();

    test::SeedString(HKEY_LOCAL_MACHINE, key, "ProductName", "Windows Server 64 Edition");
    EXPECT_TRUE(IdentifyWindows());
    test::SeedDword(HKEY_LOCAL_MACHINE, key, "ProductName", 64);
    EXPECT_FALSE(IdentifyWindows());
    test::SeedString(HKEY_LOCAL_MACHINE, key, "ProductName", original);
}

}  // namespace
}  // namespace telvo
