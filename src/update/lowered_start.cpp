#include "update/lowered_start.h"

#include <optional>
#include <vector>

#include "startup/identify_windows.h"
#include "update/start_rights.h"

namespace telvo {
namespace {

constexpr uint32_t kWindowsVistaMajorVersion = 6;

std::vector<uint8_t> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<uint8_t> information(size);
    if (size == 0 || !GetTokenInformation(token, kind, information.data(), size, &size))
        information.clear();
    return information;
}

TSidBytes SidBytes(PSID sid) {
    const auto* bytes = static_cast<const uint8_t*>(sid);
    return TSidBytes(bytes, bytes + GetLengthSid(sid));
}

TSidBytes TokenUserSid(HANDLE token) {
    const std::vector<uint8_t> information = TokenInformation(token, ::TokenUser);
    if (information.empty())
        return {};
    return SidBytes(reinterpret_cast<const TOKEN_USER*>(information.data())->User.Sid);
}

std::optional<std::vector<TTokenGroup>> TokenGroupsOf(HANDLE token) {
    const std::vector<uint8_t> information = TokenInformation(token, TokenGroups);
    if (information.empty())
        return std::nullopt;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(information.data());
    std::vector<TTokenGroup> result;
    result.reserve(groups->GroupCount);
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        result.push_back({SidBytes(groups->Groups[i].Sid), groups->Groups[i].Attributes});
    return result;
}

// The groups of the filtered token that User Account Control made for the same logon, where
// the package runs elevated with one; nothing where User Account Control is off, on an account
// it does not filter, or on Windows XP.
std::optional<std::vector<TTokenGroup>> FilteredTokenGroups(HANDLE token) {
    TOKEN_ELEVATION_TYPE type{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size) ||
        type != TokenElevationTypeFull)
        return std::nullopt;
    TOKEN_LINKED_TOKEN linked{};
    if (!GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size))
        return std::nullopt;
    const TTokenHandle filtered(linked.LinkedToken);
    return TokenGroupsOf(filtered.get());
}

bool SetMediumIntegrity(HANDLE token) {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_MANDATORY_LABEL_AUTHORITY;
    TSid medium;
    if (!AllocateAndInitializeSid(&authority, 1, SECURITY_MANDATORY_MEDIUM_RID, 0, 0, 0, 0, 0, 0, 0,
                                  medium.put()))
        return false;
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Sid = medium.get();
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    return SetTokenInformation(token, TokenIntegrityLevel, &label,
                               sizeof label + GetLengthSid(medium.get())) != FALSE;
}

// What the program creates without a security descriptor of its own (its running marker, say)
// grants the user and the system, as a standard user's objects do; the elevated default would
// grant only Administrators, a group the program is denied.
bool SetUserDefaultDacl(HANDLE token, TSidBytes user) {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    TSid system;
    if (!AllocateAndInitializeSid(&authority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                  system.put()))
        return false;
    const DWORD aceBase = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);
    const DWORD size =
        sizeof(ACL) + 2 * aceBase + static_cast<DWORD>(user.size()) + GetLengthSid(system.get());
    std::vector<ULONGLONG> storage(size / sizeof(ULONGLONG) + 1);
    auto* acl = reinterpret_cast<PACL>(storage.data());
    if (!InitializeAcl(acl, size, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, user.data()) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, system.get()))
        return false;
    TOKEN_DEFAULT_DACL dacl{acl};
    return SetTokenInformation(token, TokenDefaultDacl, &dacl, sizeof dacl) != FALSE;
}

}  // namespace

TTokenHandle LoweredToken() {
    TTokenHandle own;
    if (!OpenProcessToken(
            GetCurrentProcess(),
            TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, own.put()))
        return {};
    const TSidBytes user = TokenUserSid(own.get());
    const auto groups = TokenGroupsOf(own.get());
    if (user.empty() || IsServiceAccount(user) || !groups)
        return {};
    std::vector<TSidBytes> denied = GroupsToDeny(*groups, FilteredTokenGroups(own.get()));
    std::vector<SID_AND_ATTRIBUTES> disabled;
    disabled.reserve(denied.size());
    for (TSidBytes& sid : denied) disabled.push_back({sid.data(), 0});
    // Limited tokens and integrity levels came with Windows Vista; XP refuses the flag.
    const bool vista = WindowsMajorVersion() >= kWindowsVistaMajorVersion;
    TTokenHandle lowered;
    if (!CreateRestrictedToken(own.get(), DISABLE_MAX_PRIVILEGE | (vista ? LUA_TOKEN : 0),
                               static_cast<DWORD>(disabled.size()), disabled.data(), 0, nullptr, 0,
                               nullptr, lowered.put()) ||
        !SetUserDefaultDacl(lowered.get(), user))
        return {};
    if (vista && !SetMediumIntegrity(lowered.get()))
        return {};
    return lowered;
}

bool StartWithToken(HANDLE token, const std::string& executable, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    // The program is named by its full path, so no search path is consulted; its command line
    // holds only its own name, as a program started by the shell sees it.
    std::string commandLine = "\"" + executable + "\"";
    PROCESS_INFORMATION started{};
    if (!CreateProcessAsUserA(token, executable.c_str(), commandLine.data(), nullptr, nullptr,
                              FALSE, 0, nullptr, folder.c_str(), &startup, &started))
        return false;
    TProcessHandle process(started.hProcess);
    TProcessHandle thread(started.hThread);
    return true;
}

}  // namespace telvo
