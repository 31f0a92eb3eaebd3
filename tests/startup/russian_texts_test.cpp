#include "startup/russian_texts.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TEST(RussianTextLocaleTest, SevenLocalesExactly) {
    for (uint32_t id : {0x0402u, 0x0419u, 0x0422u, 0x0423u, 0x043Fu, 0x0444u, 0x0819u})
        EXPECT_TRUE(IsRussianTextLocale(id)) << std::hex << id;
    // Kyrgyz, English, other sublanguages and the bare language id do not qualify.
    for (uint32_t id : {0x0440u, 0x0409u, 0x0C19u, 0x0019u, 0x10419u, 0x0000u})
        EXPECT_FALSE(IsRussianTextLocale(id)) << std::hex << id;
}

}  // namespace
}  // namespace telvo
