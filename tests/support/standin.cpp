#include "support/standin.h"

#include "support/processes.h"

namespace telvo::test {

TProcessHandle WaitForStandInWindow(uint32_t timeoutMs) {
    for (uint32_t waited = 0; waited <= timeoutMs; waited += 20) {
        if (HWND window = FindWindowA("TTelvoMainForm", nullptr)) {
            DWORD id = 0;
            GetWindowThreadProcessId(window, &id);
            return TProcessHandle(OpenProcess(
                SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, id));
        }
        Sleep(20);
    }
    return {};
}

TProcessHandle StartStandIn(const std::string& path, uint32_t timeoutMs) {
    TProcessHandle process = StartProcess("\"" + path + "\"");
    if (!process)
        return {};
    WaitForInputIdle(process.get(), timeoutMs);
    if (!WaitForStandInWindow(timeoutMs)) {
        TerminateProcess(process.get(), 255);  // a stand-in without a window must not linger
        return {};
    }
    return process;
}

bool WaitForExit(const TProcessHandle& process, uint32_t timeoutMs) {
    return process && WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool CanOpenExclusively(const std::string& path) {
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

}  // namespace telvo::test
