// The test kit's runner (telvo_kit.exe), started by run-tests.cmd on a real Windows or under
// Wine. A real machine is not a throwaway prefix: the runner refuses to start where Telvo is
// installed, before anything else, keeps what the tests change (HKCU\Software\Tamrel, system
// values some tests bend for a moment) with a record of which keys and folders the tests may
// make were not there yet, and puts all of it back when the programs have ended, however they
// ended, removing only what the record names. What it saved lives in the registry until then,
// so a run cut short (a reboot, a closed window) is mended by the next start of the kit.
//
// It runs each test program with the cases written for this machine, each with a time limit,
// writes GoogleTest's XML into "results" beside run-tests.cmd (and the outcome into
// results\summary.txt), and ends with the line
// "N passed, M failed, K skipped" (test cases), exit code 0 only when nothing failed.
//
// On a fresh machine the desktop comes up late: Windows Sandbox starts the kit at logon, while
// Explorer may still be starting, and in a fresh Wine prefix nothing starts the desktop before
// a first window asks for it. So before the tests the runner brings the desktop up and waits
// for the desktop shell, as long as a cold start needs.
#include <windows.h>
#include <exdisp.h>
#include <shlguid.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "kit/case_choice.h"
#include "kit/result_count.h"
#include "startup/win_handles.h"
#include "support/installation.h"
#include "support/windows_only.h"

namespace {

using telvo::TComPtr;
using telvo::TProcessHandle;
using telvo::TRegKey;
using telvo::TSid;
using telvo::kit::TResultCount;

struct TServiceHandleTraits {
    using Type = SC_HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::CloseServiceHandle(h); }
};
using TServiceHandle = telvo::TUniqueHandle<TServiceHandleTraits>;

struct TDesktopHandleTraits {
    using Type = HDESK;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::CloseDesktop(h); }
};
using TDesktopHandle = telvo::TUniqueHandle<TDesktopHandleTraits>;

constexpr char kBackupKey[] = "Software\\TelvoTestKitBackup";
constexpr char kTamrelKey[] = "Software\\Tamrel";
constexpr DWORD kProgramTimeLimitMs = 40 * 60 * 1000;
// How long the desktop shell may take to answer on a machine that has only just started.
constexpr DWORD kDesktopShellWaitMs = 2 * 60 * 1000;

// A registry value some tests change and restore themselves; a test cut short would leave it
// changed, so the runner keeps its own copy.
struct TKeptValue {
    HKEY Root;
    REGSAM View;
    const char* Key;
    const char* Name;
};

const std::vector<TKeptValue>& KeptValues() {
    static const std::vector<TKeptValue> values = {
        {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, "Software\\Microsoft\\Windows\\CurrentVersion",
         "ProgramFilesDir"},
        {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "Software\\Microsoft\\Windows\\CurrentVersion",
         "ProgramFilesDir"},
        {HKEY_LOCAL_MACHINE, 0, "Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName"},
        {HKEY_CURRENT_USER, 0,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Desktop"},
        {HKEY_CURRENT_USER, 0,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup"},
    };
    return values;
}

void Say(const std::string& text) {
    std::printf("run-tests: %s\n", text.c_str());
    std::fflush(stdout);
}

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The key opened with `access` in `view`; empty when it cannot be opened.
TRegKey OpenKey(HKEY root, const std::string& key, REGSAM access, REGSAM view = 0) {
    TRegKey handle;
    RegOpenKeyExA(root, key.c_str(), 0, access | view, handle.put());
    return handle;
}

TRegKey CreateKey(HKEY root, const std::string& key) {
    TRegKey handle;
    RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(),
                    nullptr);
    return handle;
}

bool KeyExists(HKEY root, const std::string& key, REGSAM view) {
    return OpenKey(root, key, KEY_READ, view).valid();
}

void DeleteTree(HKEY root, const std::string& key, REGSAM view) {
    const TRegKey handle = OpenKey(root, key, KEY_ALL_ACCESS, view);
    if (!handle)
        return;
    RegDeleteTreeA(handle.get(), nullptr);
    RegDeleteKeyExA(root, key.c_str(), view, 0);
}

bool CopyTree(HKEY fromRoot, const std::string& from, HKEY toRoot, const std::string& to) {
    const TRegKey source = OpenKey(fromRoot, from, KEY_READ);
    const TRegKey target = source ? CreateKey(toRoot, to) : TRegKey();
    return target && RegCopyTreeA(source.get(), nullptr, target.get()) == ERROR_SUCCESS;
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TempFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

// Where Windows puts what the stand-in, started unelevated and without a manifest, writes into
// "C:\Program Files\Telvo" (UAC's file virtualization).
std::string VirtualStoreFolder() {
    char local[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH);
    return length > 0 && length < MAX_PATH
               ? std::string(local) + "\\VirtualStore\\Program Files\\Telvo\\"
               : std::string();
}

// Something the tests make on the machine. Installation marks what an installed Telvo has too:
// the runner refuses to start while one of those exists.
enum class TThingKind { Key, FolderTree, EmptyFolder, File };

struct TTestThing {
    const char* Id;  // the value in the backup key that records it as made by the run
    TThingKind Kind;
    bool Installation;
    std::string Path;  // a key under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER, or a file path
    HKEY Root = nullptr;
    REGSAM View = 0;
};

// In the order they are removed: a folder's contents before the folder.
std::vector<TTestThing> TestThings() {
    using telvo::test::kUninstallKey;
    std::vector<TTestThing> things = {
        {"uninstall64", TThingKind::Key, true, kUninstallKey, HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
        {"uninstall32", TThingKind::Key, true, kUninstallKey, HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
        {"scratch64", TThingKind::Key, false, "Software\\TelvoTests", HKEY_LOCAL_MACHINE,
         KEY_WOW64_64KEY},
        {"scratch32", TThingKind::Key, false, "Software\\TelvoTests", HKEY_LOCAL_MACHINE,
         KEY_WOW64_32KEY},
        {"scratchuser", TThingKind::Key, false, "Software\\TelvoTests", HKEY_CURRENT_USER, 0},
        // The folders the tests lay installations out in.
        {"programfiles", TThingKind::FolderTree, true, "C:\\Program Files\\Telvo\\"},
        {"elsewhere", TThingKind::FolderTree, true, "C:\\Apps\\TelvoElsewhere\\"},
        {"wow", TThingKind::FolderTree, true, "C:\\Apps\\TelvoWow\\"},
        {"apps", TThingKind::EmptyFolder, false, "C:\\Apps\\"},
        {"temp", TThingKind::FolderTree, false, TempFolder() + "telvo-tests\\"},
        {"plantedlog", TThingKind::File, false, "C:\\planted-dlls.log"},
    };
    // A virtualized copy from before the kit may hold a real installation's writes.
    const std::string virtualStore = VirtualStoreFolder();
    if (!virtualStore.empty())
        things.push_back({"virtualstore", TThingKind::FolderTree, false, virtualStore});
    return things;
}

constexpr DWORD kMade = 1;

bool Exists(const TTestThing& thing) {
    switch (thing.Kind) {
        case TThingKind::Key:
            return KeyExists(thing.Root, thing.Path, thing.View);
        case TThingKind::File:
            return FileExists(thing.Path);
        default:
            return FolderExists(thing.Path);
    }
}

void Remove(const TTestThing& thing) {
    switch (thing.Kind) {
        case TThingKind::Key:
            DeleteTree(thing.Root, thing.Path, thing.View);
            break;
        case TThingKind::FolderTree:
            telvo::test::RemoveFolderTree(thing.Path);
            break;
        case TThingKind::EmptyFolder:
            RemoveDirectoryA(thing.Path.c_str());
            break;
        case TThingKind::File:
            DeleteFileA(thing.Path.c_str());
            break;
    }
}

// Saves what the tests change into the backup key. Each kept value is stored under its index,
// with its type, or not at all when it was absent. Each test thing that does not exist yet is
// recorded as made by this run: only those are ever removed, so a backup left by a run cut short
// cannot lead to removing what was there before it. The places come from the table, never from
// the backup, which any program of the user could write.
bool SaveState() {
    const TRegKey backup = CreateKey(HKEY_CURRENT_USER, kBackupKey);
    if (!backup)
        return false;
    bool saved = true;
    const std::vector<TKeptValue>& values = KeptValues();
    for (size_t i = 0; i < values.size(); ++i) {
        const TRegKey key = OpenKey(values[i].Root, values[i].Key, KEY_READ, values[i].View);
        DWORD type = 0, size = 0;
        if (key && RegQueryValueExA(key.get(), values[i].Name, nullptr, &type, nullptr, &size) ==
                       ERROR_SUCCESS) {
            std::string bytes(size, '\0');
            RegQueryValueExA(key.get(), values[i].Name, nullptr, &type,
                             reinterpret_cast<BYTE*>(bytes.data()), &size);
            saved = saved && RegSetValueExA(backup.get(), std::to_string(i).c_str(), 0, type,
                                            reinterpret_cast<const BYTE*>(bytes.data()),
                                            size) == ERROR_SUCCESS;
        }
    }
    for (const TTestThing& thing : TestThings())
        if (!Exists(thing))
            saved = saved && RegSetValueExA(backup.get(), thing.Id, 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&kMade),
                                            sizeof kMade) == ERROR_SUCCESS;
    const DWORD hadTamrel = KeyExists(HKEY_CURRENT_USER, kTamrelKey, 0) ? 1 : 0;
    if (hadTamrel)
        saved = saved && CopyTree(HKEY_CURRENT_USER, kTamrelKey, HKEY_CURRENT_USER,
                                  std::string(kBackupKey) + "\\Tamrel");
    // Written last: a backup without it was cut short while saving, before any test ran, and
    // holds nothing to restore or remove.
    return saved && RegSetValueExA(backup.get(), "HadTamrel", 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&hadTamrel),
                                   sizeof hadTamrel) == ERROR_SUCCESS;
}

// Puts back what SaveState kept, removes what it recorded as made by the run, and drops the
// backup.
void RestoreState() {
    TRegKey backup = OpenKey(HKEY_CURRENT_USER, kBackupKey, KEY_READ);
    if (!backup)
        return;
    DWORD hadTamrel = 0, size = sizeof hadTamrel;
    const bool complete =
        RegQueryValueExA(backup.get(), "HadTamrel", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&hadTamrel), &size) == ERROR_SUCCESS;
    if (complete) {
        const std::vector<TKeptValue>& values = KeptValues();
        for (size_t i = 0; i < values.size(); ++i) {
            const TRegKey key =
                OpenKey(values[i].Root, values[i].Key, KEY_ALL_ACCESS, values[i].View);
            if (!key)
                continue;
            DWORD type = 0, length = 0;
            const std::string name = std::to_string(i);
            if (RegQueryValueExA(backup.get(), name.c_str(), nullptr, &type, nullptr, &length) ==
                ERROR_SUCCESS) {
                std::string bytes(length, '\0');
                RegQueryValueExA(backup.get(), name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(bytes.data()), &length);
                RegSetValueExA(key.get(), values[i].Name, 0, type,
                               reinterpret_cast<const BYTE*>(bytes.data()), length);
            } else {
                RegDeleteValueA(key.get(), values[i].Name);
            }
        }
        DeleteTree(HKEY_CURRENT_USER, kTamrelKey, 0);
        if (hadTamrel)
            CopyTree(HKEY_CURRENT_USER, std::string(kBackupKey) + "\\Tamrel", HKEY_CURRENT_USER,
                     kTamrelKey);
        for (const TTestThing& thing : TestThings())
            if (RegQueryValueExA(backup.get(), thing.Id, nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS)
                Remove(thing);
    }
    backup.reset();
    DeleteTree(HKEY_CURRENT_USER, kBackupKey, 0);
}

// What of an installation of Telvo exists, for the refusal; empty when nothing does.
std::string InstalledThing() {
    for (const TTestThing& thing : TestThings()) {
        if (!thing.Installation || !Exists(thing))
            continue;
        if (thing.Kind != TThingKind::Key)
            return thing.Path;
        return std::string("HKLM\\") +
               (thing.View == KEY_WOW64_32KEY
                    ? "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Telvo"
                    : thing.Path);
    }
    return "";
}

bool IsAdministrator() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    TSid administrators;
    BOOL member = FALSE;
    return AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                    DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    administrators.put()) &&
           CheckTokenMembership(nullptr, administrators.get(), &member) && member;
}

// Runs one test program and returns its exit code; -1 when it could not be started, -2 when it
// overran its time limit (it is then ended).
int RunProgram(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        return -1;
    const TProcessHandle process(info.hProcess);
    const TProcessHandle thread(info.hThread);
    if (WaitForSingleObject(process.get(), kProgramTimeLimitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 255);
        WaitForSingleObject(process.get(), 10000);
        return -2;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}

// The processes named "services.exe", each with its creation time.
struct TServiceManager {
    TProcessHandle Process;
    ULONGLONG Started;
};

std::vector<TServiceManager> ServiceManagers() {
    std::vector<TServiceManager> managers;
    const TProcessHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "services.exe") != 0)
            continue;
        TProcessHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                        entry.th32ProcessID));
        FILETIME created{}, unused{};
        if (process && GetProcessTimes(process.get(), &created, &unused, &unused, &unused))
            managers.push_back(
                {std::move(process),
                 (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime});
    }
    return managers;
}

// True when the service manager starts services: RpcSs, which COM needs, runs or starts.
bool ServiceManagerStartsServices() {
    const TServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const TServiceHandle rpc(manager ? OpenServiceA(manager.get(), "RpcSs", SERVICE_START)
                                     : nullptr);
    return rpc && (StartServiceA(rpc.get(), 0, nullptr) ||
                   GetLastError() == ERROR_SERVICE_ALREADY_RUNNING);
}

// Under Wine: the session that `wineboot -i` started may still be ending when the kit joins it,
// and then its service manager keeps answering beside the new session's one, refusing every
// start (a shutdown is in progress). COM cannot start its service, the first window waits for
// the desktop's time-outs and the desktop shell never answers. Ending every service manager
// but the one started last leaves the new one alone. True when there was one to end.
bool EndEndingServiceManagers() {
    std::vector<TServiceManager> managers = ServiceManagers();
    if (managers.size() < 2)
        return false;
    ULONGLONG newest = 0;
    for (const TServiceManager& manager : managers) newest = std::max(newest, manager.Started);
    for (const TServiceManager& manager : managers)
        if (manager.Started < newest) {
            TerminateProcess(manager.Process.get(), 0);
            WaitForSingleObject(manager.Process.get(), 10000);
        }
    return true;
}

// True when the desktop shell answers for its desktop window (IShellWindows::FindWindowSW),
// the way the package asks it to start the application as the desktop user.
bool DesktopShellAnswers() {
    TComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.put())))
        return false;
    VARIANT location, root;
    VariantInit(&location);
    VariantInit(&root);
    long window = 0;
    TComPtr<IDispatch> desktop;
    return windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                 reinterpret_cast<IDispatch**>(desktop.put())) == S_OK &&
           desktop;
}

// Brings the desktop up and waits for the desktop shell, at most kDesktopShellWaitMs; says so
// when that took a while or did not happen (the cases that need the shell then skip).
void BringUpDesktop() {
    const DWORD start = GetTickCount();
    if (telvo::test::RunsUnderWine() && EndEndingServiceManagers()) {
        Say("under Wine: the session that made the prefix was still ending when the kit "
            "started; ended its service manager, which refused to start services");
        while (!ServiceManagerStartsServices() && GetTickCount() - start < kDesktopShellWaitMs)
            Sleep(500);
    }
    // Asking for the desktop window brings the desktop up where nothing has yet (Wine starts it
    // at that moment; the tests' first window would otherwise wait for it).
    GetDesktopWindow();
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool answered = DesktopShellAnswers();
    while (!answered && GetTickCount() - start < kDesktopShellWaitMs) {
        Sleep(500);
        answered = DesktopShellAnswers();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    const DWORD seconds = (GetTickCount() - start) / 1000;
    if (!answered)
        Say("the desktop shell did not answer within " +
            std::to_string(kDesktopShellWaitMs / 1000) +
            " s; the cases that start the application through it will report themselves "
            "skipped");
    else if (seconds > 0)
        Say("the desktop is up; its shell answered after " + std::to_string(seconds) + " s");
}

// Which Windows the run met, in the lines a first report is read by: the session and whether
// it is connected, the tests' token, Explorer's (through which the package starts the
// application), UAC's settings, the code pages and %TEMP% (8.3 names there change what paths
// look like). What skips and why on this machine follows from these.
std::vector<std::string> MachineFacts() {
    static const char* const states[] = {"active",       "connected", "connect query", "shadow",
                                         "disconnected", "idle",      "listen",        "reset",
                                         "down",         "init"};
    static const char* const elevationTypes[] = {"?", "default (no split token)",
                                                 "full (elevated half of a split token)",
                                                 "limited (unelevated)"};
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    std::string state = "unknown";
    telvo::TWtsText connect;
    DWORD size = 0;
    if (WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState,
                                    connect.put(), &size) &&
        connect && size >= sizeof(int)) {
        const int value = *reinterpret_cast<const int*>(connect.get());
        if (value >= 0 && value < static_cast<int>(std::size(states)))
            state = states[value];
    }
    const telvo::test::TTokenFacts own = telvo::test::OwnTokenFacts();
    std::string why;
    const telvo::test::TTokenFacts shell = telvo::test::DesktopShellTokenFacts(why);
    std::string uac;
    for (const char* name : {"EnableLUA", "ConsentPromptBehaviorAdmin"}) {
        DWORD value = 0, length = sizeof value;
        const bool read =
            RegGetValueA(HKEY_LOCAL_MACHINE,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", name,
                         RRF_RT_REG_DWORD, nullptr, &value, &length) == ERROR_SUCCESS;
        uac += std::string(uac.empty() ? "" : ", ") + name + " " +
               (read ? std::to_string(value) : "not set");
    }
    // The system draws the package's error boxes on the desktop that takes the input: with the
    // screen locked that is not the tests' desktop, and no test can see them.
    std::string input = "the input desktop cannot be opened (error ";
    if (const TDesktopHandle desktop{OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS)}) {
        char name[64] = {};
        GetUserObjectInformationA(desktop.get(), UOI_NAME, name, sizeof name, nullptr);
        input = std::string("the input desktop is ") + name;
    } else {
        input += std::to_string(GetLastError()) + "): the screen may be locked";
    }
    return {
        "session " + std::to_string(session) + ", " + state + "; " + input,
        "the tests run as " + own.User + ", elevation type " +
            elevationTypes[own.ElevationType < 4 ? own.ElevationType : 0] + ", integrity " +
            own.Integrity,
        shell.Read
            ? "Explorer runs as " + shell.User + ", " +
                  (shell.Elevated ? "elevated" : "not elevated") + ", integrity " + shell.Integrity
            : "Explorer: " + why,
        "UAC: " + uac,
        "code pages: ANSI " + std::to_string(GetACP()) + ", OEM " + std::to_string(GetOEMCP()),
        "%TEMP%: " + TempFolder(),
    };
}

// The programs the tests start: the stand-in (copied into the installations), the package and
// its copies, the helpers. One still running when the tests have ended (a stand-in a case left,
// a package cut short) keeps its folder from being removed, and the next run would refuse.
void EndLeftProcesses() {
    std::string ended;
    const TProcessHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        bool ours = false;
        for (const char* name : {"telvo.exe", "TelvoUpdate.exe", "install_file_holder.exe",
                                 "fallback_start_probe.exe", "com_security_probe.exe",
                                 "error_road_probe.exe", "telvo_layout.exe", "telvo_box.exe"})
            ours = ours || lstrcmpiA(entry.szExeFile, name) == 0;
        const TProcessHandle process(
            ours ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)
                 : nullptr);
        if (process && TerminateProcess(process.get(), 255)) {
            WaitForSingleObject(process.get(), 10000);
            ended += std::string(ended.empty() ? "" : ", ") + entry.szExeFile;
        }
    }
    if (!ended.empty())
        Say("ended what the tests left running: " + ended);
}

// Ctrl+C reaches the test program too; the runner itself stays to put things back.
BOOL WINAPI KeepRunning(DWORD) {
    return TRUE;
}

}  // namespace

int main() {
    const std::string tests = OwnFolder();
    const std::string kit = tests.substr(0, tests.find_last_of('\\', tests.size() - 2) + 1);
    const std::string results = kit + "results\\";

    if (!IsAdministrator()) {
        Say("the tests need administrator rights: run run-tests.cmd from an elevated command "
            "prompt (Run as administrator)");
        return 2;
    }
    // Refused before anything else, a backup left by a run cut short included: whether what is
    // there was laid out by that run or installed since cannot be told, so nothing is touched.
    const bool cutShort = KeyExists(HKEY_CURRENT_USER, kBackupKey, 0);
    const std::string installed = InstalledThing();
    if (!installed.empty()) {
        Say(installed.rfind("HKLM\\", 0) == 0
                ? "Telvo is installed on this machine (" + installed +
                      " exists). The tests lay out and remove their own installation and would "
                      "break it: run the kit on a machine without Telvo, or in Windows Sandbox "
                      "(make-sandbox.cmd)."
                : installed +
                      " exists although no installation is registered; the tests would lay out "
                      "their own there and remove it. Move it away first.");
        if (cutShort)
            Say(std::string("an earlier run of the kit was cut short (HKCU\\") + kBackupKey +
                " is left): if that run laid out what was found, remove it by hand; the kit "
                "changes nothing while it is there");
        return 3;
    }
    if (cutShort) {
        Say("an earlier run was cut short; putting back what it had saved first");
        RestoreState();
    }
    if (!SaveState()) {
        Say("could not save the registry values the tests change; nothing was run");
        RestoreState();
        return 2;
    }
    SetConsoleCtrlHandler(KeepRunning, TRUE);

    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    // The package's own locale rule picks the cases, so that they expect the texts the package
    // shows on this machine.
    const telvo::kit::TCaseChoice choice = telvo::kit::ChooseCases(
        system.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL, GetUserDefaultLCID());
    const std::string& filter = choice.Filter;

    // Explorer's facts need the desktop up; what the run met comes first, also as a file.
    BringUpDesktop();
    CreateDirectoryA(results.c_str(), nullptr);
    if (FILE* machine = std::fopen((results + "machine.txt").c_str(), "wb")) {
        for (const std::string& fact : MachineFacts()) {
            Say("this Windows: " + fact);
            std::fprintf(machine, "%s\r\n", fact.c_str());
        }
        std::fclose(machine);
    }
    Say(choice.Reason);
    DeleteFileA((results + "summary.txt").c_str());
    TResultCount total;
    for (const char* program : {"telvo_tests", "telvo_payload_tests", "telvo_e2e"}) {
        const std::string xml = results + program + ".xml";
        DeleteFileA(xml.c_str());
        Say(std::string("running ") + program);
        // The filter comes first, as under CTest: a start-up test reads the first argument.
        const int code = RunProgram("\"" + tests + program + ".exe\" --gtest_filter=" + filter +
                                        " --gtest_brief=1 \"--gtest_output=xml:" + xml + "\"",
                                    tests);
        TResultCount count = telvo::kit::CountResults(telvo::kit::ReadFileText(xml));
        if (code != 0 && count.Failed == 0) {
            // Ended badly without a failed case in its results: a crash, a hang or no results.
            ++count.Failed;
            count.FailedNames.push_back(std::string(program) +
                                        (code == -2 ? " overran its time limit"
                                         : code == -1
                                             ? " could not be started"
                                             : " ended with exit code " + std::to_string(code)));
        }
        total.Add(count);
    }

    EndLeftProcesses();
    RestoreState();
    Say("results in " + results + "; the machine's registry values and folders are put back");
    for (const std::string& name : total.FailedNames) Say("failed: " + name);
    // Also as a file: in Windows Sandbox nobody may be watching the console.
    if (FILE* summary = std::fopen((results + "summary.txt").c_str(), "wb")) {
        for (const std::string& name : total.FailedNames)
            std::fprintf(summary, "failed: %s\r\n", name.c_str());
        std::fprintf(summary, "%s\r\n", telvo::kit::ClosingLine(total).c_str());
        std::fclose(summary);
    }
    std::printf("%s\n", telvo::kit::ClosingLine(total).c_str());
    return total.Failed == 0 && total.Passed + total.Skipped > 0 ? 0 : 1;
}
