// What only a real Windows can show. Under Wine every process is an elevated administrator and
// Wine prefers its own DLLs, so tests of rights and of DLL loading report themselves skipped
// there, with the reason, instead of passing without having looked.
#pragma once

#include <string>

namespace telvo::test {

// True when ntdll is Wine's (it exports wine_get_version).
bool RunsUnderWine();

// Empty when a program started from this process can be told apart as elevated or not: on
// Windows, with this process elevated through UAC (a split token, so an unelevated desktop user
// exists). Otherwise why not, for GTEST_SKIP.
std::string WhyElevationCannotBeSeen();

}  // namespace telvo::test
