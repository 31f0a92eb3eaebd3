// Times nothing itself: checks the seal of the given file once, the way the package checks its
// own file, so that the benchmark can tell the check's share of a whole update.
//   bench_self_check.exe FILE
#include <windows.h>

#include "startup/command_line.h"
#include "integrity/self_check.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string file = telvo::CommandLineArgument(GetCommandLineA(), 1);
    return telvo::CheckFileSeal(file) == telvo::TSelfCheck::Valid ? 0 : 1;
}
