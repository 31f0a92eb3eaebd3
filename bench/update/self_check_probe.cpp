// Checks the seal of the given file once, the way the package checks its own file, and prints
// the check's own time in milliseconds, so that the benchmark can tell the check's speed and its
// share of a whole update without the noise of a process start.
//   bench_self_check.exe FILE
#include <windows.h>

#include <cstdio>

#include "integrity/self_check.h"
#include "startup/command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string file = telvo::CommandLineArgument(GetCommandLineA(), 1);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const bool valid = telvo::CheckFileSeal(file) == telvo::TSelfCheck::Valid;
    QueryPerformanceCounter(&end);
    std::printf("%.3f\n", 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                              static_cast<double>(frequency.QuadPart));
    return valid ? 0 : 1;
}
