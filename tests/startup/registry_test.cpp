#include "startup/registry.h"

#include <gtest/gtest.h>

#include "startup/registry_error.h"
#include "support/test_registry.h"

namespace telvo {
namespace {

using test::SeedString;
using test::SeedValue;
using test::TScratchKey;

std::string ReadError(const TRegistry& registry, const std::string& name) {
    try {
        registry.ReadString(name);
    } catch (const ERegistryException& e) {
        return e.what();
    }
    return "no error";
}

class RegistryTest : public testing::Test {
  protected:
    TScratchKey Scratch{HKEY_CURRENT_USER, "Registry"};
    TRegistry Registry{kAccessAll64};
};

TEST_F(RegistryTest, StartsAtCurrentUserWithNoKeyOpen) {
    EXPECT_EQ(Registry.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(Registry.HasOpenKey());
    EXPECT_EQ(Registry.Access(), 0xF013Fu);
    EXPECT_FALSE(Registry.ValueExists("anything"));
}

// A missing key opens only with create; the created key is really there afterwards.
TEST_F(RegistryTest, OpensExistingKeysAndCreatesOnlyWhenAsked) {
    EXPECT_FALSE(Registry.OpenKey(Scratch.Path(), false));
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, Scratch.Path()));
    EXPECT_TRUE(Registry.OpenKey(Scratch.Path() + "\\", true));
    EXPECT_TRUE(Registry.HasOpenKey());
    Registry.CloseKey();
    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, Scratch.Path()));
    EXPECT_TRUE(Registry.OpenKey(Scratch.Path() + "\\", false));
}

TEST_F(RegistryTest, FailedOpenLeavesTheOpenKeyAsItWas) {
    SeedString(HKEY_CURRENT_USER, Scratch.Path(), "Name", "kept");
    ASSERT_TRUE(Registry.OpenKey(Scratch.Path(), false));
    EXPECT_FALSE(Registry.OpenKey(Scratch.Path() + "\\Missing", false));
    EXPECT_EQ(Registry.ReadString("Name"), "kept");
}

TEST_F(RegistryTest, ChangingTheRootClosesTheKeyButSettingTheSameRootDoesNot) {
    ASSERT_TRUE(Registry.OpenKey(Scratch.Path(), true));
    Registry.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_TRUE(Registry.HasOpenKey());
    Registry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(Registry.HasOpenKey());
    EXPECT_EQ(Registry.RootKey(), HKEY_LOCAL_MACHINE);
}

TEST_F(RegistryTest, ReadsStringsAsStored) {
    SeedString(HKEY_CURRENT_USER, Scratch.Path(), "Plain", "C:\\Apps\\Telvo\\");
    SeedValue(HKEY_CURRENT_USER, Scratch.Path(), "Expand", REG_EXPAND_SZ,
              std::string("%SystemRoot%\\x\0", 15));
    SeedValue(HKEY_CURRENT_USER, Scratch.Path(), "Empty", REG_SZ, "");
    SeedValue(HKEY_CURRENT_USER, Scratch.Path(), "Nul", REG_SZ, std::string("abc\0def\0", 8));
    SeedValue(HKEY_CURRENT_USER, Scratch.Path(), "Unterminated", REG_SZ, "xyz");
    SeedString(HKEY_CURRENT_USER, Scratch.Path(), "Cyrillic", "\xD2\xE5\xEB\xFC\xE2\xEE");
    ASSERT_TRUE(Registry.OpenKey(Scratch.Path(), false));

    EXPECT_EQ(Registry.ReadString("Plain"), "C:\\Apps\\Telvo\\");
    EXPECT_EQ(Registry.ReadString("Expand"), "%SystemRoot%\\x");  // not expanded
    EXPECT_EQ(Registry.ReadString("Empty"), "");
    EXPECT_EQ(Registry.ReadString("Nul"), "abc");
    EXPECT_EQ(Registry.ReadString("Unterminated"), "xyz");
    EXPECT_EQ(Registry.ReadString("Cyrillic"), "\xD2\xE5\xEB\xFC\xE2\xEE");
    EXPECT_TRUE(Registry.ValueExists("Empty"));
    EXPECT_FALSE(Registry.ValueExists("Missing"));
}

TEST_F(RegistryTest, OtherTypesAndMissingValuesRaiseTheReadError) {
    SeedValue(HKEY_CURRENT_USER, Scratch.Path(), "Binary", REG_BINARY, "abc");
    test::SeedDword(HKEY_CURRENT_USER, Scratch.Path(), "Dword", 7);
    SeedValue(HKEY_CURRENT_USER, Scratch.Path(), "Multi", REG_MULTI_SZ, std::string("a\0\0", 3));
    ASSERT_TRUE(Registry.OpenKey(Scratch.Path(), false));
    EXPECT_EQ(ReadError(Registry, "Binary"), "Failed to get data for 'Binary'");
    EXPECT_EQ(ReadError(Registry, "Dword"), "Failed to get data for 'Dword'");
    EXPECT_EQ(ReadError(Registry, "Multi"), "Failed to get data for 'Multi'");
    EXPECT_EQ(ReadError(Registry, "Missing"), "Failed to get data for 'Missing'");
    Registry.CloseKey();
    EXPECT_EQ(ReadError(Registry, "Binary"), "Failed to get data for 'Binary'");
}

TEST_F(RegistryTest, WritesIntegersAsDword) {
    ASSERT_TRUE(Registry.OpenKey(Scratch.Path(), true));
    Registry.WriteInteger("EstimatedSize", 115608);
    Registry.WriteInteger("Negative", -1);
    Registry.CloseKey();
    EXPECT_EQ(test::ReadDword(HKEY_CURRENT_USER, Scratch.Path(), "EstimatedSize"), 115608u);
    EXPECT_EQ(test::ReadDword(HKEY_CURRENT_USER, Scratch.Path(), "Negative"), 0xFFFFFFFFu);
}

TEST_F(RegistryTest, WritingWithNoKeyOpenRaisesTheWriteError) {
    try {
        Registry.WriteInteger("EstimatedSize", 1);
        FAIL() << "no error raised";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'EstimatedSize'");
    }
}

// The 64-bit mask reaches the 64-bit view; a 32-bit program's plain mask lands in WOW6432Node.
TEST(RegistryViewTest, SixtyFourBitMaskWorksInThe64BitView) {
    TScratchKey in64(HKEY_LOCAL_MACHINE, "View", test::kView64);
    TScratchKey in32(HKEY_LOCAL_MACHINE, "View", test::kView32);
    {
        TRegistry registry(kAccessAll64);
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey(in64.Path(), true));
        registry.WriteInteger("Seen", 64);
    }
    EXPECT_EQ(test::ReadDword(HKEY_LOCAL_MACHINE, in64.Path(), "Seen", test::kView64), 64u);
    EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, in32.Path(), test::kView32));

    TRegistry plain(kAccessAll);
    plain.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(plain.OpenKey(in64.Path(), false));
    test::SeedString(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\TelvoTests\\View", "Via", "wow",
                     test::kView64);
    ASSERT_TRUE(plain.OpenKey(in32.Path(), false));
    EXPECT_EQ(plain.ReadString("Via"), "wow");
}

// On 32-bit Windows there is one view: the plain mask reaches everything.
TEST(RegistryViewWin32PrefixTest, PlainMaskReachesTheOnlyView) {
    TScratchKey key(HKEY_LOCAL_MACHINE, "View");
    TRegistry registry(kAccessAll);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(key.Path(), true));
    registry.WriteInteger("Seen", 32);
    registry.CloseKey();
    EXPECT_EQ(test::ReadDword(HKEY_LOCAL_MACHINE, key.Path(), "Seen"), 32u);
    EXPECT_FALSE(test::KeyExists(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\TelvoTests\\View"));
}

}  // namespace
}  // namespace telvo
