// GetFolderSize against real folders of the test prefix.
#include "install/folder_size.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include "startup/win_handles.h"
#include "support/install_files.h"
#include "support/processes.h"

namespace telvo {
namespace {

struct TTreeFile {
    std::string path;  // relative to the measured folder; folders on the way are created
    uint32_t size;
    uint32_t attributes;
};

void LayOutFile(const std::string& folder, const TTreeFile& file) {
    for (size_t cut = file.path.find('\\'); cut != std::string::npos;
         cut = file.path.find('\\', cut + 1))
        CreateDirectoryA((folder + file.path.substr(0, cut)).c_str(), nullptr);
    const std::string path = folder + file.path;
    if (file.path.back() == '\\')
        return;  // an empty folder
    test::WriteFileBytes(path, std::string(file.size, 'z'));
    SetFileAttributesA(path.c_str(), file.attributes);
    // The walk must meet the hidden, system or read-only bits really set, or the case proves
    // nothing (FILE_ATTRIBUTE_NORMAL is never reported together with others).
    if (file.attributes != FILE_ATTRIBUTE_NORMAL) {
        EXPECT_EQ(GetFileAttributesA(path.c_str()) & file.attributes, file.attributes) << path;
    }
}

// Lay out a tree, measure it with and without a trailing backslash, and compare with the
// expected whole kilobytes; folders themselves add nothing.
TEST(FolderSizeTest, CountsEveryFileAtAnyDepthInWholeKilobytes) {
    struct Case {
        const char* name;
        std::vector<TTreeFile> files;
        int32_t expected;
    } cases[] = {
        {"empty", {}, 0},
        {"bytes1023", {{"a.bin", 1023, FILE_ATTRIBUTE_NORMAL}}, 0},
        {"bytes1024", {{"a.bin", 1024, FILE_ATTRIBUTE_NORMAL}}, 1},
        {"mebibyte", {{"a.bin", 1048576, FILE_ATTRIBUTE_NORMAL}}, 1024},
        {"remainders", {{"a", 1000, FILE_ATTRIBUTE_NORMAL}, {"b", 1000, FILE_ATTRIBUTE_NORMAL}}, 1},
        {"nested",
         {{"top.bin", 1024, FILE_ATTRIBUTE_NORMAL},
          {"a\\b\\c\\deep.bin", 2048, FILE_ATTRIBUTE_NORMAL},
          {"a\\mid.bin", 512, FILE_ATTRIBUTE_NORMAL},
          {"a\\b2\\more.bin", 512, FILE_ATTRIBUTE_NORMAL}},
         4},
        {"attributes",
         {{"hidden.bin", 1024, FILE_ATTRIBUTE_HIDDEN},
          {"system.bin", 1024, FILE_ATTRIBUTE_SYSTEM},
          {"readonly.bin", 1024, FILE_ATTRIBUTE_READONLY},
          {"sub\\all.bin", 1024,
           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY}},
         4},
        {"emptyfolders", {{"a\\", 0, 0}, {"a\\b\\", 0, 0}, {"c\\", 0, 0}}, 0},
    };
    for (const Case& c : cases) {
        const std::string folder = test::FreshTempFolder(std::string("size-") + c.name);
        for (const TTreeFile& file : c.files) LayOutFile(folder, file);
        EXPECT_EQ(GetFolderSize(TInstallDirectory::Open(folder)), c.expected) << c.name;
        EXPECT_EQ(GetFolderSize(TInstallDirectory::Open(folder.substr(0, folder.size() - 1))),
                  c.expected)
            << c.name;
    }
}

// Names that open no folder give -1, never 0.
TEST(FolderSizeTest, NoFolderGivesMinusOne) {
    const std::string folder = test::FreshTempFolder("size-none");
    test::WriteFileBytes(folder + "file.bin", std::string(4096, 'z'));
    EXPECT_EQ(GetFolderSize(TInstallDirectory()), -1);
    for (const std::string& name : {folder + "file.bin", folder + "missing", folder + "missing\\",
                                    "\\\\.\\" + folder, "\\??\\" + folder})
        EXPECT_EQ(GetFolderSize(TInstallDirectory::Open(name)), -1) << name;
}

// A tree of 3 folders of 10 files of 1 KiB each, 33 entries: within a bound of 33 entries, or a
// time that is not up, it has its size; past 32 entries, or once the time is up, none at all.
TEST(FolderSizeTest, ATreePastTheWalksBoundHasNoSize) {
    const std::string path = test::FreshTempFolder("size-bound");
    for (char folder = 'a'; folder < 'd'; ++folder)
        for (char file = '0'; file <= '9'; ++file)
            LayOutFile(path, {std::string{folder, '\\', file}, 1024, FILE_ATTRIBUTE_NORMAL});
    const TInstallDirectory folder = TInstallDirectory::Open(path);
    EXPECT_EQ(GetFolderSize(folder), 30);
    EXPECT_EQ(GetFolderSize(folder, {33, {}}), 30);
    EXPECT_EQ(GetFolderSize(folder, {32, {}}), -1);
    int asked = 0;
    EXPECT_EQ(GetFolderSize(folder, {kWalkEntryLimit, [&] { return ++asked > 20; }}), -1);
}

// A sparse file of 4 GiB + 2048 bytes adds only its low 32 bits: 2048 bytes, 2 units.
TEST(FolderSizeTest, FilesOf4GiBAndMoreCountModulo4GiB) {
    const std::string folder = test::FreshTempFolder("size-sparse");
    {
        TFileHandle file(CreateFileA((folder + "big.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD ignored = 0;
        DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = 0x100000000LL + 2048;
        ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file.get()));
    }
    ASSERT_EQ(test::FileSize(folder + "big.bin"), 0x100000000ull + 2048);
    EXPECT_EQ(GetFolderSize(TInstallDirectory::Open(folder)), 2);
    DeleteFileA((folder + "big.bin").c_str());
}

}  // namespace
}  // namespace telvo
