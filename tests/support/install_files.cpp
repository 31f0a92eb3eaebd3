#include "support/install_files.h"

#include <algorithm>
#include <fstream>

#include "support/processes.h"

namespace telvo::test {

std::string_view OwnResource(const char* name, const char* type) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC entry = FindResourceA(module, name, type);
    if (!entry)
        return {};
    const HGLOBAL loaded = LoadResource(module, entry);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    // Resources of the program's own image stay mapped for the life of the process.
    return std::string_view(static_cast<const char*>(bytes), SizeofResource(module, entry));
}

TWriteResult WriteDataFileAt(const std::string& targetPath, const std::function<bool()>& mayReplace,
                             const char* resourceName) {
    const size_t cut = targetPath.find_last_of('\\') + 1;
    return WriteDataFileGated(resourceName, "cok",
                              TInstallDirectory::Open(targetPath.substr(0, cut)),
                              targetPath.substr(cut), mayReplace);
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string OldFileBytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 23);
    return bytes;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    TFindHandle find(FindFirstFileA((folder + "*").c_str(), &entry));
    if (!find)
        return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find.get(), &entry));
    std::sort(names.begin(), names.end());
    return names;
}

bool FileEquals(const std::string& path, std::string_view expected) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string block(1 << 20, '\0');
    size_t offset = 0;
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0)
            break;
        if (offset + got > expected.size() ||
            expected.compare(offset, got, std::string_view(block.data(), got)) != 0)
            return false;
        offset += got;
    }
    return offset == expected.size();
}

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

THeldFile::THeldFile(const std::string& path, uint32_t holdMs, uint32_t share) {
    static int counter = 0;
    const std::string eventName = "telvo_test_held_file_" + std::to_string(GetCurrentProcessId()) +
                                  "_" + std::to_string(++counter);
    TUniqueHandle<TKernelHandleTraits> ready(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    std::string line = "\"" + TestBinFolder() + "install_file_holder.exe\" \"" + path + "\" " +
                       std::to_string(holdMs) + " " + eventName + " " + std::to_string(share);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return;
    Process.reset(info.hProcess);
    TProcessHandle thread(info.hThread);
    const HANDLE waits[] = {ready.get(), Process.get()};
    IsHolding = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
}

THeldFile::~THeldFile() {
    if (Process && WaitForSingleObject(Process.get(), 0) != WAIT_OBJECT_0) {
        TerminateProcess(Process.get(), 255);
        WaitForSingleObject(Process.get(), 5000);
    }
}

int THeldFile::Wait(uint32_t timeoutMs) {
    if (!Process || WaitForSingleObject(Process.get(), timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(Process.get(), &code);
    return static_cast<int>(code);
}

}  // namespace telvo::test
