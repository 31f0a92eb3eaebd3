// WriteDataFile with the full carried file, built into telvo_payload_tests exactly as into the
// package, and on drives that fill up or refuse writes (mapped by scripts/install-test-drives):
// set up, act, verify, and check that a failure leaves the earlier state intact.
#include <windows.h>

#include <gtest/gtest.h>

#include "install/data_file_writer.h"
#include "startup/startup_state.h"
#include "support/install_files.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/scripted_boxes.h"
#include "telvo_payload.h"

namespace telvo {
namespace {

// The carried file's size and version as the build configured it (tests/CMakeLists.txt).
constexpr size_t kCarriedSize = TELVO_TEST_CARRIED_SIZE;
constexpr int kCarriedVersion = TELVO_TEST_CARRIED_VERSION;
// Drives of the test prefix: a small tmpfs, and a read-only one holding an older data file
// (data version 40).
constexpr char kFullDrive[] = "T:\\";
constexpr char kReadOnlyDrive[] = "R:\\";

class FullPayloadTest : public testing::Test {
  protected:
    void SetUp() override {
        StartupState.RussianTexts = false;
        StartupState.EnglishCaption = "Telvo update";
        Payload = test::OwnResource("VOST", "COK");
    }
    void TearDown() override { DoneStartupState(); }

    static uint64_t FreeBytes(const char* drive) {
        ULARGE_INTEGER free{};
        GetDiskFreeSpaceExA(drive, &free, nullptr, nullptr);
        return free.QuadPart;
    }

    static bool DriveMapped(const char* drive) {
        return GetFileAttributesA((std::string(drive) + "telvo-test-drive").c_str()) !=
               INVALID_FILE_ATTRIBUTES;
    }

    std::string_view Payload;
    test::TScriptedBoxes Boxes;
};

// The carried file is the stand-in of the real size, under the name and version stamped into
// the package; written to a new target it arrives byte for byte.
TEST_F(FullPayloadTest, WritesTheWholeCarriedFileByteForByte) {
    ASSERT_EQ(Payload.size(), kCarriedSize);
    EXPECT_EQ(Payload.substr(0, 5), "vost" + std::string(1, char(kCarriedVersion + 32)));
    EXPECT_STREQ(carried::DataFileName, "vost.cok");
    EXPECT_STREQ(carried::ContentKey, "guitar");
    EXPECT_EQ(carried::CarriedVersion, kCarriedVersion);
    EXPECT_NE(FindResourceExA(nullptr, "COK", "VOST", MAKELANGID(0x19, 0x01)), nullptr);
    const std::string folder = test::FreshTempFolder("full-new");

    EXPECT_EQ(test::WriteDataFileAt(folder + "vost.cok"), TWriteResult::Written);

    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_EQ(test::FileSize(folder + "vost.cok"), kCarriedSize);
    EXPECT_TRUE(test::FileEquals(folder + "vost.cok", Payload));
    EXPECT_EQ(test::FolderNames(folder), std::vector<std::string>{"vost.cok"});
}

// An older, longer file is cut to the payload's length and holds only the new bytes.
TEST_F(FullPayloadTest, ReplacesALongerOlderTargetAndCutsIt) {
    const std::string folder = test::FreshTempFolder("full-longer");
    test::WriteFileBytes(folder + "vost.cok", test::OldFileBytes(kCarriedSize + 1234567));

    EXPECT_EQ(test::WriteDataFileAt(folder + "vost.cok"), TWriteResult::Written);

    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_EQ(test::FileSize(folder + "vost.cok"), kCarriedSize);
    EXPECT_TRUE(test::FileEquals(folder + "vost.cok", Payload));
}

// The disk fills up part-way through the write: the message names the target, the old file is
// whole and the partial new one is gone.
TEST_F(FullPayloadTest, DiskFullMidWriteLeavesTheOldFileWhole) {
    if (!DriveMapped(kFullDrive))
        GTEST_SKIP() << "disk-full check: no drive T:, whose tmpfs only root can mount "
                        "(scripts/install-test-drives)";
    const std::string target = std::string(kFullDrive) + "vost.cok";
    const std::string old = test::OldFileBytes(8 << 20);
    test::WriteFileBytes(target, old);
    ASSERT_TRUE(test::FileEquals(target, old));
    // Room for a part of the new file, not for all of it.
    const uint64_t roomBefore = FreeBytes(kFullDrive);
    ASSERT_GT(roomBefore, 16u << 20);
    ASSERT_LT(roomBefore, kCarriedSize);

    EXPECT_EQ(test::WriteDataFileAt(target), TWriteResult::Failed);

    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_EQ(Boxes.Shown()[0].Text, "Can't install file " + target);
    EXPECT_TRUE(test::FileEquals(target, old));
    EXPECT_EQ(test::FolderNames(kFullDrive),
              (std::vector<std::string>{"telvo-test-drive", "vost.cok"}));
    EXPECT_EQ(FreeBytes(kFullDrive), roomBefore);
    DeleteFileA(target.c_str());
}

// A folder nobody may write to (Wine gives every user administrator rights, so a read-only
// volume stands for it): the message, and the old file as it was.
TEST_F(FullPayloadTest, FolderThatCannotBeWrittenKeepsTheOldFile) {
    if (!DriveMapped(kReadOnlyDrive))
        GTEST_SKIP() << "read-only check: no drive R:, whose tmpfs only root can mount "
                        "(scripts/install-test-drives)";
    const std::string target = std::string(kReadOnlyDrive) + "vost.cok";
    const std::string old = test::ReadWholeFile(target);
    ASSERT_FALSE(old.empty());

    EXPECT_EQ(test::WriteDataFileAt(target), TWriteResult::Failed);

    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_EQ(Boxes.Shown()[0].Text, "Can't install file " + target);
    EXPECT_EQ(test::ReadWholeFile(target), old);
    EXPECT_EQ(test::ReadDataVersion(target), 40);
    EXPECT_EQ(test::FolderNames(kReadOnlyDrive),
              (std::vector<std::string>{"telvo-test-drive", "vost.cok"}));
}

}  // namespace
}  // namespace telvo
