#include "support/windows_only.h"

#include <windows.h>

#include "support/processes.h"

namespace telvo::test {

bool RunsUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string WhyElevationCannotBeSeen() {
    if (RunsUnderWine())
        return "under Wine every process runs as an elevated administrator, so a drop of rights "
               "cannot be seen; this check needs Windows";
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return "the test's own token cannot be read";
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    const BOOL known = GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
    CloseHandle(token);
    if (!known)
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

std::string LastStartField(const std::string& folder, const std::string& name) {
    const std::string text = ReadWholeFile(folder + "starts.txt");
    const std::string key = name + "=";
    size_t at = text.rfind("\n" + key);
    at = at == std::string::npos ? (text.compare(0, key.size(), key) == 0 ? 0 : at) : at + 1;
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size();
    return text.substr(start, text.find('\n', start) - start);
}

}  // namespace telvo::test
