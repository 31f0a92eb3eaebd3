#include "startup/windows_identity.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TWindowsReport Nt6(uint16_t architecture, std::optional<std::string> product = std::nullopt,
                   std::string servicePack = {}) {
    TWindowsReport r;
    r.VersionKnown = true;
    r.ExtendedVersion = true;
    r.PlatformId = 2;
    r.MajorVersion = 6;
    r.ProcessorArchitecture = architecture;
    r.ProductName = std::move(product);
    r.ServicePack = std::move(servicePack);
    return r;
}

bool Decide(const TWindowsReport& r) {
    return IsWindows64Text(IdentificationText(r));
}

TEST(WindowsIdentityTest, Version6OnAmd64IsAlways64Bit) {
    EXPECT_TRUE(Decide(Nt6(kArchitectureAmd64, "Microsoft Windows 7", "Service Pack 1")));
    // Also when the product key could not be read.
    EXPECT_TRUE(Decide(Nt6(kArchitectureAmd64)));
    EXPECT_EQ(IdentificationText(Nt6(kArchitectureAmd64, "Microsoft Windows 7", "Service Pack 1")),
              "Microsoft Windows 7 64-bit Service Pack 1");
}

TEST(WindowsIdentityTest, Version6OnX86Is32BitUnlessTheTextSays64) {
    EXPECT_FALSE(Decide(Nt6(kArchitectureX86, "Microsoft Windows 7")));
    EXPECT_EQ(IdentificationText(Nt6(kArchitectureX86, "Vista")), "Vista 32-bit");
    EXPECT_TRUE(Decide(Nt6(kArchitectureX86, "Windows Server 64 Edition")));
    EXPECT_TRUE(Decide(Nt6(kArchitectureX86, "Windows", "64 extra")));
}

TEST(WindowsIdentityTest, OtherArchitecturesAddNoSuffix) {
    const uint16_t itanium = 6;
    EXPECT_EQ(IdentificationText(Nt6(itanium, "Windows")), "Windows");
    EXPECT_FALSE(Decide(Nt6(itanium, "Windows")));
    EXPECT_TRUE(Decide(Nt6(itanium, "Windows 64")));
}

TEST(WindowsIdentityTest, ProductPartOnlyForExtendedVersion6OfTheNtFamily) {
    TWindowsReport xp = Nt6(kArchitectureAmd64, "Windows XP");
    xp.MajorVersion = 5;
    EXPECT_FALSE(NeedsProductName(xp));
    EXPECT_FALSE(Decide(xp));

    TWindowsReport ten = Nt6(kArchitectureAmd64, "Windows 10 Pro");
    ten.MajorVersion = 10;
    EXPECT_FALSE(Decide(ten));

    TWindowsReport plainRecord = Nt6(kArchitectureAmd64, "Windows 7");
    plainRecord.ExtendedVersion = false;
    EXPECT_FALSE(Decide(plainRecord));
    plainRecord.ServicePack = "64";
    EXPECT_TRUE(Decide(plainRecord));
}

TEST(WindowsIdentityTest, ServicePackOfBlanksIsNotAppended) {
    EXPECT_EQ(IdentificationText(Nt6(kArchitectureX86, "W", " \t ")), "W 32-bit");
    // Appended untrimmed, after one blank.
    EXPECT_EQ(IdentificationText(Nt6(kArchitectureX86, "W", " SP2 ")), "W 32-bit  SP2 ");
}

TEST(WindowsIdentityTest, UnknownVersionOrPlatformIsNever64Bit) {
    TWindowsReport unknown = Nt6(kArchitectureAmd64, "x 64");
    unknown.VersionKnown = false;
    EXPECT_FALSE(Decide(unknown));

    TWindowsReport ce = Nt6(kArchitectureAmd64, "x", "64");
    ce.PlatformId = 3;
    EXPECT_FALSE(Decide(ce));

    // The Windows 95 family gets the service-pack text only.
    TWindowsReport w95 = Nt6(kArchitectureAmd64, "x 64");
    w95.PlatformId = 1;
    EXPECT_FALSE(Decide(w95));
    w95.ServicePack = "64";
    EXPECT_TRUE(Decide(w95));
}

}  // namespace
}  // namespace telvo
