#include "support/windows_only.h"

#include <windows.h>

#include "startup/win_handles.h"

namespace telvo::test {

bool RunsUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string WhyElevationCannotBeSeen() {
    if (RunsUnderWine())
        return "under Wine every process runs as an elevated administrator, so a drop of rights "
               "cannot be seen; this check needs Windows";
    TTokenHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return "the test's own token cannot be read";
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size))
        return "the test's own elevation cannot be read";
    // Default: UAC is off or this is the built-in Administrator, so the desktop user is as
    // elevated as the package; Limited: the tests themselves run unelevated.
    if (type == TokenElevationTypeDefault)
        return "UAC is off for this account (no split token): the desktop user itself runs "
               "elevated, so there are no lower rights to start the application with";
    if (type == TokenElevationTypeLimited)
        return "the tests run unelevated; start run-tests.cmd from an elevated command prompt";
    return "";
}

}  // namespace telvo::test
