// What the application started by the package may not have: the package's own rights. Pure:
// SIDs and group lists come in as bytes, gathered from the tokens by lowered_start.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace telvo {

using TSidBytes = std::vector<uint8_t>;

// A group of a token: its SID and its attributes (SE_GROUP_*).
struct TTokenGroup {
    TSidBytes Sid;
    uint32_t Attributes = 0;
};

// True for the service accounts LocalSystem, LocalService and NetworkService (S-1-5-18, -19,
// -20). A program started under one of them would run with a service's rights on the user's
// desktop, so the package starts none there.
bool IsServiceAccount(const TSidBytes& user);

// True for the well-known administrative groups and aliases that User Account Control filters
// out of a standard user's token: BUILTIN Administrators, Power Users, Account, Server, Print
// and Backup Operators, Pre-Windows 2000 Compatible Access, Network Configuration and
// Cryptographic Operators, and the domain's Admins, Controllers, Cert Publishers, Schema and
// Enterprise Admins, Group Policy Creator Owners, read-only controllers and RAS and IAS Servers.
bool IsAdministrativeGroup(const TSidBytes& sid);

// The groups to make deny-only in the started program's token: every administrative group
// enabled in the package's own. Integrity labels are never among them.
std::vector<TSidBytes> GroupsToDeny(const std::vector<TTokenGroup>& groups);

// A token's place in User Account Control (TokenElevationType): Default where the logon has no
// split token (UAC off, a standard user, Windows XP), Full for the elevated half of a split
// token, Limited for its plain half; Unknown where it cannot be read.
enum class TElevationType { Unknown, Default, Full, Limited };

// What the package knows of its own token.
struct TOwnToken {
    TSidBytes User;
    TElevationType Elevation = TElevationType::Unknown;
};

// Whether the package may start the application itself, with (a restricted copy of) its own
// token, where the desktop shell cannot start it: only where that token already is the desktop
// user's plain token. Its user must be `desktopUser`, the interactive user of the package's
// session (nullopt where that cannot be learnt), and no service account, and it must not be the
// elevated half of a split token. Otherwise an administrator's credentials given for a standard
// user's update, or the elevated logon session of the user's own split token, would reach the
// application.
bool MayStartWithOwnToken(const TOwnToken& token, const std::optional<TSidBytes>& desktopUser);

}  // namespace telvo
