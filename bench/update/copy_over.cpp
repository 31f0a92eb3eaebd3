// Baselines for the update benchmark: the least a program can do for the same job. Without
// arguments it does nothing (an empty program's time).
//   bench_copy_over.exe copy SOURCE TARGET      CopyFileA over the installed file
//   bench_copy_over.exe durable SOURCE TARGET   the same guarantees as the package's writer: a
//                                               copy under a new name, flushed, then moved over
//                                               the installed file in one step
#include <windows.h>

#include <string>

#include "startup/command_line.h"
#include "startup/win_handles.h"

namespace {

bool DurableCopy(const std::string& source, const std::string& target) {
    const std::string fresh = target + ".new";
    if (!CopyFileA(source.c_str(), fresh.c_str(), FALSE))
        return false;
    {
        telvo::TFileHandle file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !FlushFileBuffers(file.get()))
            return false;
    }
    return MoveFileExA(fresh.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string mode = telvo::CommandLineArgument(GetCommandLineA(), 1);
    const std::string source = telvo::CommandLineArgument(GetCommandLineA(), 2);
    const std::string target = telvo::CommandLineArgument(GetCommandLineA(), 3);
    if (mode.empty())
        return 0;
    if (mode == "copy")
        return CopyFileA(source.c_str(), target.c_str(), FALSE) ? 0 : 1;
    if (mode == "durable")
        return DurableCopy(source, target) ? 0 : 1;
    return 2;
}
