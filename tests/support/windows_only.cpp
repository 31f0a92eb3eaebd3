#include "support/windows_only.h"

#include <cstdio>

#include "startup/win_handles.h"

namespace telvo::test {

bool RunsUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TTokenFacts FactsOf(HANDLE token) {
    TTokenFacts facts;
    BYTE user[256] = {}, label[256] = {};
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, user, sizeof user, &size) ||
        !GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) ||
        !GetTokenInformation(token, TokenElevationType, &facts.ElevationType,
                             sizeof facts.ElevationType, &size))
        return facts;
    facts.Read = true;
    facts.Elevated = elevation.TokenIsElevated != 0;
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
    facts.UserSid.assign(static_cast<const char*>(sid), GetLengthSid(sid));
    char name[256] = {}, domain[256] = {};
    DWORD nameSize = sizeof name, domainSize = sizeof domain;
    SID_NAME_USE use;
    if (LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        facts.User = std::string(domain) + "\\" + name;
    if (GetTokenInformation(token, TokenIntegrityLevel, label, sizeof label, &size)) {
        const PSID labelSid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label)->Label.Sid;
        char rid[16] = {};
        std::snprintf(rid, sizeof rid, "%lx",
                      *GetSidSubAuthority(labelSid, *GetSidSubAuthorityCount(labelSid) - 1));
        facts.Integrity = rid;
    }
    return facts;
}

TTokenFacts OwnTokenFacts() {
    TTokenHandle own;
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.put()) ? FactsOf(own.get())
                                                                         : TTokenFacts{};
}

TTokenFacts DesktopShellTokenFacts(std::string& why) {
    DWORD shellProcessId = 0;
    if (HWND shell = GetShellWindow())
        GetWindowThreadProcessId(shell, &shellProcessId);
    const TProcessHandle shell(
        shellProcessId ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId)
                       : nullptr);
    TTokenHandle token;
    if (!shell || !OpenProcessToken(shell.get(), TOKEN_QUERY, token.put())) {
        why = shellProcessId
                  ? "Explorer's token cannot be read (error " + std::to_string(GetLastError()) + ")"
                  : "Explorer's desktop window is not there";
        return {};
    }
    TTokenFacts facts = FactsOf(token.get());
    if (!facts.Read)
        why = "Explorer's token cannot be read (error " + std::to_string(GetLastError()) + ")";
    return facts;
}

std::string WhyElevationCannotBeSeen() {
    if (RunsUnderWine())
        return "under Wine every process runs as an elevated administrator, so a drop of rights "
               "cannot be seen; this check needs Windows";
    const TTokenFacts own = OwnTokenFacts();
    if (!own.Read)
        return "the test's own token cannot be read";
    // Default: UAC is off or this is the built-in Administrator, so the desktop user is as
    // elevated as the package; Limited: the tests themselves run unelevated.
    if (own.ElevationType == TokenElevationTypeDefault)
        return "UAC is off for this account (no split token): the desktop user itself runs "
               "elevated, so there are no lower rights to start the application with";
    if (own.ElevationType == TokenElevationTypeLimited)
        return "the tests run unelevated; start run-tests.cmd from an elevated command prompt";
    // The application gets Explorer's rights, and writes its record into Explorer's user's
    // folders (the VirtualStore among them).
    std::string why;
    const TTokenFacts shell = DesktopShellTokenFacts(why);
    if (!shell.Read)
        return why + ", so the rights of a start through it cannot be known";
    if (shell.UserSid != own.UserSid)
        return "Explorer runs as " + shell.User + ", another user than the tests' " + own.User +
               " (an administrator's credentials given on a standard user's desktop): what it "
               "starts records its start where the tests do not read";
    if (shell.Elevated)
        return "Explorer's own token is elevated (integrity " + shell.Integrity +
               "), so whatever it starts is elevated too: there are no lower rights to see";
    return "";
}

}  // namespace telvo::test
