#include "integrity/seal.h"

#include <gtest/gtest.h>

#include <vector>

#include "integrity/synthetic_image.h"

namespace telvo {
namespace {

using test::SyntheticImage;

TEST(SealLayoutTest, LeavesOutChecksumCertificateEntryTableAndSlot) {
    const std::vector<uint8_t> image = SyntheticImage(6000, 100);
    const auto layout = FindSealLayout(image.data(), image.size(), image.size());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->SlotOffset, 4096u);
    const size_t optional = 0x84 + 20;
    ASSERT_EQ(layout->Excluded.size(), 4u);
    EXPECT_EQ(layout->Excluded[0].Offset, optional + 64);
    EXPECT_EQ(layout->Excluded[1].Offset, optional + 128);
    EXPECT_EQ(layout->Excluded[1].Size, 8u);
    EXPECT_EQ(layout->Excluded[2].Offset, 4096u);
    EXPECT_EQ(layout->Excluded[2].Size, sizeof(TSealSlot));
    EXPECT_EQ(layout->Excluded[3].Offset, 6000u);
    EXPECT_EQ(layout->Excluded[3].Size, 100u);
}

TEST(SealLayoutTest, RejectsWhatIsNotASealedImage) {
    std::vector<uint8_t> image = SyntheticImage(0, 0);
    image[0] = 'X';
    EXPECT_FALSE(FindSealLayout(image.data(), image.size(), image.size()));
    image = SyntheticImage(0, 0);
    image[0x84 + 20 + 224] = 'x';  // section renamed
    EXPECT_FALSE(FindSealLayout(image.data(), image.size(), image.size()));
    // A truncated file that ends before the slot.
    image = SyntheticImage(0, 0);
    EXPECT_FALSE(FindSealLayout(image.data(), 4096, 4096));
    // A certificate table said to reach past the end is clipped, not trusted.
    image = SyntheticImage(8000, 100000);
    const auto layout = FindSealLayout(image.data(), image.size(), image.size());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->Excluded.back().Offset + layout->Excluded.back().Size, image.size());
}

}  // namespace
}  // namespace telvo
