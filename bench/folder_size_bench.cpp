// Measures a folder tree with GetFolderSize and prints the result and the time of the folder's
// opening and the call:
//   bench_folder_size FOLDER   ->   "<size in KiB> <milliseconds>"
#include <windows.h>

#include <cstdio>

#include "install/folder_size.h"

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const int32_t size = telvo::GetFolderSize(telvo::TInstallDirectory::Open(argv[1]));
    QueryPerformanceCounter(&end);
    std::printf("%ld %.3f\n", static_cast<long>(size),
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    return size < 0 ? 1 : 0;
}
