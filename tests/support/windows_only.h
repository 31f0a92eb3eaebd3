// What only a real Windows can show. Under Wine every process is an elevated administrator and
// Wine prefers its own DLLs, so tests of rights and of DLL loading report themselves skipped
// there, with the reason, instead of passing without having looked.
#pragma once

#include <windows.h>

#include <string>

namespace telvo::test {

// True when ntdll is Wine's (it exports wine_get_version).
bool RunsUnderWine();

// What a token is: its user (DOMAIN\name), whether it is elevated, its elevation type and its
// integrity level (the label's RID in hex: 2000 medium, 3000 high, 4000 system).
struct TTokenFacts {
    bool Read = false;  // false when the token could not be opened or read
    std::string User;
    std::string UserSid;  // its bytes, for comparing
    bool Elevated = false;
    TOKEN_ELEVATION_TYPE ElevationType = TokenElevationTypeDefault;
    std::string Integrity;
};
TTokenFacts FactsOf(HANDLE token);
TTokenFacts OwnTokenFacts();

// The token of the desktop shell, Explorer (the process of the shell's desktop window), through
// which the package starts the application; Read false, with `why`, where it cannot be had.
TTokenFacts DesktopShellTokenFacts(std::string& why);

// Empty when a program that the package starts through the desktop shell can be told apart as
// elevated or not: on Windows, with this process elevated through UAC (a split token, so an
// unelevated desktop user exists), and Explorer running unelevated as the tests' own user, so
// that the started program writes where the tests read. Otherwise why not, for GTEST_SKIP.
std::string WhyElevationCannotBeSeen();

}  // namespace telvo::test
