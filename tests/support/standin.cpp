#include "support/standin.h"

#include <tlhelp32.h>

#include "support/installation.h"
#include "support/processes.h"
#include "update/com_security.h"
#include "update/desktop_shell.h"

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

bool WaitForDesktopShell(uint32_t timeoutMs) {
    // The shell is asked only once the process's COM security is set, as in the package's run.
    if (SetProcessComSecurity() != TComSecurity::Set)
        return false;
    GetDesktopWindow();
    for (uint32_t waited = 0;; waited += 100) {
        if (DesktopShellAnswers())
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(100);
    }
}

void EndEveryStandIn() {
    TProcessHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "telvo.exe") != 0)
            continue;
        TProcessHandle process(
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (!process)
            continue;
        TerminateProcess(process.get(), 255);
        WaitForSingleObject(process.get(), 5000);
    }
}

bool WaitForExit(const TProcessHandle& process, uint32_t timeoutMs) {
    return process && WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::string StartRecords(const std::string& folder) {
    // A copy there was made by an unelevated start of this case (RemoveInstallation removes it
    // with the layout), from the folder's file as it then was, and holds its later records.
    const std::string copy = VirtualStoreCopy(folder);
    if (!copy.empty() &&
        GetFileAttributesA((copy + "starts.txt").c_str()) != INVALID_FILE_ATTRIBUTES)
        return ReadWholeFile(copy + "starts.txt");
    return ReadWholeFile(folder + "starts.txt");
}

std::string LastStartField(const std::string& records, const std::string& name) {
    const std::string key = name + "=";
    size_t at = records.rfind("\n" + key);
    at = at == std::string::npos ? (records.compare(0, key.size(), key) == 0 ? 0 : at) : at + 1;
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size();
    return records.substr(start, records.find('\n', start) - start);
}

bool CanOpenExclusively(const std::string& path) {
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

}  // namespace telvo::test
