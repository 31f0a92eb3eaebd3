// TInstallDirectory against real folders of the test prefix: what it opens as the folder, and
// that a link in it is opened as the link itself.
#include "install/install_directory.h"

#include <gtest/gtest.h>

#include <string>

#include "startup/win_handles.h"
#include "support/install_files.h"
#include "support/processes.h"
#include "support/windows_only.h"

namespace telvo {
namespace {

std::string FolderForThisTest() {
    return test::FreshTempFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
}

// Only a directory of a file system opens: not a file, with or without a trailing backslash,
// and not a device that a DOS name in the folder reaches.
TEST(InstallDirectoryTest, OpensOnlyADirectoryOfAFileSystem) {
    const std::string folder = FolderForThisTest();
    test::WriteFileBytes(folder + "plain.dat", "a file, no folder");
    EXPECT_TRUE(TInstallDirectory::Open(folder));
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

}  // namespace
}  // namespace telvo
