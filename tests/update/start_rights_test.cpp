// What the application started by the package is denied, decided from the tokens' SIDs alone.
#include "update/start_rights.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace telvo {
namespace {

TSidBytes Sid(uint8_t authority, std::initializer_list<uint32_t> subAuthorities) {
    TSidBytes sid = {1, static_cast<uint8_t>(subAuthorities.size()), 0, 0, 0, 0, 0, authority};
    for (uint32_t sub : subAuthorities)
        for (int shift = 0; shift < 32; shift += 8)
            sid.push_back(static_cast<uint8_t>(sub >> shift));
    return sid;
}

constexpr uint32_t kEnabled = 0x07;   // mandatory, enabled by default, enabled
constexpr uint32_t kDenyOnly = 0x10;  // SE_GROUP_USE_FOR_DENY_ONLY
constexpr uint32_t kLabel = 0x60;     // SE_GROUP_INTEGRITY | SE_GROUP_INTEGRITY_ENABLED

const TSidBytes kEveryone = Sid(1, {0});
const TSidBytes kUsers = Sid(5, {32, 545});
const TSidBytes kAdministrators = Sid(5, {32, 544});
const TSidBytes kBackupOperators = Sid(5, {32, 551});
const TSidBytes kLocalAdministrator = Sid(5, {114});  // local account and Administrators member
const TSidBytes kDomainAdmins = Sid(5, {21, 1, 2, 3, 512});
const TSidBytes kDomainUsers = Sid(5, {21, 1, 2, 3, 513});
const TSidBytes kHighLabel = Sid(16, {0x3000});
const TSidBytes kMediumLabel = Sid(16, {0x2000});

// Nothing is started as a service account: the user would get a service's rights.
TEST(StartRightsTest, ServiceAccountsAreRecognised) {
    EXPECT_TRUE(IsServiceAccount(Sid(5, {18})));
    EXPECT_TRUE(IsServiceAccount(Sid(5, {19})));
    EXPECT_TRUE(IsServiceAccount(Sid(5, {20})));
    EXPECT_FALSE(IsServiceAccount(Sid(5, {21, 1, 2, 3, 1001})));
    EXPECT_FALSE(IsServiceAccount(kAdministrators));
    EXPECT_FALSE(IsServiceAccount(Sid(1, {18})));
    EXPECT_FALSE(IsServiceAccount(TSidBytes{1, 1, 0, 0, 0, 0, 0, 5, 18}));  // cut short
    EXPECT_FALSE(IsServiceAccount({}));
}

// Every enabled administrative group is denied, the operators' and the domain's included; what
// is already deny-only, other groups and integrity labels are left as they are.
TEST(StartRightsTest, EnabledAdministrativeGroupsAreDenied) {
    const TSidBytes cryptographicOperators = Sid(5, {32, 569});
    const TSidBytes preWindows2000Access = Sid(5, {32, 554});
    const TSidBytes rasAndIasServers = Sid(5, {21, 1, 2, 3, 553});
    const std::vector<TTokenGroup> groups = {{kEveryone, kEnabled},
                                             {kUsers, kEnabled},
                                             {kBackupOperators, kEnabled},
                                             {kDomainAdmins, kEnabled},
                                             {kAdministrators, kDenyOnly},
                                             {kLocalAdministrator, kEnabled},
                                             {kDomainUsers, kEnabled},
                                             {cryptographicOperators, kEnabled},
                                             {preWindows2000Access, kEnabled},
                                             {rasAndIasServers, kEnabled},
                                             {Sid(5, {32, 545, 569}), kEnabled},  // no alias
                                             {kHighLabel, kLabel}};
    EXPECT_EQ(GroupsToDeny(groups),
              (std::vector<TSidBytes>{kBackupOperators, kDomainAdmins, cryptographicOperators,
                                      preWindows2000Access, rasAndIasServers}));
}

// The package starts the application with its own token only where that token already is the
// desktop user's plain one.
TEST(StartRightsTest, OwnTokenStartsOnlyAsTheDesktopUsersPlainToken) {
    const TSidBytes user = Sid(5, {21, 1, 2, 3, 1001});
    const TSidBytes administrator = Sid(5, {21, 1, 2, 3, 500});
    const TSidBytes system = Sid(5, {18});
    using enum TElevationType;
    const auto starts = [](TSidBytes sid, TElevationType elevation,
                           std::optional<TSidBytes> desktopUser) {
        return MayStartWithOwnToken({std::move(sid), elevation}, desktopUser);
    };
    EXPECT_TRUE(starts(user, Limited, user)) << "the plain half of the user's split token";
    EXPECT_TRUE(starts(user, Default, user)) << "no split: a standard user, or UAC off";
    EXPECT_FALSE(starts(user, Full, user)) << "the elevated half of the user's own split token";
    EXPECT_FALSE(starts(administrator, Full, user))
        << "an administrator's credentials given on the user's desktop";
    EXPECT_FALSE(starts(administrator, Default, user))
        << "an administrator's unsplit token on the user's desktop";
    EXPECT_FALSE(starts(user, Unknown, user)) << "an elevation that cannot be read";
    EXPECT_FALSE(starts(user, Limited, std::nullopt)) << "a desktop user that cannot be learnt";
    EXPECT_FALSE(starts(system, Default, system)) << "LocalSystem, even as the session's user";
    EXPECT_FALSE(starts({}, Default, TSidBytes{})) << "no user read";
}

}  // namespace
}  // namespace telvo
