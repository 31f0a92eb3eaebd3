// TInstallDirectory against real folders of the test prefix: what it opens as the folder, that
// a link in it is opened as the link itself, and that an entry it cannot place is refused.
#include "folder/install_directory.h"
#include "folder/folder_seams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "startup/win_handles.h"
#include "support/install_files.h"
#include "support/processes.h"
#include "support/windows_only.h"

namespace telvo {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string FolderForThisTest() {
    return test::FreshTempFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
}

// Only a directory of a file system opens: not a file, with or without a trailing backslash,
// and not a device that a DOS name in the folder reaches. The folder opens in every form a
// per-user folder value may give it: "\\?\", "..", "/" and through a share's name; its volume
// is not remote.
TEST(InstallDirectoryTest, OpensOnlyADirectoryOfAFileSystem) {
    const std::string folder = FolderForThisTest();
    test::WriteFileBytes(folder + "plain.dat", "a file, no folder");
    EXPECT_TRUE(TInstallDirectory::Open(folder));
    EXPECT_FALSE(TInstallDirectory::Open(folder).OnRemoteVolume());
    std::string slashes = folder;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    for (const std::string& path :
         {"\\\\?\\" + folder,
          folder + "..\\" + folder.substr(folder.find_last_of('\\', folder.size() - 2) + 1),
          slashes}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(TInstallDirectory::Open(path));
    }
    for (const std::string& path : {folder + "plain.dat", folder + "plain.dat\\", folder + "NUL"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(TInstallDirectory::Open(path));
    }
}

// A symbolic link in the folder is opened as the link, never as the file it leads to, and is no
// plain entry.
TEST(InstallDirectoryTest, ALinkIsOpenedAsItself) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine has no NTFS symbolic links, and follows the Unix ones even with "
                        "FILE_OPEN_REPARSE_POINT; this check needs Windows";
    const std::string folder = FolderForThisTest();
    const std::string outside = test::FreshTempFolder("link-outside") + "target.dat";
    test::WriteFileBytes(outside, "outside");
    ASSERT_TRUE(CreateSymbolicLinkA((folder + "link.dat").c_str(), outside.c_str(), 0))
        << "no symbolic link could be made (run elevated), error " << GetLastError();
    const TInstallDirectory directory = TInstallDirectory::Open(folder);
    ASSERT_TRUE(directory);

    TFileHandle link;
    ASSERT_EQ(directory.OpenEntry(L"link.dat", FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                  link),
              static_cast<DWORD>(ERROR_SUCCESS));
    BY_HANDLE_FILE_INFORMATION information{};
    ASSERT_TRUE(GetFileInformationByHandle(link.get(), &information));
    EXPECT_NE(information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_FALSE(directory.IsPlainEntry(link.get(), L"link.dat"));
}

// A folder that another handle holds without sharing it for writing is there, in use, and
// opens once that handle is gone; one shared with everyone opens at once.
TEST(InstallDirectoryTest, AFolderHeldWithoutWriteSharingIsInUseNotMissing) {
    const std::string folder = FolderForThisTest();
    for (const DWORD share : {DWORD{FILE_SHARE_READ | FILE_SHARE_DELETE},
                              DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        SCOPED_TRACE(share);
        const bool held = !(share & FILE_SHARE_WRITE);
        TFileHandle holder(CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY, share, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(holder);
        const TInstallDirectory opened = TInstallDirectory::Open(folder);
        EXPECT_EQ(bool(opened), !held);
        EXPECT_EQ(opened.InUse(), held);
        holder.reset();
        EXPECT_TRUE(TInstallDirectory::Open(folder));
    }
    EXPECT_FALSE(TInstallDirectory::Open(folder + "missing\\").InUse());
}

// Names are listed by a pattern and within a bound: the leftovers' sweep in a folder of millions
// of entries holds neither all of them nor the time it would take.
TEST(InstallDirectoryTest, NamesOfAPatternWithinABound) {
    const std::string folder = FolderForThisTest();
    for (const char* name : {"vost.cok", "other.dat", "vost.cok.00000001.tmp",
                             "vost.cok.00000002.tmp", "vost.cok.00000003.tmp"})
        test::WriteFileBytes(folder + name, "x");
    const TInstallDirectory directory = TInstallDirectory::Open(folder);
    for (const uint32_t bound : {100u, 2u}) {
        SCOPED_TRACE(bound);
        const std::vector<std::wstring> names =
            directory.EntryNames(L"vost.cok.????????.tmp", {bound, {}});
        EXPECT_EQ(names.size(), std::min(bound, 3u));
        for (const std::wstring& name : names) EXPECT_EQ(name.rfind(L"vost.cok.0000000", 0), 0u);
    }
}

// A file's identity is the same through two handles and differs from another file's.
TEST(InstallDirectoryTest, IdentitiesTellFilesApart) {
    const std::string folder = FolderForThisTest();
    test::WriteFileBytes(folder + "one.dat", "one");
    test::WriteFileBytes(folder + "two.dat", "two");
    const auto open = [&](const char* name) {
        return TFileHandle(CreateFileA((folder + name).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    };
    const TFileHandle one = open("one.dat");
    const TFileHandle again = open("one.dat");
    const TFileHandle two = open("two.dat");
    const std::optional<TFileIdentity> identity = IdentityOf(one.get());
    ASSERT_TRUE(identity);
    EXPECT_EQ(SameByIdentity(identity, IdentityOf(again.get())), TSameFile::Yes);
    EXPECT_EQ(SameByIdentity(identity, IdentityOf(two.get())), TSameFile::No);
}

using TFinalPathScope = test::TSeamScope<bool, HideFinalPaths>;

// Opens a folder holding the file "own.dat" and the folder "sub" with final paths given, with
// none from the opening on (so none for the folder), and with none after the opening (so none
// for its entries), and gives `check` each opening and whether paths were hidden.
void OnEachFinalPathRoad(const std::function<void(const TInstallDirectory&, bool)>& check) {
    const std::string path = FolderForThisTest();
    test::WriteFileBytes(path + "own.dat", "own");
    ASSERT_TRUE(CreateDirectoryA((path + "sub").c_str(), nullptr));
    for (const int road : {0, 1, 2}) {
        SCOPED_TRACE(road);
        const TFinalPathScope atOpening(road == 1);
        const TInstallDirectory folder = TInstallDirectory::Open(path);
        const TFinalPathScope afterOpening(road != 0);
        ASSERT_TRUE(folder);
        check(folder, road != 0);
    }
}

// Where the system has the final-path call but it gives no path, nothing tells a link from the
// folder's own entry: the file and the sub-folder, accepted where paths are given, are refused.
TEST(InstallDirectoryTest, AnEntryWithoutAFinalPathIsNoOwnEntry) {
    OnEachFinalPathRoad([](const TInstallDirectory& folder, bool hidden) {
        TFileHandle file;
        EXPECT_EQ(folder.OpenOwnFile(L"own.dat", GENERIC_READ, FILE_SHARE_READ, file), !hidden);
        EXPECT_EQ(bool(folder.OpenFolder(L"sub")), !hidden);
        ASSERT_EQ(folder.OpenEntry(L"own.dat", GENERIC_READ, kShareAll, FILE_OPEN, file),
                  static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(folder.IsOwnFile(file.get(), L"own.dat"), !hidden);
    });
}

// The same for the plain-entry check that leftovers pass before they are deleted.
TEST(InstallDirectoryTest, AnEntryWithoutAFinalPathIsNoPlainEntry) {
    OnEachFinalPathRoad([](const TInstallDirectory& folder, bool hidden) {
        TFileHandle file;
        ASSERT_EQ(folder.OpenEntry(L"own.dat", FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, file),
                  static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(folder.IsPlainEntry(file.get(), L"own.dat"), !hidden);
    });
}

}  // namespace
}  // namespace telvo
