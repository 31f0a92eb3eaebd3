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

// A request that writes fewer bytes than it asked to, as one into a non-blocking pipe with a
// small buffer does, ends the write as a failure.
TEST(PieceWriteTest, AShortPieceIsAFailure) {
    const auto nonBlockingPipe = [](TFileHandle& reader, TFileHandle& writer) {
        DWORD mode = PIPE_NOWAIT;
        return CreatePipe(reader.put(), writer.put(), nullptr, 4096) &&
               SetNamedPipeHandleState(writer.get(), &mode, nullptr, nullptr);
    };
    const std::string bytes = test::OldFileBytes(2 * kWritePieceSize);
    TFileHandle controlReader, controlWriter;
    ASSERT_TRUE(nonBlockingPipe(controlReader, controlWriter));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(controlWriter.get(), bytes.data(), kWritePieceSize, &written, nullptr));
    ASSERT_LT(written, kWritePieceSize) << "the pipe took a whole piece: nothing short to see";

    TFileHandle reader, writer;
    ASSERT_TRUE(nonBlockingPipe(reader, writer));
    EXPECT_FALSE(WriteInPieces(writer.get(), bytes.data(), static_cast<uint32_t>(bytes.size())));
}

}  // namespace
}  // namespace telvo
