#include "discovery/install_location.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "startup/registry_error.h"
#include "startup/startup_state.h"
#include "support/saved_registry_value.h"
#include "support/scripted_boxes.h"
#include "support/test_registry.h"

namespace telvo {
namespace {

using test::kView64;

constexpr char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telvo";
constexpr char kEntryWow[] =
    "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telvo";
constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUserKey[] = "Software\\Tamrel\\Telvo";
// An uninstall entry that exists but holds no "UninstallString".
constexpr char kNoValue[] = "<entry without UninstallString>";

// Discovery as the update flow runs it, in a registry without any uninstall entry of Telvo.
class DiscoveryTest : public testing::Test {
  protected:
    void SetUp() override {
        InitStartupState();
        StartupState.AppName = "Telvo";
        StartupState.EnglishCaption = "Telvo update";
        StartupState.LocalCaption = "Обновление Тельво";
        RemoveEntries();
    }
    void TearDown() override {
        RemoveEntries();
        DoneStartupState();
    }
    void RemoveEntries() {
        test::DeleteTree(HKEY_LOCAL_MACHINE, kEntry, View);
        test::DeleteTree(HKEY_LOCAL_MACHINE, kEntryWow, View);
    }
    void PutEntry(const char* key, const char* uninstallString) {
        if (uninstallString == nullptr)
            return;
        if (uninstallString == kNoValue) {
            test::SeedString(HKEY_LOCAL_MACHINE, key, "DisplayName", "Telvo", View);
        } else {
            test::SeedString(HKEY_LOCAL_MACHINE, key, "UninstallString", uninstallString, View);
        }
    }
    REGSAM View = kView64;
};
using DiscoveryWin32PrefixTest = DiscoveryTest;

struct TEntryCase {
    const char* Normal;  // nullptr: no entry
    const char* Wow;
    const char* Folder;  // nullptr: the default folder
    bool FromWow;        // the prefix names the "WOW6432Node\" entry
};

// Each layout of the two uninstall entries gives the install folder the package must use, and
// the prefix of the entry that named it: the one the installed size goes to.
TEST_F(DiscoveryTest, TakesTheFolderFromTheFirstEntryThatNamesOne) {
    const TEntryCase cases[] = {
        {"C:\\Apps\\Telvo\\unins000.exe", nullptr, "C:\\Apps\\Telvo\\", false},
        {"\"C:\\Apps\\Telvo\\unins000.exe\"", nullptr, "C:\\Apps\\Telvo\\", false},
        {"C:\\Apps\\Telvo\\unins000.exe /S", nullptr, "C:\\Apps\\Telvo\\", false},
        {"C:\\Apps\\Telvo\\", nullptr, "C:\\Apps\\", false},
        {nullptr, "D:\\Wow\\Telvo\\unins000.exe", "D:\\Wow\\Telvo\\", true},
        {"C:\\Apps\\Telvo\\unins000.exe", "D:\\Wow\\Telvo\\unins000.exe", "C:\\Apps\\Telvo\\",
         false},
        {kNoValue, "D:\\Wow\\Telvo\\unins000.exe", "D:\\Wow\\Telvo\\", true},
        {"", "D:\\Wow\\Telvo\\unins000.exe", "D:\\Wow\\Telvo\\", true},
        {"unins000.exe", nullptr, nullptr, false},
        {nullptr, "unins000.exe", nullptr, false},
        {kNoValue, kNoValue, nullptr, false},
        {nullptr, nullptr, nullptr, false},
    };
    for (const TEntryCase& c : cases) {
        RemoveEntries();
        PutEntry(kEntry, c.Normal);
        PutEntry(kEntryWow, c.Wow);
        StartupState.InstallFolder.clear();
        ASSERT_TRUE(DiscoverInstallLocation());
        EXPECT_EQ(StartupState.InstallFolder, c.Folder ? c.Folder : "C:\\Program Files\\Telvo\\")
            << (c.Normal ? c.Normal : "-") << " / " << (c.Wow ? c.Wow : "-");
        EXPECT_EQ(StartupState.UninstallKeyPrefix + "Telvo", c.FromWow ? kEntryWow : kEntry);
        EXPECT_FALSE(StartupState.Registry->HasOpenKey());
    }
}

// The default folder is ProgramFilesDir with one backslash, AppName and a final backslash.
TEST_F(DiscoveryTest, DefaultFolderFollowsProgramFilesDir) {
    test::TSavedRegistryValue saved(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir",
                                    kView64);
    for (auto [programFiles, folder] : {std::pair{"D:\\Progs", "D:\\Progs\\Telvo\\"},
                                        {"D:\\Progs\\", "D:\\Progs\\Telvo\\"},
                                        {"", "Telvo\\"}}) {
        test::SeedString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", programFiles,
                         kView64);
        ASSERT_TRUE(DiscoverInstallLocation());
        EXPECT_EQ(StartupState.InstallFolder, folder) << programFiles;
    }
    test::DeleteValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", kView64);
    ASSERT_TRUE(DiscoverInstallLocation());
    EXPECT_EQ(StartupState.InstallFolder, "Telvo\\");
}

// The normal entry wins without the 32-bit entry being read: its broken value raises nothing.
TEST_F(DiscoveryTest, ThirtyTwoBitEntryIsNotReadWhenTheNormalOneNamesAFolder) {
    PutEntry(kEntry, "C:\\Apps\\Telvo\\unins000.exe");
    test::SeedDword(HKEY_LOCAL_MACHINE, kEntryWow, "UninstallString", 1, kView64);
    ASSERT_TRUE(DiscoverInstallLocation());
    EXPECT_EQ(StartupState.InstallFolder, "C:\\Apps\\Telvo\\");
}

// A wrong type in ProgramFilesDir or either "UninstallString" passes to the caller, which lets it
// end the run as "Application Error"; the key is closed on the way out.
TEST_F(DiscoveryTest, WrongTypesOutsideTheShellFolderCheckPassOn) {
    test::TSavedRegistryValue saved(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir",
                                    kView64);
    const struct {
        const char* Key;
        const char* Name;
    } cases[] = {{kEntry, "UninstallString"},
                 {kEntryWow, "UninstallString"},
                 {kCurrentVersion, "ProgramFilesDir"}};
    for (const auto& c : cases) {
        RemoveEntries();
        test::SeedValue(HKEY_LOCAL_MACHINE, c.Key, c.Name, REG_BINARY, "C:\\", kView64);
        test::TScriptedBoxes boxes;
        try {
            DiscoverInstallLocation();
            ADD_FAILURE() << c.Key << ": no error";
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.what(), "Failed to get data for '" + std::string(c.Name) + "'");
        }
        EXPECT_FALSE(StartupState.Registry->HasOpenKey());
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

// A user shell folder that is no string means the user's registry is unusable: the box (in
// English or Russian), false, nothing but IsAdmin set, no key left open. A missing one is fine.
TEST_F(DiscoveryTest, ShellFolderOfAnotherTypeShowsTheRegistryBox) {
    test::TSavedRegistryValue desktop(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    test::TSavedRegistryValue startup(HKEY_CURRENT_USER, kShellFolders, "Startup");
    const struct {
        const char* Name;
        DWORD Type;  // REG_NONE: the value is removed
        bool Russian;
    } cases[] = {{"Desktop", REG_BINARY, false},
                 {"Desktop", REG_DWORD, false},
                 {"Startup", REG_DWORD, true},
                 {"Desktop", REG_NONE, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(c.Type));
        if (c.Type == REG_NONE) {
            test::DeleteValue(HKEY_CURRENT_USER, kShellFolders, c.Name);
        } else {
            test::SeedValue(HKEY_CURRENT_USER, kShellFolders, c.Name, c.Type, "C:\\x");
        }
        StartupState.RussianTexts = c.Russian;
        StartupState.IsAdmin = false;
        StartupState.InstallFolder.clear();
        StartupState.UninstallKeyPrefix.clear();
        test::TScriptedBoxes boxes;
        EXPECT_EQ(DiscoverInstallLocation(), c.Type == REG_NONE);
        EXPECT_TRUE(StartupState.IsAdmin);  // Wine runs everything as an administrator
        EXPECT_FALSE(StartupState.Registry->HasOpenKey());
        if (c.Type == REG_NONE) {
            EXPECT_TRUE(boxes.Shown().empty());
            continue;
        }
        EXPECT_EQ(StartupState.InstallFolder, "");
        EXPECT_EQ(StartupState.UninstallKeyPrefix, "");
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Style, 0x200010u);
        if (c.Russian) {
            EXPECT_EQ(boxes.Shown()[0].WideText, L"Нет доступа к системному реестру");
            EXPECT_EQ(boxes.Shown()[0].WideCaption, L"Обновление Тельво");
        } else {
            EXPECT_EQ(boxes.Shown()[0].Text, "No access to system registry");
            EXPECT_EQ(boxes.Shown()[0].Caption, "Telvo update");
        }
        test::SeedString(HKEY_CURRENT_USER, kShellFolders, c.Name, "C:\\x");
    }
}

// The per-user key is created when missing and left open for the caller.
TEST_F(DiscoveryTest, OpenUserKeyCreatesTheMissingKey) {
    test::DeleteTree(HKEY_CURRENT_USER, kUserKey);
    StartupState.Registry->SetRootKey(HKEY_LOCAL_MACHINE);
    OpenUserKey();
    EXPECT_TRUE(StartupState.Registry->HasOpenKey());
    EXPECT_EQ(StartupState.Registry->RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(StartupState.Registry->ValueExists("LangFile"));
    StartupState.Registry->CloseKey();
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kUserKey));
    test::SeedString(HKEY_CURRENT_USER, kUserKey, "TheLastRunFolder", "D:\\Telvo\\");
    OpenUserKey();
    EXPECT_EQ(StartupState.Registry->ReadString("TheLastRunFolder"), "D:\\Telvo\\");
    StartupState.Registry->CloseKey();
    test::DeleteTree(HKEY_CURRENT_USER, kUserKey);
}

// On 32-bit Windows the one registry view holds the entry, and "WOW6432Node" is a plain key.
TEST_F(DiscoveryWin32PrefixTest, FindsTheEntryInTheOnlyView) {
    View = 0;
    RemoveEntries();
    PutEntry(kEntry, "\"C:\\Apps\\Telvo\\unins000.exe\"");
    ASSERT_TRUE(DiscoverInstallLocation());
    EXPECT_EQ(StartupState.InstallFolder, "C:\\Apps\\Telvo\\");
    RemoveEntries();
    PutEntry(kEntryWow, "D:\\Wow\\Telvo\\unins000.exe");
    ASSERT_TRUE(DiscoverInstallLocation());
    EXPECT_EQ(StartupState.InstallFolder, "D:\\Wow\\Telvo\\");
    EXPECT_EQ(StartupState.UninstallKeyPrefix + "Telvo", kEntryWow);
}

}  // namespace
}  // namespace telvo
