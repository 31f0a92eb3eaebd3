// Baseline for the update benchmark: the least a program can do for the same job, copying the
// data file over the installed one. Without arguments it does nothing (an empty program's time).
//   bench_copy_over.exe [SOURCE TARGET]
#include <windows.h>

#include <string>

#include "startup/command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string source = telvo::CommandLineArgument(GetCommandLineA(), 1);
    const std::string target = telvo::CommandLineArgument(GetCommandLineA(), 2);
    if (source.empty())
        return 0;
    return CopyFileA(source.c_str(), target.c_str(), FALSE) ? 0 : 1;
}
