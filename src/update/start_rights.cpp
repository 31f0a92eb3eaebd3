#include "update/start_rights.h"

#include <algorithm>

namespace telvo {
namespace {

constexpr uint32_t kGroupEnabled = 0x04;  // SE_GROUP_ENABLED

constexpr uint8_t kNtAuthority = 5;
constexpr uint32_t kBuiltinDomain = 32;
constexpr uint32_t kDomainOrLocalAccount = 21;

// A SID's bytes: revision 1, the count of sub-authorities, a six-byte big-endian identifier
// authority, then the sub-authorities, four bytes each, little-endian.
struct TSidParts {
    uint64_t Authority = 0;
    std::vector<uint32_t> SubAuthorities;
};

std::optional<TSidParts> PartsOf(const TSidBytes& sid) {
    if (sid.size() < 8 || sid[0] != 1 || sid.size() != 8 + 4 * size_t{sid[1]})
        return std::nullopt;
    TSidParts parts;
    for (size_t i = 2; i < 8; ++i) parts.Authority = parts.Authority << 8 | sid[i];
    for (size_t i = 8; i < sid.size(); i += 4)
        parts.SubAuthorities.push_back(uint32_t{sid[i]} | uint32_t{sid[i + 1]} << 8 |
                                       uint32_t{sid[i + 2]} << 16 | uint32_t{sid[i + 3]} << 24);
    return parts;
}

bool IsEnabled(const TTokenGroup& group) {
    return (group.Attributes & kGroupEnabled) != 0;
}

}  // namespace

bool IsServiceAccount(const TSidBytes& user) {
    const auto parts = PartsOf(user);
    if (!parts || parts->Authority != kNtAuthority || parts->SubAuthorities.size() != 1)
        return false;
    const uint32_t rid = parts->SubAuthorities[0];
    return rid == 18 || rid == 19 || rid == 20;
}

bool IsAdministrativeGroup(const TSidBytes& sid) {
    const auto parts = PartsOf(sid);
    if (!parts || parts->Authority != kNtAuthority || parts->SubAuthorities.empty())
        return false;
    const std::vector<uint32_t>& sub = parts->SubAuthorities;
    const uint32_t rid = sub.back();
    if (sub.size() == 2 && sub[0] == kBuiltinDomain) {
        // Administrators, Power Users, Account, Server, Print and Backup Operators, Pre-Windows
        // 2000 Compatible Access, Network Configuration and Cryptographic Operators.
        constexpr uint32_t kAliases[] = {544, 547, 548, 549, 550, 551, 554, 556, 569};
        return std::find(std::begin(kAliases), std::end(kAliases), rid) != std::end(kAliases);
    }
    if (sub.size() == 5 && sub[0] == kDomainOrLocalAccount) {
        // Enterprise Read-only Domain Controllers, Domain Admins, Domain Controllers, Cert
        // Publishers, Schema Admins, Enterprise Admins, Group Policy Creator Owners, Read-only
        // Domain Controllers, RAS and IAS Servers.
        constexpr uint32_t kGroups[] = {498, 512, 516, 517, 518, 519, 520, 521, 553};
        return std::find(std::begin(kGroups), std::end(kGroups), rid) != std::end(kGroups);
    }
    return false;
}

std::vector<TSidBytes> GroupsToDeny(const std::vector<TTokenGroup>& groups) {
    std::vector<TSidBytes> denied;
    // Integrity labels have an authority of their own, so they are never among them.
    for (const TTokenGroup& group : groups)
        if (IsEnabled(group) && IsAdministrativeGroup(group.Sid))
            denied.push_back(group.Sid);
    return denied;
}

bool MayStartWithOwnToken(const TOwnToken& token, const std::optional<TSidBytes>& desktopUser) {
    // Only the desktop user's plain token: the elevated half of a split token, or a token whose
    // elevation cannot be read, would carry rights the desktop user does not hold there.
    const bool plain =
        token.Elevation == TElevationType::Default || token.Elevation == TElevationType::Limited;
    return plain && PartsOf(token.User) && !IsServiceAccount(token.User) && desktopUser &&
           *desktopUser == token.User;
}

}  // namespace telvo
