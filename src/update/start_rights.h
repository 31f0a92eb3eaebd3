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
// and Backup Operators, Network Configuration Operators, and the domain's Admins, Controllers,
// Cert Publishers, Schema and Enterprise Admins, Group Policy Creator Owners and read-only
// controllers.
bool IsAdministrativeGroup(const TSidBytes& sid);

// The groups to make deny-only in the started program's token: every group enabled in the
// package's (full) token that User Account Control's filtered token does not have enabled, where
// there is a filtered token (`linked`), and in any case every enabled administrative group.
// Integrity labels are never among them.
std::vector<TSidBytes> GroupsToDeny(const std::vector<TTokenGroup>& full,
                                    const std::optional<std::vector<TTokenGroup>>& linked);

}  // namespace telvo
