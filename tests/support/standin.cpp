#include "support/standin.h"

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
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = "\"" + path + "\"";
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return {};
    TProcessHandle thread(info.hThread);
    TProcessHandle process(info.hProcess);
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
