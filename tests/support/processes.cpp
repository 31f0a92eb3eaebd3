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

std::string TreePath(const char* variable, const std::string& relative) {
    char unixPath[MAX_PATH] = {};
    GetEnvironmentVariableA(variable, unixPath, MAX_PATH);
    std::string path = std::string("Z:") + unixPath + "/" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

}  // namespace

std::string SourceTreePath(const std::string& relative) {
    return TreePath("TELVO_SOURCE_DIR", relative);
}

std::string BuildTreePath(const std::string& relative) {
    return TreePath("TELVO_BUILD_DIR", relative);
}

TProcessHandle StartProcess(const std::string& commandLine, uint32_t* processId) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
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

int RunAndWait(const std::string& commandLine, uint32_t timeoutMs) {
    TProcessHandle process = StartProcess(commandLine);
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
