#include "lang/lang_unit.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "lang/builtin_texts.h"
#include "lang/message_texts.h"
#include "startup/code_page.h"
#include "startup/startup_state.h"
#include "support/processes.h"
#include "support/scripted_boxes.h"
#include "support/test_registry.h"

namespace telvo {
namespace {

constexpr char kUserKey[] = "Software\\Tamrel\\Telvo";
constexpr char kFlowCaption[] = "Обновление Тельво";  // the caption the update flow sets

// A language file's text: the three keys every file holds, then `more`.
std::string LangFile(const std::string& progname, const std::string& langcode,
                     const std::string& more = "", const std::string& langver = "1") {
    return "[progname]\r\n" + progname + "\r\n\r\n[langcode]\r\n" + langcode +
           "\r\n\r\n[langver]\r\n" + langver + "\r\n\r\n" + more;
}

// Loads from StartupState.InstallFolder, opened once as the update flow opens it; the unit keeps
// its own opening of the "language" folder.
bool LoadInstalled() {
    return LoadLanguage(TInstallDirectory::Open(StartupState.InstallFolder));
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << path;
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// Holds a file open with no sharing, as another program that locked it would.
TFileHandle LockFile(const std::string& path) {
    return TFileHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A fresh install folder with an empty "language\" folder, English texts and locale 0x409, no
// per-user key; the unit and the start-up state are reset afterwards.
class LangUnitTest : public testing::Test {
  protected:
    void SetUp() override {
        InitStartupState();
        StartupState.AppName = "Telvo";
        StartupState.EnglishCaption = "Telvo update";
        StartupState.LocalCaption = kFlowCaption;
        UseLocale(0x409);
        StartupState.InstallFolder =
            test::FreshTempFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
        CreateDirectoryA(LangFolder().c_str(), nullptr);
        test::DeleteTree(HKEY_CURRENT_USER, kUserKey);
    }
    void TearDown() override {
        DoneLangUnit();
        test::DeleteTree(HKEY_CURRENT_USER, kUserKey);
        DoneStartupState();
    }
    static std::string LangFolder() { return StartupState.InstallFolder + "language\\"; }
    static void Put(const std::string& name, const std::string& text) {
        WriteBytes(LangFolder() + name, text);
    }
    static void UseLocale(uint32_t localeId) {
        StartupState.LocaleId = localeId;
        StartupState.RussianTexts = IsRussianTextLocale(localeId);
    }
    static std::string Current() { return LangUnit.LangFiles.at(LangUnit.CurrentLanguage); }
};

// Files for the selection cases: two files list German, "!" names would break loading if read.
class LangSelectionTest : public LangUnitTest {
  protected:
    void SetUp() override {
        LangUnitTest::SetUp();
        Put("english.lng", LangFile("Telvo", "1033"));
        Put("russian.lng", LangFile("Тельво", "1049"));
        Put("deutsch.lng", LangFile("Telvo DE", "1031"));
        Put("austria.lng", LangFile("Telvo AT", "3079\r\n1031"));
        Put("english!.lng", LangFile("broken", "none"));
        Put("!russian.lng", LangFile("broken", "none"));
    }
    // Loads with the given locale and per-user "LangFile" (nullptr: none); no box may appear.
    static void LoadQuietly(uint32_t locale, const char* langFileValue) {
        UseLocale(locale);
        DoneLangUnit();
        test::DeleteTree(HKEY_CURRENT_USER, kUserKey);
        if (langFileValue)
            test::SeedString(HKEY_CURRENT_USER, kUserKey, "LangFile", langFileValue);
        test::TScriptedBoxes boxes;
        ASSERT_TRUE(LoadInstalled());
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_FALSE(StartupState.Registry->HasOpenKey());
    }
};

// "LangFile" when listed (exact case), else the last locale match, else the fallback file; the
// chosen file's program name and first langcode become the caption and the language id.
TEST_F(LangSelectionTest, PriorityIsUserChoiceThenLastLocaleMatchThenFallback) {
    const struct {
        uint32_t Locale;
        const char* LangFileValue;
        const char* Chosen;
        const char* Caption;
        int32_t Code;
    } cases[] = {
        {0x409, nullptr, "english.lng", "Telvo", 1033},
        {0x419, nullptr, "russian.lng", "\xD2\xE5\xEB\xFC\xE2\xEE", 1049},
        {0x422, nullptr, "russian.lng", "\xD2\xE5\xEB\xFC\xE2\xEE", 1049},
        {0x40C, nullptr, "english.lng", "Telvo", 1033},
        {0x407, nullptr, "deutsch.lng", "Telvo DE", 1031},
        {0xC07, nullptr, "austria.lng", "Telvo AT", 3079},
        {0x409, "deutsch.lng", "deutsch.lng", "Telvo DE", 1031},
        {0x407, "english.lng", "english.lng", "Telvo", 1033},
        {0x409, "Deutsch.lng", "english.lng", "Telvo", 1033},
        {0x409, "english!.lng", "english.lng", "Telvo", 1033},
        {0x409, "", "english.lng", "Telvo", 1033},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Locale) + " " + (c.LangFileValue ? c.LangFileValue : "-"));
        LoadQuietly(c.Locale, c.LangFileValue);
        EXPECT_EQ(Current(), c.Chosen);
        EXPECT_EQ(StartupState.LocalCaption, c.Caption);
        EXPECT_EQ(LangUnit.LangCode, c.Code);
    }
    EXPECT_EQ(LangUnit.LangFiles, (std::vector<std::string>{"austria.lng", "deutsch.lng",
                                                            "english.lng", "russian.lng"}));
}

// A "LangFile" stored as a number counts as absent: the automatic choice stands, nothing raises.
TEST_F(LangSelectionTest, LangFileOfAnotherTypeCountsAsAbsent) {
    test::SeedDword(HKEY_CURRENT_USER, kUserKey, "LangFile", 1);
    UseLocale(0x407);
    test::TScriptedBoxes boxes;
    ASSERT_TRUE(LoadInstalled());
    EXPECT_EQ(Current(), "deutsch.lng");
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(StartupState.Registry->HasOpenKey());
}

// A missing required file stops loading with the box naming it; its Russian form carries the
// caption the update flow set.
TEST_F(LangUnitTest, MissingRequiredFileShowsTheBoxNamingIt) {
    const struct {
        uint32_t Locale;
        std::vector<const char*> Files;
        const char* Missing;
    } cases[] = {
        {0x409, {}, "english.lng"},
        {0x409, {"russian.lng", "english!.lng"}, "english.lng"},
        {0x419, {"english.lng", "!russian.lng"}, "russian.lng"},
        {0x419, {"russian.lng"}, "english.lng"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Missing);
        DoneLangUnit();
        StartupState.InstallFolder = test::FreshTempFolder("missing");
        CreateDirectoryA(LangFolder().c_str(), nullptr);
        for (const char* name : c.Files) Put(name, LangFile("Telvo", "1033"));
        UseLocale(c.Locale);
        test::TScriptedBoxes boxes;
        EXPECT_FALSE(LoadInstalled());
        ASSERT_EQ(boxes.Shown().size(), 1u);
        const TBoxRequest& box = boxes.Shown()[0];
        EXPECT_EQ(box.Style, 0x200010u);
        const TBilingualText text = MissingLangFileText(c.Missing);
        if (StartupState.RussianTexts) {
            EXPECT_EQ(box.WideText, WideFromCodePage(Joined(text.Russian), 1251));
            EXPECT_EQ(box.WideCaption, L"Обновление Тельво");
        } else {
            EXPECT_EQ(box.Text, text.English);
            EXPECT_EQ(box.Caption, "Telvo update");
        }
    }
}

// A value that must be an integer and is not makes its file faulty; the Russian box carries the
// faulty file's own program name, or the fallback file's when it has none.
TEST_F(LangUnitTest, FaultyFileShowsTheBoxWithItsOwnProgramName) {
    const struct {
        std::string Text;
        const char* Caption;
    } cases[] = {
        {LangFile("Плохой", "1049 "), "\xCF\xEB\xEE\xF5\xEE\xE9"},
        {LangFile("Плохой", "1049;"), "\xCF\xEB\xEE\xF5\xEE\xE9"},
        {LangFile("Плохой", "1049\r\n1058 x"), "\xCF\xEB\xEE\xF5\xEE\xE9"},
        {LangFile("Плохой", "1049", "", "v2"), "\xCF\xEB\xEE\xF5\xEE\xE9"},
        {"[langcode]\r\nnone\r\n", "\xD2\xE5\xEB\xFC\xE2\xEE"},
    };
    Put("english.lng", LangFile("Telvo", "1033"));
    Put("russian.lng", LangFile("Тельво", "1049"));
    UseLocale(0x419);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        DoneLangUnit();
        Put("bad.lng", c.Text);
        test::TScriptedBoxes boxes;
        EXPECT_FALSE(LoadInstalled());
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].WideText,
                  WideFromCodePage(Joined(FaultyLangFileText("bad.lng").Russian), 1251));
        EXPECT_EQ(boxes.Shown()[0].WideCaption, WideFromAnsi(c.Caption));
    }
}

// Spaces before a langcode and a langver entry with an empty first line (taken from the
// fallback file) pass the check.
TEST_F(LangUnitTest, LenientValuesPass) {
    Put("english.lng", LangFile("Telvo", "1033"));
    Put("other.lng", LangFile("Other", "   1049\r\n$0419", "", ""));
    UseLocale(0x409);
    test::TScriptedBoxes boxes;
    EXPECT_TRUE(LoadInstalled());
    EXPECT_TRUE(boxes.Shown().empty());
}

// A file another program holds locked, the checked file's own or the fallback file it needs
// (deutsch.lng has no langver), is reported by name once per failed lookup and never called
// faulty: nothing in it is broken.
TEST_F(LangUnitTest, LockedFileIsReportedButNotCalledFaulty) {
    const struct {
        const char* Locked;
        std::vector<std::string> Texts;
    } cases[] = {
        {"locked.lng",
         {"Can't handle the language support file locked.lng",
          "Can't handle the language support file locked.lng"}},
        {"english.lng", {"Can't handle the language support file english.lng"}},
    };
    Put("deutsch.lng", "[progname]\r\nTelvo DE\r\n\r\n[langcode]\r\n1031\r\n\r\n");
    Put("english.lng", LangFile("Telvo", "1033"));
    Put("locked.lng", LangFile("Locked", "1033"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Locked);
        DoneLangUnit();
        const TFileHandle lock = LockFile(LangFolder() + c.Locked);
        ASSERT_TRUE(lock);
        test::TScriptedBoxes boxes;
        EXPECT_FALSE(LoadInstalled());
        std::vector<std::string> texts;
        for (const TBoxRequest& box : boxes.Shown()) texts.push_back(box.Text);
        EXPECT_EQ(texts, c.Texts);
    }
}

// Lookups in a loaded unit: deutsch.lng is current, english.lng the fallback.
class MessageTextsTest : public LangUnitTest {
  protected:
    void SetUp() override {
        LangUnitTest::SetUp();
        Put("english.lng", LangFile("Telvo", "1033",
                                    "[onlyenglish]\r\nfrom english\r\n\r\n"
                                    "[emptyfirst]\r\nEnglish first\r\nEnglish second\r\n\r\n"
                                    "[blanks]\r\nEnglish blanks\r\n\r\n"));
        Put("deutsch.lng", LangFile("Telvo DE", "1031",
                                    "[noright]\r\nErste Zeile\r\nZweite Zeile\r\n\r\n"
                                    "[emptyfirst]\r\n\r\nDeutsch further\r\n\r\n"
                                    "[Blanks]\r\n   \r\n\r\n"
                                    "[ask]\r\n%1 installiert %2.\r\nWeiter?\r\n\r\n"));
        test::SeedString(HKEY_CURRENT_USER, kUserKey, "LangFile", "deutsch.lng");
        ASSERT_TRUE(LoadInstalled());
        ASSERT_EQ(Current(), "deutsch.lng");
    }
    test::TScriptedBoxes Boxes;
};

// Each lookup's result: the current file first, the fallback file for what it lacks.
TEST_F(MessageTextsTest, LooksUpInTheCurrentFileThenTheFallback) {
    EXPECT_EQ(LangLine("noright"), "Erste Zeile");
    EXPECT_EQ(LangLines("noright"), "Erste Zeile\r\nZweite Zeile");
    EXPECT_EQ(LangLine("onlyenglish"), "from english");
    EXPECT_EQ(LangLines("emptyfirst"), "English first\r\nEnglish second");
    EXPECT_EQ(LangLine("blanks"), "   ");
    EXPECT_EQ(LangLines("nowhere"), "");
    EXPECT_EQ(LangLinesParams("ask", {"Telvo Live Update", "Guitar 46"}),
              "Telvo Live Update installiert Guitar 46.\r\nWeiter?");
    EXPECT_EQ(LangLineParams("ask", {"A"}), "A installiert %2.");
    EXPECT_TRUE(Boxes.Shown().empty());
}

// An unreadable current file is reported and gives "" (no fallback); an unreadable fallback
// file is reported once.
TEST_F(MessageTextsTest, UnreadableFilesAreReportedByName) {
    {
        const TFileHandle lock = LockFile(LangFolder() + "english.lng");
        EXPECT_EQ(LangLine("noright"), "Erste Zeile");
        EXPECT_EQ(LangLine("onlyenglish"), "");
    }
    ReleaseCurrentLangFile();
    {
        const TFileHandle lock = LockFile(LangFolder() + "deutsch.lng");
        ASSERT_TRUE(lock);
        EXPECT_EQ(LangLines("onlyenglish"), "");
    }
    ASSERT_EQ(Boxes.Shown().size(), 2u);
    EXPECT_EQ(Boxes.Shown()[0].Text, "Can't handle the language support file english.lng");
    EXPECT_EQ(Boxes.Shown()[1].Text, "Can't handle the language support file deutsch.lng");
    EXPECT_EQ(Boxes.Shown()[1].Caption, "Telvo update");
}

// The current file stays open for reading only: others may read but not write it until it is
// released, and every lookup reads it afresh.
TEST_F(MessageTextsTest, CurrentFileIsHeldAgainstWritersAndReadAfresh) {
    const std::string path = LangFolder() + "deutsch.lng";
    LangLine("noright");
    EXPECT_TRUE(TFileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr)));
    EXPECT_FALSE(
        TFileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ReleaseCurrentLangFile();
    Put("deutsch.lng", LangFile("Telvo DE", "1031", "[noright]\r\nNeu\r\n"));
    EXPECT_EQ(LangLine("noright"), "Neu");
}

// The localized error box: caption from the language file, language id the low 16 bits.
TEST_F(MessageTextsTest, LocalErrorBoxCarriesTheFilesCaptionAndLanguage) {
    for (auto [code, languageId] : {std::pair{1049, 0x0419}, {0x10419, 0x0419}, {1031, 0x0407}}) {
        LangUnit.LangCode = code;
        ShowLocalErrorBox(LangLines("noright"));
    }
    ASSERT_EQ(Boxes.Shown().size(), 3u);
    const TBoxRequest& box = Boxes.Shown()[0];
    EXPECT_EQ(box.Call, TBoxCall::MessageBoxExA);
    EXPECT_EQ(box.Text, "Erste Zeile\r\nZweite Zeile");
    EXPECT_EQ(box.Caption, "Telvo DE");
    EXPECT_EQ(box.Style, 0x200010u);
    EXPECT_EQ(Boxes.Shown()[0].LanguageId, 0x0419);
    EXPECT_EQ(Boxes.Shown()[1].LanguageId, 0x0419);
    EXPECT_EQ(Boxes.Shown()[2].LanguageId, 0x0407);
}

// The keys the package looks up, with the placeholders each text must hold.
const struct {
    const char* Key;
    std::vector<const char*> Placeholders;
} kPackageKeys[] = {
    {"progname", {}},          {"langcode", {}},
    {"langver", {}},           {"noright", {}},
    {"verificationfail", {}},  {"badinstaller", {}},
    {"filecantopen", {"%1"}},  {"olderfilever", {"%1"}},
    {"soundquest", {}},        {"installask", {"%1", "%2"}},
    {"liveupdatecaption", {}}, {"guitar", {}},
    {"installdone", {"%1"}},   {"asktorun", {}},
};

// Each fixture file holds every key itself (its own file is the fallback) with its placeholders.
void ExpectEveryKey() {
    for (const auto& k : kPackageKeys) {
        const std::string text = LangLines(k.Key);
        EXPECT_FALSE(text.empty()) << k.Key;
        EXPECT_EQ(text.find('%') == std::string::npos, k.Placeholders.empty()) << k.Key;
        for (const char* placeholder : k.Placeholders)
            EXPECT_NE(text.find(placeholder), std::string::npos) << k.Key << " " << placeholder;
    }
}

// The stand-in installation's language files load as the application's would.
TEST_F(LangUnitTest, FixtureFilesHoldEveryKey) {
    StartupState.InstallFolder = test::SourceTreePath("tests/fixtures/telvo/");
    test::TScriptedBoxes boxes;
    ASSERT_TRUE(LoadInstalled());
    EXPECT_EQ(Current(), "english.lng");
    EXPECT_EQ(StartupState.LocalCaption, "Telvo");
    EXPECT_EQ(LangUnit.LangCode, 1033);
    ExpectEveryKey();
    DoneLangUnit();
    UseLocale(0x419);
    ASSERT_TRUE(LoadInstalled());
    EXPECT_EQ(Current(), "russian.lng");
    ExpectEveryKey();
    EXPECT_TRUE(boxes.Shown().empty());
}

// Under a real Russian locale the package picks russian.lng and speaks code page 1251.
TEST(LangUnitRussianLocaleTest, PicksRussianAndShowsItsTexts) {
    InitStartupState();
    StartupState.AppName = "Telvo";
    StartupState.InstallFolder = test::SourceTreePath("tests/fixtures/telvo/");
    test::DeleteTree(HKEY_CURRENT_USER, kUserKey);
    test::TScriptedBoxes boxes;
    ASSERT_TRUE(LoadInstalled());
    EXPECT_EQ(LangUnit.LangFiles[LangUnit.CurrentLanguage], "russian.lng");
    EXPECT_EQ(LangUnit.LangCode, 1049);
    ShowLocalErrorBox(LangLine("asktorun"));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Caption, "\xD2\xE5\xEB\xFC\xE2\xEE");
    EXPECT_EQ(boxes.Shown()[0].Text,
              "\xC7\xE0\xEF\xF3\xF1\xF2\xE8\xF2\xFC \xD2\xE5\xEB\xFC\xE2\xEE "
              "\xF1\xE5\xE9\xF7\xE0\xF1?");
    EXPECT_EQ(boxes.Shown()[0].LanguageId, 0x0419);
    DoneLangUnit();
    test::DeleteTree(HKEY_CURRENT_USER, kUserKey);
    DoneStartupState();
}

}  // namespace
}  // namespace telvo
