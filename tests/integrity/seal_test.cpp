#include "integrity/seal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "startup/win_handles.h"
#include "support/processes.h"
#include "folder/file_in_use.h"
#include "integrity/self_check.h"
#include "integrity/synthetic_image.h"

#define XXH_STATIC_LINKING_ONLY
#define XXH_INLINE_ALL
#include <xxhash.h>

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

// XXH3-128 as xxHash publishes it (`xxhsum -H2`), so the digest is the library's canonical
// form and not a byte order of our own.
TEST(SealHashTest, KnownValues) {
    TSealHash empty;
    EXPECT_EQ(Hex(empty.Finish()), "99aa06d3014798d86001c324468d497f");
    TSealHash abc;
    abc.Update(reinterpret_cast<const uint8_t*>("a"), 1);
    abc.Update(reinterpret_cast<const uint8_t*>("bc"), 2);
    EXPECT_EQ(Hex(abc.Finish()), "06b05ab6733a618578af5f94892f3950");
}

// The digest fed in any pieces, the excluded ranges skipped as it goes, equals one call of the
// library over the bytes the seal covers. The image is large enough for XXH3's long-input path,
// and the certificate table trails it, as in a signed file.
TEST(SealDigestTest, StreamedPiecesEqualOneCallOverTheCoveredBytes) {
    const std::vector<uint8_t> image = test::SyntheticImage(70000, 1000, 71000);
    const auto layout = FindSealLayout(image.data(), image.size(), image.size());
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->Excluded.size(), 4u);
    std::vector<uint8_t> covered;
    uint64_t from = 0;
    for (const TByteRange& r : layout->Excluded) {
        covered.insert(covered.end(), image.begin() + from, image.begin() + r.Offset);
        from = r.Offset + r.Size;
    }
    covered.insert(covered.end(), image.begin() + from, image.end());
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits(covered.data(), covered.size()));
    TDigest expected;
    std::memcpy(expected.data(), canonical.digest, expected.size());

    std::mt19937 random(46);
    for (size_t largest : {image.size(), size_t(1), size_t(97), size_t(5000)}) {
        TSealDigest digest(*layout);
        for (size_t done = 0; done < image.size();) {
            const size_t step = std::min<size_t>(image.size() - done, 1 + random() % largest);
            digest.Feed(image.data() + done, step);
            done += step;
        }
        EXPECT_EQ(Hex(digest.Finish()), Hex(expected)) << "pieces up to " << largest;
    }
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
    const auto layout =
        FindSealLayout(reinterpret_cast<const uint8_t*>(file.data()), file.size(), file.size());
    ASSERT_TRUE(layout);
    Patch(layout->SlotOffset + offsetof(TSealSlot, Sealed), std::string(4, '\0'));
    EXPECT_EQ(CheckFileSeal(Copy), TSelfCheck::NoSeal);
    // A slot sealed in the older SHA-256 layout (its own marker, a 32-byte digest) is not read
    // with today's digest.
    SetUp();
    const uint32_t oldMark = kSealedMark;
    Patch(layout->SlotOffset, std::string("TelvoUpdateSeal\0", 16) + std::string(32, '\x5A') +
                                  std::string(reinterpret_cast<const char*>(&oldMark), 4));
    EXPECT_EQ(CheckFileSeal(Copy), TSelfCheck::NoSeal);
}

// The package's own file held by another handle that shares no reading (as a holder of an
// opportunistic lock whose break is under way holds it, on Windows) is waited for as the writer
// waits for a held data file: let go within the wait, it is checked (the test program has no
// seal); held past it, it is one that cannot be read, and the check has ended all the same.
TEST(OwnSealTest, AHeldOwnFileIsWaitedForThenUnreadable) {
    wchar_t own[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, own, MAX_PATH), 0u);
    for (const bool letGo : {true, false}) {
        SCOPED_TRACE(letGo ? "let go after a second" : "held throughout");
        TFileHandle holder(CreateFileW(own, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!holder)
            GTEST_SKIP() << "the running test program cannot be held without read sharing here, "
                         << "error " << GetLastError();
        std::thread release([&] {
            if (letGo) {
                Sleep(1000);
                holder.reset();
            }
        });
        const ULONGLONG start = GetTickCount64();
        const TSelfCheck verdict = CheckOwnSeal();
        const ULONGLONG elapsed = GetTickCount64() - start;
        release.join();
        EXPECT_EQ(verdict, letGo ? TSelfCheck::NoSeal : TSelfCheck::Unreadable);
        EXPECT_LT(elapsed, kFileCallBoundMs + 1500u);
    }
}

}  // namespace
}  // namespace telvo
