// What the application started by the package is denied, decided from the tokens' SIDs alone.
#include "update/start_rights.h"

#include <gtest/gtest.h>

#include <initializer_list>

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

// With a filtered token, what it does not have enabled is denied; labels are never touched.
TEST(StartRightsTest, DeniedGroupsFollowTheFilteredToken) {
    const std::vector<TTokenGroup> full = {
        {kEveryone, kEnabled},           {kUsers, kEnabled},       {kAdministrators, kEnabled},
        {kLocalAdministrator, kEnabled}, {kDomainUsers, kEnabled}, {kHighLabel, kLabel}};
    const std::vector<TTokenGroup> filtered = {
        {kEveryone, kEnabled},        {kUsers, kEnabled},
        {kAdministrators, kDenyOnly}, {kLocalAdministrator, kDenyOnly},
        {kDomainUsers, kEnabled},     {kMediumLabel, kLabel}};
    EXPECT_EQ(GroupsToDeny(full, filtered),
              (std::vector<TSidBytes>{kAdministrators, kLocalAdministrator}));
}

// Without one, the well-known administrative groups are denied, and so they are even where a
// filtered token left one enabled.
TEST(StartRightsTest, AdministrativeGroupsAreDeniedWhateverTheFilteredTokenSays) {
    const std::vector<TTokenGroup> full = {{kUsers, kEnabled},
                                           {kBackupOperators, kEnabled},
                                           {kDomainAdmins, kEnabled},
                                           {kAdministrators, kDenyOnly},
                                           {kDomainUsers, kEnabled}};
    EXPECT_EQ(GroupsToDeny(full, std::nullopt),
              (std::vector<TSidBytes>{kBackupOperators, kDomainAdmins}));
    EXPECT_EQ(GroupsToDeny(full, full), (std::vector<TSidBytes>{kBackupOperators, kDomainAdmins}));
}

}  // namespace
}  // namespace telvo
