// Writes the carried file as the package does, or copies a file with CopyFileA for the
// baseline, or does nothing (the memory baseline), or writes through a heap copy of the whole
// payload (what a payload-sized buffer would cost, for comparison); prints the call's own time
// in milliseconds.
//   bench_write_payload write TARGET | copy SOURCE TARGET | copy-flushed SOURCE TARGET | idle |
//                       buffered TARGET
// It carries the full payload and is linked like the package, so its memory is the package's.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install/data_file_writer.h"
#include "startup/message_box.h"
#include "startup/win_handles.h"

namespace {

// Copies the resource into one heap block of its size and writes that in one request.
bool WriteThroughBuffer(const char* target) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC entry = FindResourceA(module, "vost", "cok");
    const HGLOBAL loaded = entry ? LoadResource(module, entry) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return false;
    const DWORD size = SizeofResource(module, entry);
    std::vector<char> copy(static_cast<const char*>(bytes), static_cast<const char*>(bytes) + size);
    telvo::TFileHandle file(CreateFileA(target, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), copy.data(), size, &written, nullptr) && written == size;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    // A failure must end the run with a code, not wait on a box nobody answers.
    telvo::ReplaceBoxHandler([](const telvo::TBoxRequest& box) {
        std::fprintf(stderr, "box: %s\n", box.Text.c_str());
        return telvo::kAnswerOk;
    });
    LARGE_INTEGER start, end;
    bool ok = true;
    QueryPerformanceCounter(&start);
    if (mode == "write" && argc == 3) {
        // The target's folder opened as the update flow opens the install folder.
        const std::string target = argv[2];
        const size_t cut = target.find_last_of('\\') + 1;
        ok = telvo::WriteDataFile("vost", "cok",
                                  telvo::TInstallDirectory::Open(target.substr(0, cut)),
                                  target.substr(cut));
    } else if (mode == "copy" && argc == 4) {
        ok = CopyFileA(argv[2], argv[3], FALSE) != FALSE;
    } else if (mode == "copy-flushed" && argc == 4) {
        // A copy as durable as the writer's: its bytes forced to the disk before it ends.
        ok = CopyFileA(argv[2], argv[3], FALSE) != FALSE;
        telvo::TFileHandle copy(CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = ok && copy && FlushFileBuffers(copy.get());
    } else if (mode == "buffered" && argc == 3) {
        ok = WriteThroughBuffer(argv[2]);
    } else if (mode == "idle") {
        Sleep(200);  // long enough for the sampler to see it
    } else {
        std::fprintf(stderr,
                     "usage: bench_write_payload write TARGET | copy SOURCE TARGET | idle | "
                     "buffered TARGET\n");
        return 2;
    }
    QueryPerformanceCounter(&end);
    std::printf("%.3f\n", Milliseconds(start, end));
    return ok ? 0 : 1;
}
