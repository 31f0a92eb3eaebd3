// A stand-in for the installed application Telvo, for tests and the demo. It provides what the
// update package relies on from the real application:
//   - while it runs it holds the paging-file-backed mapping "telvo_memfile" (64 bytes);
//   - its main window is a top-level window of class "TTelvoMainForm", and a WM_QUIT posted to
//     it ends the program; WM_CLOSE does not (a real application may ask before it closes), so
//     a package that sends WM_CLOSE instead leaves it running;
//   - it keeps "vost.cok" of its own folder open, so that nobody else can open it exclusively,
//     until it ends;
//   - its window shows the data version it found (the fifth byte of "vost.cok" minus 32).
// For tests, through the environment (the package passes its own on when it starts the
// application, and starts it without arguments):
//   TELVO_STANDIN_LINGER_MS  keep the data file open this long after WM_QUIT (a slow shutdown)
//   TELVO_STANDIN_RECORD     append the current directory (in UTF-8), the command line, the
//                            name of the parent process, whether it counts as a member of the
//                            Administrators group (1 or 0), whether it runs elevated (1 or 0),
//                            its integrity level (the label's RID in hex, 2000 is medium) and
//                            whether any administrative group of its token is enabled (1 or
//                            0) to this file
// The same record always goes to "starts.txt" in its own folder too: a program started through
// the desktop shell gets the shell's environment, not the package's.
//   TELVO_STANDIN_TITLE      the window title (default "Telvo")
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "startup/win_handles.h"

namespace {

using telvo::TFileHandle;
using telvo::TMappingHandle;

std::string Environment(const char* name) {
    char value[1024] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// Paths in UTF-16: a program started through the desktop shell runs in the shell's code page,
// which under Wine is the locale of whatever started the shell, not the package's.
std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::string Utf8(const std::wstring& text) {
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    return wide;
}

// The executable name of the process that started this one: the package itself, or the
// desktop shell ("explorer.exe") when the package asked the shell to start it.
std::string ParentName() {
    TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32First(snapshot.get(), &entry); more && !parent;
         more = Process32Next(snapshot.get(), &entry))
        if (entry.th32ProcessID == self)
            parent = entry.th32ParentProcessID;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry))
        if (parent && entry.th32ProcessID == parent)
            return entry.szExeFile;
    return "";
}

// 1 when this process runs with an elevated token, 0 when not, -1 when that cannot be told: the
// package must start the application with the desktop user's rights, not its own.
int Elevated() {
    telvo::TTokenHandle token;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
        !GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        return -1;
    return elevation.TokenIsElevated ? 1 : 0;
}

// Whether this process's token counts its user as an administrator: a program started with a
// lowered token does not, even where Wine cannot tell elevated from unelevated.
int AdministratorsMember() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    telvo::TSid administrators;
    BOOL member = FALSE;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  administrators.put()) ||
        !CheckTokenMembership(nullptr, administrators.get(), &member))
        return -1;
    return member ? 1 : 0;
}

// The RID of this process's integrity level in hex ("2000" medium, "3000" high), "-1" when it
// cannot be read.
std::string IntegrityLevel() {
    telvo::TTokenHandle token;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return "-1";
    GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> bytes(size);
    if (size == 0 ||
        !GetTokenInformation(token.get(), TokenIntegrityLevel, bytes.data(), size, &size))
        return "-1";
    const PSID label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(bytes.data())->Label.Sid;
    const DWORD rid = *GetSidSubAuthority(label, *GetSidSubAuthorityCount(label) - 1);
    char text[16] = {};
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(rid));
    return text;
}

// True for the groups that UAC's filtered token holds for deny only: the built-in
// administrative aliases and the domain's administrative groups.
bool IsAdministrativeGroup(PSID sid) {
    const SID_IDENTIFIER_AUTHORITY& authority = *GetSidIdentifierAuthority(sid);
    const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    if (std::memcmp(&authority, &nt, sizeof nt) != 0 || count < 2)
        return false;
    const DWORD first = *GetSidSubAuthority(sid, 0);
    const DWORD rid = *GetSidSubAuthority(sid, count - 1);
    if (first == SECURITY_BUILTIN_DOMAIN_RID && count == 2)
        // Administrators, Power Users, Account, Server (System), Print and Backup Operators,
        // Pre-Windows 2000 Compatible Access, Network Configuration and Cryptographic Operators.
        for (DWORD alias : {544, 547, 548, 549, 550, 551, 554, 556, 569})
            if (rid == alias)
                return true;
    if (first == SECURITY_NT_NON_UNIQUE && count == 5)
        // Enterprise Read-only Domain Controllers, Domain Admins, Domain Controllers, Cert
        // Publishers, Schema Admins, Enterprise Admins, Group Policy Creator Owners, Read-only
        // Domain Controllers, RAS and IAS Servers.
        for (DWORD group : {498, 512, 516, 517, 518, 519, 520, 521, 553})
            if (rid == group)
                return true;
    return false;
}

// 1 when any administrative group of this process's token is enabled, 0 when none is (held
// for deny only or not at all), -1 when that cannot be told.
int AdministrativeGroupsEnabled() {
    telvo::TTokenHandle token;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return -1;
    GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &size);
    std::vector<BYTE> bytes(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenGroups, bytes.data(), size, &size))
        return -1;
    const TOKEN_GROUPS& groups = *reinterpret_cast<const TOKEN_GROUPS*>(bytes.data());
    for (DWORD i = 0; i < groups.GroupCount; ++i)
        if ((groups.Groups[i].Attributes & SE_GROUP_ENABLED) &&
            !(groups.Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) &&
            IsAdministrativeGroup(groups.Groups[i].Sid))
            return 1;
    return 0;
}

void RecordStart(const std::string& record) {
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    const std::string parent = ParentName();
    const int administrator = AdministratorsMember();
    const std::string integrity = IntegrityLevel();
    const int adminGroups = AdministrativeGroupsEnabled();
    for (const std::wstring& path : {Wide(record), OwnFolder() + L"starts.txt"}) {
        if (path.empty())
            continue;
        if (FILE* f = _wfopen(path.c_str(), L"ab")) {
            std::fprintf(f,
                         "cwd=%s\ncmdline=%s\nparent=%s\nadministrators=%d\nelevated=%d\n"
                         "integrity=%s\nadmin_groups_enabled=%d\n",
                         Utf8(directory).c_str(), GetCommandLineA(), parent.c_str(), administrator,
                         Elevated(), integrity.c_str(), adminGroups);
            std::fclose(f);
        }
    }
}

// The version text shown in the window; the file stays open (reading shared) while we run.
std::string OpenDataFile(TFileHandle& data) {
    data.reset(CreateFileW((OwnFolder() + L"vost.cok").c_str(), GENERIC_READ, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!data)
        return "no data file";
    unsigned char header[5] = {};
    DWORD got = 0;
    ReadFile(data.get(), header, sizeof header, &got, nullptr);
    if (got < sizeof header)
        return "data file too short";
    return "data version " + std::to_string(static_cast<int>(header[4]) - 32);
}

std::string ShownText;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT area;
            GetClientRect(window, &area);
            DrawTextA(dc, ShownText.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_CLOSE:
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    RecordStart(Environment("TELVO_STANDIN_RECORD"));
    TMappingHandle marker(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, "telvo_memfile"));
    TFileHandle data;
    ShownText = "Telvo stand-in: " + OpenDataFile(data);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TTelvoMainForm";
    RegisterClassA(&windowClass);
    const std::string title = Environment("TELVO_STANDIN_TITLE");
    HWND window = CreateWindowA("TTelvoMainForm", title.empty() ? "Telvo" : title.c_str(),
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 420, 160,
                                nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // Like the real application: the window goes first, the data file is released last.
    DestroyWindow(window);
    const std::string linger = Environment("TELVO_STANDIN_LINGER_MS");
    if (!linger.empty())
        Sleep(static_cast<DWORD>(std::atoi(linger.c_str())));
    return 0;
}
