#include "support/processes.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "startup/win_handles.h"
#include "support/installation.h"

namespace telvo::test {

std::string TestBinFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

namespace {

// CTest names the trees in the environment and Wine reaches them through drive Z:. In the test
// kit nothing names them and there is no Z:, but the kit lays out what the tests read as both
// trees do, one folder above the test programs.
std::string TreePath(const char* variable, const std::string& relative) {
    char unixPath[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(variable, unixPath, MAX_PATH);
    std::string path = length > 0 && length < MAX_PATH
                           ? std::string("Z:") + unixPath + "/" + relative
                           : TestBinFolder() + "../" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    char full[MAX_PATH] = {};
    const DWORD fullLength = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return fullLength > 0 && fullLength < MAX_PATH ? std::string(full, fullLength) : path;
}

}  // namespace

std::string SourceTreePath(const std::string& relative) {
    return TreePath("TELVO_SOURCE_DIR", relative);
}

std::string BuildTreePath(const std::string& relative) {
    return TreePath("TELVO_BUILD_DIR", relative);
}

TProcessHandle StartProcess(const std::string& commandLine, uint32_t* processId,
                            const std::string& desktop) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string desktopName = desktop;
    if (!desktopName.empty())
        startup.lpDesktop = desktopName.data();
    PROCESS_INFORMATION info{};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return {};
    TProcessHandle thread(info.hThread);
    if (processId)
        *processId = info.dwProcessId;
    return TProcessHandle(info.hProcess);
}

int RunAndWait(const std::string& commandLine, uint32_t timeoutMs, const std::string& desktop) {
    TProcessHandle process = StartProcess(commandLine, nullptr, desktop);
    if (!process)
        return -1;
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 255);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

std::string HiddenDesktop() {
    // The station and its desktop stay open for the life of the test process: they vanish with
    // their last handle.
    static const std::string name = [] {
        const std::string station = "TelvoHidden" + std::to_string(GetCurrentProcessId());
        HWINSTA own = GetProcessWindowStation();
        HWINSTA hidden = CreateWindowStationA(station.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
        if (!hidden || !SetProcessWindowStation(hidden))
            return std::string();
        const bool made = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        SetProcessWindowStation(own);
        return made ? station + "\\Default" : std::string();
    }();
    return name;
}

std::string FreshTempFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "telvo-tests\\" + name + "\\";
    RemoveFolderTree(folder);
    CreateDirectoryA((std::string(temp) + "telvo-tests").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace telvo::test
