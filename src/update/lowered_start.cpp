#include "update/lowered_start.h"

#include "startup/identify_windows.h"

namespace telvo {
namespace {

constexpr uint32_t kWindowsVistaMajorVersion = 6;

TSid AdministratorsSid() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    TSid sid;
    AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                             0, 0, 0, 0, 0, sid.put());
    return sid;
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

}  // namespace

TTokenHandle LoweredToken() {
    TTokenHandle own;
    if (!OpenProcessToken(
            GetCurrentProcess(),
            TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, own.put()))
        return {};
    TSid administrators = AdministratorsSid();
    if (!administrators)
        return {};
    SID_AND_ATTRIBUTES denied{administrators.get(), 0};
    // Limited tokens and integrity levels came with Windows Vista; XP refuses the flag.
    const bool vista = WindowsMajorVersion() >= kWindowsVistaMajorVersion;
    TTokenHandle lowered;
    if (!CreateRestrictedToken(own.get(), DISABLE_MAX_PRIVILEGE | (vista ? LUA_TOKEN : 0), 1,
                               &denied, 0, nullptr, 0, nullptr, lowered.put()))
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
