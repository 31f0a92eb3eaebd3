// End-to-end runs of the real TelvoUpdate.exe over a stand-in installation: the package's real
// message boxes are read and answered by the box bot, and the exit code, the data file, the
// recorded size and the stand-in application are checked afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "e2e/box_bot.h"
#include "lang/lang_text.h"
#include "startup/command_line.h"
#include "startup/win_handles.h"
#include "support/install_files.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/standin.h"
#include "support/test_registry.h"
#include "support/windows_only.h"

namespace telvo::e2e {
namespace {

using test::TInstallationLayout;

#define REQUIRE_DESKTOP_SHELL()                                    \
    if (const std::string why = WhyNoDesktopShell(); !why.empty()) \
    GTEST_SKIP() << why
using test::TUninstallEntry;

// The carried file's size and version, from the build (tests/CMakeLists.txt): a kit made for a
// release's data file expects that file. Older installed files are 40 and 41, a newer one above.
constexpr uint32_t kCarriedSize = TELVO_TEST_CARRIED_SIZE;
constexpr int kCarriedVersion = TELVO_TEST_CARRIED_VERSION;
constexpr int kNewerVersion = kCarriedVersion + 4;
static_assert(kCarriedVersion > 41 && kNewerVersion <= 223, "no room for older and newer files");
const std::string kDefaultFolder = "C:\\Program Files\\Telvo\\";

std::string Utf8FromCodePage(const std::string& text, UINT codePage) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

// What the fixture language file holds under a key: first line or all lines, in UTF-8.
class TFixtureTexts {
  public:
    TFixtureTexts(const std::string& file, UINT codePage)
        : Text(test::ReadWholeFile(test::SourceTreePath("tests/fixtures/telvo/language/" + file))),
          CodePage(codePage) {}
    std::string Line(const std::string& key) const {
        return Utf8FromCodePage(FindLangMessage(Text, key).FirstLine, CodePage);
    }
    std::string Lines(const std::string& key, const std::vector<std::string>& params = {}) const {
        return SubstituteLangParams(
            Utf8FromCodePage(JoinLangLines(FindLangMessage(Text, key)), CodePage), params);
    }
    std::string Raw(const std::string& key) const {
        return FindLangMessage(Text, key).FirstLine;  // in the file's own code page
    }

  private:
    std::string Text;
    UINT CodePage;
};

class UpdateScenarioTest : public testing::Test {
  protected:
    void SetUp() override {
        test::EndEveryStandIn();
        for (const char* name :
             {"TELVO_STANDIN_LINGER_MS", "TELVO_STANDIN_RECORD", "TELVO_STANDIN_TITLE"})
            SetEnvironmentVariableA(name, nullptr);
        Package = test::TestBinFolder() + "..\\TelvoUpdate.exe";
    }
    void TearDown() override {
        test::EndEveryStandIn();
        test::RemoveInstallation("");
    }
    void LayOut(TInstallationLayout layout) {
        if (layout.Folder.empty())
            layout.Folder = kDefaultFolder;
        test::RemoveInstallation(layout.Folder);
        ASSERT_EQ(test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe",
                                           test::SourceTreePath("tests/fixtures/telvo/language")),
                  "");
    }
    std::string CommandLine(const std::string& arguments) const {
        return "\"" + Package + "\"" + (arguments.empty() ? "" : " " + arguments);
    }
    TBotRun Run(const std::string& arguments, const std::vector<TButton>& answers = {}) {
        return RunAnsweringBoxes(CommandLine(arguments), answers);
    }
    // Runs the package on a window station nobody sees, as a deployment tool's service does.
    // A box there would never be answered: -1 after the time limit means one was shown.
    int RunUnseen(const std::string& arguments) const {
        const std::string desktop = test::HiddenDesktop();
        EXPECT_NE(desktop, "") << "no hidden window station could be made";
        return test::RunAndWait(CommandLine(arguments), 30000, desktop);
    }
    static std::optional<uint32_t> EstimatedSize() {
        return test::ReadDword(HKEY_LOCAL_MACHINE, test::kUninstallKey, "EstimatedSize",
                               test::kView64);
    }
    static uint64_t FileSize(const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
            return 0;
        return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    // The installed data file is the carried one: its size and version.
    static void ExpectCarriedFileIn(const std::string& folder) {
        EXPECT_EQ(FileSize(folder + "vost.cok"), kCarriedSize);
        EXPECT_EQ(test::ReadDataVersion(folder + "vost.cok"), kCarriedVersion);
    }
    // For runs that start the application: the elevated package starts it only through the
    // desktop shell (its own start refuses the elevated half of a split token, which every Wine
    // process and the kit hold), so the shell must answer before the package runs, and run as
    // the tests' user, for the application's record to be where the tests read it. Empty when
    // both hold, else why not (REQUIRE_DESKTOP_SHELL).
    static std::string WhyNoDesktopShell() {
        if (!test::WaitForDesktopShell())
            return "the desktop shell never answered within 30 s, so the package cannot start "
                   "the application through it";
        std::string why;
        const test::TTokenFacts shell = test::DesktopShellTokenFacts(why);
        if (shell.Read && shell.UserSid != test::OwnTokenFacts().UserSid)
            return "Explorer runs as " + shell.User +
                   ", another user than the tests': what it "
                   "starts records its start in that user's folders";
        return "";
    }
    // The application came up, started by the desktop shell, in its folder, with no arguments.
    static void ExpectStartedByTheDesktopShell(const std::string& folder) {
        TProcessHandle standIn = test::WaitForStandInWindow();
        ASSERT_TRUE(standIn) << "the application was not started";
        const std::string record = test::StartRecords(folder);
        EXPECT_EQ(test::LastStartField(record, "parent"), "explorer.exe") << record;
        EXPECT_EQ(test::LastStartField(record, "cwd"),
                  Utf8FromCodePage(folder.substr(0, folder.size() - 1), CP_ACP))
            << record;
        EXPECT_EQ(CommandLineArgument(test::LastStartField(record, "cmdline"), 1), "") << record;
    }
    static void ExpectBox(const TSeenBox& box, const std::string& caption, const std::string& text,
                          const std::string& buttons, const std::string& icon) {
        EXPECT_EQ(box.Caption, caption);
        EXPECT_EQ(box.Text, text);
        EXPECT_EQ(ButtonsText(box.Buttons), buttons);
        EXPECT_EQ(box.Icon, icon);
    }

    std::string Package;
    const TFixtureTexts English{"english.lng", 1252};
};

using UpdateScenarioRussianLocaleTest = UpdateScenarioTest;
using UpdateScenarioWin32PrefixTest = UpdateScenarioTest;
using UpdateScenarioJapaneseLocaleTest = UpdateScenarioTest;

// Older version installed: the confirmation, the write, the size, the closing question, and
// Yes starts the application.
TEST_F(UpdateScenarioTest, InteractiveUpdateFromAnOlderVersion) {
    LayOut({});
    REQUIRE_DESKTOP_SHELL();
    const TBotRun run = Run("", {TButton::Yes, TButton::Yes});
    ASSERT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Boxes.size(), 2u);
    const std::string live = English.Line("liveupdatecaption");
    const std::string content = English.Line("guitar") + " " + std::to_string(kCarriedVersion);
    ExpectBox(run.Boxes[0], English.Line("soundquest"),
              English.Lines("installask", {live, content}), "yes,no", "shown");
    ExpectBox(run.Boxes[1], live,
              English.Lines("installdone", {live + " (" + content + ")"}) + "\r\n\r\n" +
                  English.Line("asktorun"),
              "yes,no", "shown");
    ExpectCarriedFileIn(kDefaultFolder);
    const std::optional<uint32_t> size = EstimatedSize();
    ASSERT_TRUE(size);
    EXPECT_GE(*size, kCarriedSize / 1024);
    EXPECT_LT(*size, kCarriedSize / 1024 + 4096);
    ExpectStartedByTheDesktopShell(kDefaultFolder);  // Yes at the closing question
    // The carried bytes themselves: the same as the file the build embedded.
    EXPECT_EQ(test::ReadWholeFile(kDefaultFolder + "vost.cok"),
              test::ReadWholeFile(test::BuildTreePath("payload/vost.cok")));
}

// A data file that cannot be replaced ends the run after the writer's message: no size is
// recorded and no closing question claims the update is installed.
TEST_F(UpdateScenarioTest, FailedWriteEndsTheRun) {
    LayOut({});
    const std::string data = kDefaultFolder + "vost.cok";
    ASSERT_TRUE(SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_READONLY));
    const TBotRun run = Run("", {TButton::Yes});
    TELVO_SKIP_UNANSWERED(run);
    SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(run.ExitCode, 7);
    ASSERT_EQ(run.Boxes.size(), 2u);
    EXPECT_EQ(run.Boxes[0].Caption, English.Line("soundquest"));
    ExpectBox(run.Boxes[1], "Telvo update", "Can't install file " + data, "ok", "shown");
    EXPECT_EQ(test::ReadDataVersion(data), 40);
    EXPECT_FALSE(EstimatedSize());
}

// Without its language files the application cannot be spoken for: the built-in box, exit 3.
TEST_F(UpdateScenarioTest, MissingLanguageFilesEndTheRun) {
    LayOut({.WithLanguageFiles = false});
    const TBotRun run = Run("modest");
    TELVO_SKIP_UNANSWERED(run);
    EXPECT_EQ(run.ExitCode, 3);
    ASSERT_EQ(run.Boxes.size(), 1u);
    ExpectBox(run.Boxes[0], "Telvo update",
              "Can't work with no english.lng file!\r\nPlease reinstall the program.", "ok",
              "shown");
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
}

// A file that only its short name brings into the listing of "*.lng" (notes.lngx, NOTES~1.LNG)
// is no language file: faulty as one, it stops no run.
TEST_F(UpdateScenarioTest, OnlyRealLanguageFilesAreRead) {
    LayOut({});
    test::WriteFileBytes(kDefaultFolder + "language\\notes.lngx", "[langcode]\r\nnone\r\n");
    const TBotRun run = Run("modest");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Boxes.empty());
    ExpectCarriedFileIn(kDefaultFolder);
}

// A newer installed file brings up the version question; No leaves everything as it was.
TEST_F(UpdateScenarioTest, NewerInstalledVersionAnsweredNo) {
    LayOut({.DataVersion = kNewerVersion});
    const TBotRun run = Run("", {TButton::No});
    EXPECT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Boxes.size(), 1u);
    ExpectBox(run.Boxes[0], English.Line("soundquest"), English.Lines("olderfilever", {"vost.cok"}),
              "yes,no", "shown");
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), kNewerVersion);
    EXPECT_FALSE(EstimatedSize());
}

// Yes to the version question still leads to the confirmation: two questions before the write.
TEST_F(UpdateScenarioTest, NewerInstalledVersionAnsweredYes) {
    LayOut({.DataVersion = kNewerVersion});
    const TBotRun run = Run("", {TButton::Yes, TButton::Yes, TButton::No});
    EXPECT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Boxes.size(), 3u);
    EXPECT_EQ(run.Boxes[0].Text, English.Lines("olderfilever", {"vost.cok"}));
    EXPECT_EQ(run.Boxes[1].Caption, English.Line("soundquest"));
    EXPECT_EQ(run.Boxes[2].Caption, English.Line("liveupdatecaption"));
    ExpectCarriedFileIn(kDefaultFolder);
    EXPECT_TRUE(EstimatedSize());
    EXPECT_FALSE(FindWindowA("TTelvoMainForm", nullptr)) << "No at the end starts nothing";
}

TEST_F(UpdateScenarioTest, SameVersionAsksNoVersionQuestion) {
    LayOut({.DataVersion = kCarriedVersion});
    const TBotRun run = Run("", {TButton::Yes, TButton::No});
    EXPECT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Boxes.size(), 2u);
    EXPECT_EQ(run.Boxes[0].Caption, English.Line("soundquest"));
    EXPECT_NE(run.Boxes[0].Text.find("46"), std::string::npos);
}

TEST_F(UpdateScenarioTest, DeclinedConfirmationWritesNothing) {
    LayOut({});
    const TBotRun run = Run("", {TButton::No});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Boxes.size(), 1u);
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
    EXPECT_EQ(FileSize(kDefaultFolder + "vost.cok"), 64u * 1024);
    EXPECT_FALSE(EstimatedSize());
}

// Silent mode with the application running: it is asked to quit, the file is written once it
// lets go, nothing is asked and nothing started.
TEST_F(UpdateScenarioTest, SilentUpdateWhileTheApplicationRuns) {
    LayOut({.DataVersion = kNewerVersion});
    TProcessHandle standIn = test::StartStandIn(kDefaultFolder + "telvo.exe");
    ASSERT_TRUE(standIn);
    const TBotRun run = Run("MODEST");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Boxes.empty());
    EXPECT_TRUE(test::WaitForExit(standIn, 5000));
    ExpectCarriedFileIn(kDefaultFolder);  // a newer installed file is overwritten silently
    EXPECT_TRUE(EstimatedSize());
    EXPECT_FALSE(FindWindowA("TTelvoMainForm", nullptr));
}

TEST_F(UpdateScenarioTest, SilentUpdateWithRunappStartsTheApplication) {
    LayOut({});
    REQUIRE_DESKTOP_SHELL();
    const TBotRun run = Run("modest RunApp");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Boxes.empty());
    ExpectCarriedFileIn(kDefaultFolder);
    ExpectStartedByTheDesktopShell(kDefaultFolder);
}

// "runapp" counts only as the second word of a silent run.
TEST_F(UpdateScenarioTest, RunappAloneIsNoSilentMode) {
    LayOut({});
    const TBotRun run = Run("runapp", {TButton::No});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Boxes.size(), 1u);
}

TEST_F(UpdateScenarioTest, NoApplicationInstalledEnglish) {
    LayOut({.WithExecutable = false});
    const TBotRun run = Run("modest");
    TELVO_SKIP_UNANSWERED(run);
    EXPECT_EQ(run.ExitCode, 2);
    ASSERT_EQ(run.Boxes.size(), 1u);
    ExpectBox(run.Boxes[0], "Telvo update",
              "There's no Telvo installed.\r\nPlease install the program first.", "ok", "shown");
}

TEST_F(UpdateScenarioRussianLocaleTest, NoApplicationInstalled) {
    LayOut({.WithExecutable = false});
    const TBotRun run = Run("");
    TELVO_SKIP_UNANSWERED(run);
    EXPECT_EQ(run.ExitCode, 2);
    ASSERT_EQ(run.Boxes.size(), 1u);
    ExpectBox(run.Boxes[0], "Обновление программы \"Тельво\"",
              "Нет установленной программы \"Тельво\"!\r\nПожалуйста, сначала установите её.", "ok",
              "shown");
}

// Under a Russian locale every text comes from russian.lng.
TEST_F(UpdateScenarioRussianLocaleTest, UsesRussianLngThroughout) {
    LayOut({});
    const TFixtureTexts russian{"russian.lng", 1251};
    const TBotRun run = Run("", {TButton::Yes, TButton::No});
    EXPECT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Boxes.size(), 2u);
    const std::string live = russian.Line("liveupdatecaption");
    const std::string content = russian.Line("guitar") + " " + std::to_string(kCarriedVersion);
    EXPECT_EQ(run.Boxes[0].Caption, russian.Line("soundquest"));
    EXPECT_EQ(run.Boxes[0].Text, russian.Lines("installask", {live, content}));
    EXPECT_EQ(run.Boxes[1].Caption, live);
    ExpectCarriedFileIn(kDefaultFolder);
}

// A stand-in that keeps the data file too long: "filecantopen" after 17 waits of 256 ms.
TEST_F(UpdateScenarioTest, ApplicationHoldingTheFileTooLong) {
    LayOut({});
    SetEnvironmentVariableA("TELVO_STANDIN_LINGER_MS", "9000");
    TProcessHandle standIn = test::StartStandIn(kDefaultFolder + "telvo.exe");
    ASSERT_TRUE(standIn);
    const DWORD start = GetTickCount();
    const TBotRun run = Run("");
    TELVO_SKIP_UNANSWERED(run);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(run.ExitCode, 6);
    ASSERT_EQ(run.Boxes.size(), 1u);
    ExpectBox(run.Boxes[0], English.Line("progname"),
              English.Lines("filecantopen", {kDefaultFolder + "vost.cok"}), "ok", "shown");
    EXPECT_GE(elapsed, 4300u);
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
    EXPECT_FALSE(EstimatedSize());
}

// "TheLastRunFolder" moves everything to another folder: application, language, data and the
// folder measured; the size still goes to the uninstall entry that was found.
TEST_F(UpdateScenarioTest, OverrideFolderFromTheLastRunFolder) {
    const std::string other = "C:\\Apps\\TelvoElsewhere\\";
    LayOut({.Folder = other, .Entry = TUninstallEntry::None, .DataVersion = 41});
    LayOut({.LastRunFolder = other.substr(0, other.size() - 1)});
    const TBotRun run = Run("modest");
    EXPECT_EQ(run.ExitCode, 0);
    ExpectCarriedFileIn(other);
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
    const std::optional<uint32_t> size = EstimatedSize();
    ASSERT_TRUE(size);
    EXPECT_GE(*size, kCarriedSize / 1024) << "the size is the other folder's";
    test::RemoveInstallation(other);
}

// An empty override is ignored: the discovered folder stands.
TEST_F(UpdateScenarioTest, EmptyTheLastRunFolderKeepsTheDiscoveredFolder) {
    LayOut({.LastRunFolder = ""});
    const TBotRun run = Run("modest");
    EXPECT_EQ(run.ExitCode, 0);
    ExpectCarriedFileIn(kDefaultFolder);
}

TEST_F(UpdateScenarioTest, TheLastRunFolderOfAnotherTypeEndsInApplicationError) {
    LayOut({});
    test::SeedDword(HKEY_CURRENT_USER, test::kUserKey, "TheLastRunFolder", 7);
    const TBotRun run = Run("modest");
    EXPECT_EQ(run.ExitCode, 1);
    ASSERT_EQ(run.Boxes.size(), 1u);
    EXPECT_EQ(run.Boxes[0].Caption, "Application Error");
    EXPECT_NE(run.Boxes[0].Text.find("Failed to get data for 'TheLastRunFolder'."),
              std::string::npos)
        << run.Boxes[0].Text;
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
}

// In code page 932 the second byte of "表" is a backslash's: a folder whose name ends in it is
// still the folder it names, and gets its backslash; Telvo is started from it.
TEST_F(UpdateScenarioJapaneseLocaleTest, TheLastRunFolderEndingInADoubleByteCharacter) {
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese ANSI code page 932 (a Japanese system locale)";
    const std::string parent = "C:\\dbcs\\";
    const std::string folder = parent + "\x95\x5C\\";
    LayOut({.Folder = folder, .Entry = TUninstallEntry::None, .DataVersion = 41});
    LayOut({.LastRunFolder = folder.substr(0, folder.size() - 1)});
    REQUIRE_DESKTOP_SHELL();
    const TBotRun run = Run("modest runapp");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Boxes.empty());
    ExpectCarriedFileIn(folder);
    ExpectStartedByTheDesktopShell(folder);
    test::EndEveryStandIn();
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
    std::vector<std::wstring> beside;
    WIN32_FIND_DATAW entry;
    TFindHandle find(FindFirstFileW(L"C:\\dbcs\\*", &entry));
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &entry))
        if (entry.cFileName[0] != L'.')
            beside.push_back(entry.cFileName);
    EXPECT_EQ(beside, std::vector<std::wstring>{L"\u8868"}) << "nothing is created beside it";
    find.reset();
    test::RemoveInstallation(folder);
    RemoveDirectoryA(parent.c_str());
}

// The uninstaller's own name may hold such a character ("表示.exe"): the folder it lies in is
// still the install folder.
TEST_F(UpdateScenarioJapaneseLocaleTest, UninstallerNamedWithADoubleByteCharacter) {
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese ANSI code page 932 (a Japanese system locale)";
    const std::string folder = "C:\\Apps\\Telvo\\";
    LayOut({.Folder = folder, .Uninstaller = "\x95\x5C\x8E\xA6.exe"});
    const TBotRun run = Run("modest");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Boxes.empty());
    ExpectCarriedFileIn(folder);
    test::RemoveInstallation(folder);
}

// An entry written by a 32-bit installer, found only under WOW6432Node, gets the size itself,
// where a 32-bit reader finds it; no entry appears in the 64-bit view.
TEST_F(UpdateScenarioTest, UninstallEntryOnlyUnderWow6432Node) {
    const std::string folder = "C:\\Apps\\TelvoWow\\";
    LayOut({.Folder = folder, .Entry = TUninstallEntry::Wow6432});
    const TBotRun run = Run("modest");
    EXPECT_EQ(run.ExitCode, 0);
    ExpectCarriedFileIn(folder);
    const std::optional<uint32_t> size =
        test::ReadDword(HKEY_LOCAL_MACHINE, test::kUninstallKey, "EstimatedSize", test::kView32);
    ASSERT_TRUE(size) << "no size in the 32-bit installer's entry";
    EXPECT_GE(*size, kCarriedSize / 1024);
    EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, test::kUninstallKey, test::kView64))
        << "a second uninstall entry appeared in the 64-bit view";
    test::RemoveInstallation(folder);
}

TEST_F(UpdateScenarioWin32PrefixTest, InteractiveUpdate) {
    LayOut({});
    const TBotRun run = Run("", {TButton::Yes, TButton::No});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Boxes.size(), 2u);
    ExpectCarriedFileIn(kDefaultFolder);
    EXPECT_TRUE(test::ReadDword(HKEY_LOCAL_MACHINE, test::kUninstallKey, "EstimatedSize"));
}

// A damaged package refuses to install and leaves the old file alone.
TEST_F(UpdateScenarioTest, CorruptedPackageIsRefused) {
    LayOut({});
    const std::string copy = test::FreshTempFolder("e2e-corrupt") + "TelvoUpdate.exe";
    ASSERT_TRUE(CopyFileA(Package.c_str(), copy.c_str(), FALSE));
    {
        TFileHandle file(
            CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        SetFilePointer(file.get(), 60 * 1024 * 1024, nullptr, FILE_BEGIN);
        DWORD written = 0;
        WriteFile(file.get(), "\x13\x37", 2, &written, nullptr);
    }
    Package = copy;
    const TBotRun run = Run("modest");
    TELVO_SKIP_UNANSWERED(run);
    EXPECT_EQ(run.ExitCode, 5);
    ASSERT_EQ(run.Boxes.size(), 1u);
    ExpectBox(run.Boxes[0], English.Line("progname"), English.Lines("badinstaller"), "ok", "shown");
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
}

// A package signed after the build keeps its seal and installs.
TEST_F(UpdateScenarioTest, SignedPackageInstalls) {
    LayOut({});
    Package = test::TestBinFolder() + "..\\signed\\TelvoUpdate.exe";
    ASSERT_NE(GetFileAttributesA(Package.c_str()), INVALID_FILE_ATTRIBUTES);
    const TBotRun run = Run("modest");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Boxes.empty());
    ExpectCarriedFileIn(kDefaultFolder);
}

// On a station nobody sees, an error ends the run with its exit code and no box: before the
// language files are read, and on the road of an error nothing caught.
TEST_F(UpdateScenarioTest, UnseenRunsEndOnErrorsWithoutABox) {
    LayOut({.WithExecutable = false});
    EXPECT_EQ(RunUnseen(""), 2);
    EXPECT_EQ(RunUnseen("modest"), 2);
    LayOut({});
    test::SeedDword(HKEY_CURRENT_USER, test::kUserKey, "TheLastRunFolder", 7);
    EXPECT_EQ(RunUnseen("modest"), 1);
    EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
}

// A run that would have to ask ends with 8 before it changes anything; with its folder held by
// another program too, at once (the wait for a held folder takes about 4 s).
TEST_F(UpdateScenarioTest, UnseenRunThatWouldAskEndsWithEight) {
    LayOut({});
    const std::string data = kDefaultFolder + "vost.cok";
    const std::string before = test::ReadWholeFile(data);
    EXPECT_EQ(RunUnseen(""), 8);
    TFileHandle holder(CreateFileA(kDefaultFolder.c_str(), FILE_LIST_DIRECTORY,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(holder);
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(RunUnseen(""), 8);
    EXPECT_LT(GetTickCount64() - started, 3000u);
    holder.reset();
    EXPECT_EQ(test::ReadWholeFile(data), before);
    EXPECT_FALSE(EstimatedSize());
}

// A Telvo on the visible desktop is out of reach of a run on a station nobody sees: it is not
// asked to quit and keeps its data file. The run ends with the deployment tools' "retry later",
// the file unchanged and nothing left beside it; a read-only file is no reason to retry.
TEST_F(UpdateScenarioTest, UnseenSilentRunMeetingAHeldFileAsksForARetry) {
    LayOut({});
    const std::string data = kDefaultFolder + "vost.cok";
    const std::string before = test::ReadWholeFile(data);
    TProcessHandle standIn = test::StartStandIn(kDefaultFolder + "telvo.exe");
    ASSERT_TRUE(standIn);
    const std::vector<std::string> names = test::FolderNames(kDefaultFolder);
    EXPECT_EQ(RunUnseen("modest"), 1618);
    EXPECT_TRUE(FindWindowA("TTelvoMainForm", nullptr)) << "the stand-in was reached";
    test::EndEveryStandIn();
    EXPECT_EQ(test::ReadWholeFile(data), before);
    EXPECT_EQ(test::FolderNames(kDefaultFolder), names);
    EXPECT_FALSE(EstimatedSize());

    ASSERT_TRUE(SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(RunUnseen("modest"), 7);
    SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadWholeFile(data), before);
}

// Another program holds the install folder itself, without sharing it for writing: the folder is
// there, in use, never "not installed". The run waits for it as for a held data file and then
// ends as such a run does, the data file untouched; a hold given up within the wait is waited
// out.
TEST_F(UpdateScenarioTest, AHeldInstallFolderIsInUseNotMissing) {
    const struct {
        const char* arguments;
        DWORD heldMs;  // INFINITE: for the whole run
        int exitCode;
    } cases[] = {{"modest", INFINITE, 1618}, {"", INFINITE, 7}, {"modest", 1500, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.arguments) + " held " + std::to_string(c.heldMs));
        LayOut({});
        TFileHandle holder(CreateFileA(kDefaultFolder.c_str(), FILE_LIST_DIRECTORY,
                                       FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(holder);
        std::thread release;
        if (c.heldMs != INFINITE)
            release = std::thread([&] {
                Sleep(c.heldMs);
                holder.reset();
            });
        const TBotRun run = Run(c.arguments);
        TELVO_SKIP_UNANSWERED(run);
        if (release.joinable())
            release.join();
        holder.reset();
        EXPECT_EQ(run.ExitCode, c.exitCode);
        if (c.exitCode == 0) {
            EXPECT_TRUE(run.Boxes.empty());
            ExpectCarriedFileIn(kDefaultFolder);
            continue;
        }
        ASSERT_EQ(run.Boxes.size(), 1u);
        ExpectBox(run.Boxes[0], "Telvo update", "Can't install file " + kDefaultFolder + "vost.cok",
                  "ok", "shown");
        EXPECT_EQ(test::ReadDataVersion(kDefaultFolder + "vost.cok"), 40);
        EXPECT_FALSE(EstimatedSize());
    }
}

// "modest runapp" installs, but nobody would see the application: it is not started.
TEST_F(UpdateScenarioTest, UnseenSilentRunInstallsWithoutStartingTheApplication) {
    LayOut({});
    EXPECT_EQ(RunUnseen("modest runapp"), 0);
    ExpectCarriedFileIn(kDefaultFolder);
    EXPECT_TRUE(EstimatedSize());
    Sleep(1500);  // a start through the shell would come from another process, a little later
    EXPECT_EQ(test::StartRecords(kDefaultFolder), "");
}

}  // namespace
}  // namespace telvo::e2e
