#include "update/lowered_start.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "startup/identify_windows.h"
#include "startup/well_known_sids.h"
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

TElevationType ElevationOf(HANDLE token) {
    TOKEN_ELEVATION_TYPE type{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size)) {
        // Windows XP has no split tokens, and no such query; anywhere else an unanswered query
        // could hide the elevated half of one.
        const uint32_t major = WindowsMajorVersion();
        return major > 0 && major < kWindowsVistaMajorVersion ? TElevationType::Default
                                                              : TElevationType::Unknown;
    }
    switch (type) {
        case TokenElevationTypeDefault:
            return TElevationType::Default;
        case TokenElevationTypeFull:
            return TElevationType::Full;
        case TokenElevationTypeLimited:
            return TElevationType::Limited;
    }
    return TElevationType::Unknown;
}

// A text the terminal services tell of a session; empty where they tell nothing.
std::string SessionText(DWORD session, WTS_INFO_CLASS what) {
    TWtsText text;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, session, what, text.put(),
                                     &bytes) ||
        !text)
        return "";
    return text.get();
}

// The user logged on to the package's own session, whose desktop the application would come up
// on; nothing where that cannot be learnt (no one logged on, the account not found).
std::optional<TSidBytes> SessionUserSid() {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session))
        return std::nullopt;
    const std::string user = SessionText(session, WTSUserName);
    const std::string domain = SessionText(session, WTSDomainName);
    if (user.empty())
        return std::nullopt;
    const std::string account = domain.empty() ? user : domain + "\\" + user;
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use{};
    LookupAccountNameA(nullptr, account.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (sidSize == 0)
        return std::nullopt;
    TSidBytes sid(sidSize);
    std::vector<char> foundDomain(domainSize + 1);
    domainSize = static_cast<DWORD>(foundDomain.size());
    if (!LookupAccountNameA(nullptr, account.c_str(), sid.data(), &sidSize, foundDomain.data(),
                            &domainSize, &use) ||
        use != SidTypeUser)
        return std::nullopt;
    sid.resize(GetLengthSid(sid.data()));
    return sid;
}

// Read by the start's thread, which may still be stuck in a call into the shell while the
// process ends and destroys its statics: so it is never destroyed.
TSessionUserSource& SessionUserSource() {
    static TSessionUserSource& source = *new TSessionUserSource;
    return source;
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
    const TSid system = LocalSystemSid();
    if (!system)
        return false;
    std::vector<ULONGLONG> acl = AllowingAcl(GENERIC_ALL, {user.data(), system.get()});
    if (acl.empty())
        return false;
    TOKEN_DEFAULT_DACL dacl{reinterpret_cast<PACL>(acl.data())};
    return SetTokenInformation(token, TokenDefaultDacl, &dacl, sizeof dacl) != FALSE;
}

}  // namespace

TSessionUserSource ReplaceSessionUserSource(TSessionUserSource source) {
    return std::exchange(SessionUserSource(), std::move(source));
}

TTokenHandle LoweredToken() {
    TTokenHandle own;
    if (!OpenProcessToken(
            GetCurrentProcess(),
            TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, own.put()))
        return {};
    return LoweredTokenOf(own.get());
}

TTokenHandle LoweredTokenOf(HANDLE own) {
    const TOwnToken token{TokenUserSid(own), ElevationOf(own)};
    const auto groups = TokenGroupsOf(own);
    const TSessionUserSource& source = SessionUserSource();
    if (!groups || !MayStartWithOwnToken(token, source ? source() : SessionUserSid()))
        return {};
    // A plain token without a split (UAC off) may still hold administrative groups: the
    // application gets them for deny only all the same.
    std::vector<TSidBytes> denied = GroupsToDeny(*groups);
    std::vector<SID_AND_ATTRIBUTES> disabled;
    disabled.reserve(denied.size());
    for (TSidBytes& sid : denied) disabled.push_back({sid.data(), 0});
    // Limited tokens and integrity levels came with Windows Vista; XP refuses the flag.
    const bool vista = WindowsMajorVersion() >= kWindowsVistaMajorVersion;
    TTokenHandle lowered;
    if (!CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE | (vista ? LUA_TOKEN : 0),
                               static_cast<DWORD>(disabled.size()), disabled.data(), 0, nullptr, 0,
                               nullptr, lowered.put()) ||
        !SetUserDefaultDacl(lowered.get(), token.User))
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
