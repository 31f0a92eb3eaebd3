// WriteInPieces against real files of the test prefix: the bytes arrive whole and in order
// whether or not their size is a multiple of the piece size.
#include "install/piece_write.h"

#include <gtest/gtest.h>

#include <string>

#include "startup/win_handles.h"
#include "support/install_files.h"
#include "support/processes.h"

namespace telvo {
namespace {

// Writes `bytes` into a new file and checks that the file holds exactly them.
void ExpectWrittenWhole(const std::string& bytes) {
    const std::string path =
        test::FreshTempFolder(testing::UnitTest::GetInstance()->current_test_info()->name()) +
        "pieces.bin";
    {
        TFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        EXPECT_TRUE(WriteInPieces(file.get(), bytes.data(), static_cast<uint32_t>(bytes.size())));
    }
    EXPECT_EQ(test::FileSize(path), bytes.size());
    EXPECT_TRUE(test::FileEquals(path, bytes));
}

// Two whole pieces and a short last one, and less than one piece; the bytes' pattern does not
// repeat at the piece size, so a piece written from the wrong place shows.
TEST(PieceWriteTest, AnySizeArrivesWhole) {
    for (const uint32_t size : {2 * kWritePieceSize + 12345, 4099u}) {
        SCOPED_TRACE(size);
        ExpectWrittenWhole(test::OldFileBytes(size));
    }
}

}  // namespace
}  // namespace telvo
