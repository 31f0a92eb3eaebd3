#include "integrity/seal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "startup/win_handles.h"
#include "support/processes.h"
#include "integrity/self_check.h"
#include "integrity/synthetic_image.h"

namespace telvo {
namespace {

std::string Hex(const TDigest& digest) {
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (uint8_t b : digest) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

std::string HashOf(const std::string& data, bool shaExtensions) {
    TSha256 hash(shaExtensions);
    hash.Update(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    return Hex(hash.Finish());
}

// Published test vectors, through both implementations.
TEST(Sha256Test, KnownVectors) {
    const std::pair<std::string, const char*> vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [text, expected] : vectors) {
        EXPECT_EQ(HashOf(text, false), expected) << text.size();
        EXPECT_EQ(HashOf(text, true), expected) << text.size();
    }
}

// Every length around the block edges, fed in uneven pieces, agrees between the two.
TEST(Sha256Test, ExtensionsAgreeWithPortableCodeInAnyPieces) {
    std::mt19937 random(46);
    std::string data(3000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    for (size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u, 3000u}) {
        TSha256 pieces;
        for (size_t done = 0; done < length;) {
            const size_t step = std::min<size_t>(length - done, 1 + random() % 97);
            pieces.Update(reinterpret_cast<const uint8_t*>(data.data()) + done, step);
            done += step;
        }
        EXPECT_EQ(Hex(pieces.Finish()), HashOf(data.substr(0, length), false)) << length;
    }
}

// The digest does not depend on how the file is cut into pieces.
TEST(SealLayoutTest, DigestIsIndependentOfFeeding) {
    const std::vector<uint8_t> image = test::SyntheticImage(6000, 100);
    const auto layout = FindSealLayout(image.data(), image.size(), image.size());
    ASSERT_TRUE(layout);
    TSealDigest whole(*layout);
    whole.Feed(image.data(), image.size());
    TSealDigest bytewise(*layout);
    for (uint8_t b : image) bytewise.Feed(&b, 1);
    EXPECT_EQ(whole.Finish(), bytewise.Finish());
}

// Copies of the real package: what signing changes keeps the seal, anything else breaks it.
class SelfCheckTest : public testing::Test {
  protected:
    void SetUp() override {
        Copy = test::FreshTempFolder("self-check") + "TelvoUpdate.exe";
        ASSERT_TRUE(CopyFileA((test::TestBinFolder() + "..\\TelvoUpdate.exe").c_str(), Copy.c_str(),
                              FALSE));
    }
    void Patch(uint64_t offset, const std::string& bytes) {
        TFileHandle file(
            CreateFileA(Copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN);
        DWORD written = 0;
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    uint64_t Size() const {
        WIN32_FILE_ATTRIBUTE_DATA data;
        GetFileAttributesExA(Copy.c_str(), GetFileExInfoStandard, &data);
        return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    uint32_t PeOffset() {
        const std::string head = test::ReadWholeFile(Copy).substr(0x3C, 4);
        uint32_t pe;
        std::memcpy(&pe, head.data(), 4);
        return pe;
    }
    std::string Copy;
};

TEST_F(SelfCheckTest, TheBuiltPackageIsSealed) {
    EXPECT_EQ(CheckFileSeal(Copy), TSelfCheck::Valid);
}

TEST_F(SelfCheckTest, ChecksumFieldMayChange) {
    Patch(PeOffset() + 24 + 64, "\x12\x34\x56\x78");
    EXPECT_EQ(CheckFileSeal(Copy), TSelfCheck::Valid);
}

TEST_F(SelfCheckTest, AChangedByteAnywhereBreaksTheSeal) {
    for (uint64_t offset : {uint64_t(2), Size() / 2, Size() - 1}) {
        SetUp();
        const char original = test::ReadWholeFile(Copy)[offset];
        Patch(offset, std::string(1, static_cast<char>(original ^ 0x01)));
        EXPECT_EQ(CheckFileSeal(Copy), TSelfCheck::Broken) << offset;
    }
}

TEST_F(SelfCheckTest, TruncatedOrExtendedFileBreaksTheSeal) {
    Patch(Size(), "extra");
    EXPECT_EQ(CheckFileSeal(Copy), TSelfCheck::Broken);
    SetUp();
    {
        TFileHandle file(
            CreateFileA(Copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(Size() - 4096);
        SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN);
        SetEndOfFile(file.get());
    }
    EXPECT_EQ(CheckFileSeal(Copy), TSelfCheck::Broken);
}

TEST_F(SelfCheckTest, UnsealedOrUnreadableFiles) {
    // The test program has no slot at all; a missing file cannot be read.
    EXPECT_EQ(CheckFileSeal(test::TestBinFolder() + "telvo_tests.exe"), TSelfCheck::NoSeal);
    EXPECT_EQ(CheckFileSeal(Copy + ".missing"), TSelfCheck::Unreadable);
    // A slot whose sealed mark was wiped counts as no seal.
    const std::string file = test::ReadWholeFile(Copy);
    const auto layout = FindSealLayout(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                       file.size());
    ASSERT_TRUE(layout);
    Patch(layout->SlotOffset + offsetof(TSealSlot, Sealed), std::string(4, '\0'));
    EXPECT_EQ(CheckFileSeal(Copy), TSelfCheck::NoSeal);
}

}  // namespace
}  // namespace telvo
