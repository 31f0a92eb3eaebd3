#include "update/flow_rules.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TEST(FlowRulesTest, NamesTheResourceFromTheDataFileName) {
    EXPECT_EQ(DataFileExtension("vost.cok"), ".cok");
    EXPECT_EQ(DataFileExtension("a.b.cok"), ".cok");
    EXPECT_EQ(DataFileExtension("vost"), "");
    EXPECT_EQ(DataFileBaseName("vost.cok", ".cok"), "vost");
    // Cut at the first occurrence of the extension, as the installed name is built back from it.
    EXPECT_EQ(DataFileBaseName("a.cok.cok", ".cok"), "a");
}

// The version byte is the fifth; short files count as version -32.
TEST(FlowRulesTest, InstalledVersionFromTheHeader) {
    EXPECT_EQ(InstalledVersionFromHeader(std::string("vost\x4E", 5)), 46);
    EXPECT_EQ(InstalledVersionFromHeader(std::string("vost\x00", 5)), -32);
    EXPECT_EQ(InstalledVersionFromHeader(std::string("vost\xFF", 5)), 223);
    EXPECT_EQ(InstalledVersionFromHeader("vost"), -32);
    EXPECT_EQ(InstalledVersionFromHeader(""), -32);
}

TEST(FlowRulesTest, SilentModeAndStartRequest) {
    EXPECT_TRUE(IsSilentMode("modest"));
    EXPECT_FALSE(IsSilentMode("modest2"));
    EXPECT_FALSE(IsSilentMode(""));
    EXPECT_TRUE(WantsApplicationStarted("RunApp"));
    EXPECT_FALSE(WantsApplicationStarted("runapp "));
    EXPECT_FALSE(WantsApplicationStarted(""));
    EXPECT_TRUE(MayStartApplication("", ""));
    EXPECT_TRUE(MayStartApplication("anything", ""));
    EXPECT_TRUE(MayStartApplication("modest", "RUNAPP"));
    EXPECT_FALSE(MayStartApplication("modest", ""));
    EXPECT_FALSE(MayStartApplication("modest", "other"));
}

}  // namespace
}  // namespace telvo
