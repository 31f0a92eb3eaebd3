#include "e2e/system_hand.h"

#include <tlhelp32.h>

#include "startup/code_page.h"
#include "support/processes.h"

namespace telvo::e2e {
namespace {

std::string Failing(const std::string& step) {
    return step + " failed, error " + std::to_string(GetLastError());
}

bool EnablePrivilege(HANDLE token, const char* name) {
    TOKEN_PRIVILEGES privileges{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    return LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid) &&
           AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr) &&
           GetLastError() == ERROR_SUCCESS;
}

// A primary copy of the token of this session's winlogon.exe: SYSTEM, at System integrity, in
// this session. Opening it needs SeDebugPrivilege, which an elevated administrator holds.
TTokenHandle SessionSystemToken(std::string& why) {
    TTokenHandle own;
    DWORD session = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, own.put()) ||
        !EnablePrivilege(own.get(), SE_DEBUG_NAME) ||
        !ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
        why = Failing("enabling SeDebugPrivilege");
        return {};
    }
    const TProcessHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        DWORD itsSession = 0;
        if (lstrcmpiA(entry.szExeFile, "winlogon.exe") != 0 ||
            !ProcessIdToSessionId(entry.th32ProcessID, &itsSession) || itsSession != session)
            continue;
        const TProcessHandle winlogon(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        TTokenHandle token, primary;
        if (!winlogon ||
            !OpenProcessToken(winlogon.get(), TOKEN_DUPLICATE | TOKEN_QUERY, token.put()) ||
            !DuplicateTokenEx(token.get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                              TokenPrimary, primary.put())) {
            why = Failing("taking the token of winlogon.exe");
            return {};
        }
        return primary;
    }
    why = "no winlogon.exe runs in the tests' session " + std::to_string(session);
    return {};
}

// Starts `commandLine` with `token` on the interactive desktop: through the Secondary Logon
// service (CreateProcessWithTokenW needs only SeImpersonatePrivilege), else as that token itself
// (CreateProcessAsUserW, while impersonating it, needs its SeAssignPrimaryTokenPrivilege).
TProcessHandle StartWithToken(HANDLE token, std::wstring commandLine, std::string& why) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<wchar_t*>(L"winsta0\\default");
    PROCESS_INFORMATION started{};
    if (!CreateProcessWithTokenW(token, 0, nullptr, commandLine.data(), CREATE_NO_WINDOW, nullptr,
                                 nullptr, &startup, &started)) {
        why = Failing("CreateProcessWithTokenW");
        TTokenHandle thread;
        const bool made =
            ImpersonateLoggedOnUser(token) &&
            OpenThreadToken(GetCurrentThread(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, FALSE,
                            thread.put()) &&
            EnablePrivilege(thread.get(), SE_ASSIGNPRIMARYTOKEN_NAME) &&
            EnablePrivilege(thread.get(), SE_INCREASE_QUOTA_NAME) &&
            CreateProcessAsUserW(token, nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                 CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
        why += ", then " + Failing("CreateProcessAsUserW as SYSTEM");
        RevertToSelf();
        if (!made)
            return {};
    }
    TProcessHandle thread(started.hThread);
    return TProcessHandle(started.hProcess);
}

}  // namespace

TSystemHand& TSystemHand::Get() {
    static TSystemHand hand;
    return hand;
}

TSystemHand::TSystemHand() {
    const std::string pipe = "\\\\.\\pipe\\TelvoBoxHand." + std::to_string(GetCurrentProcessId()) +
                             "." + std::to_string(GetTickCount());
    std::string why;
    const TTokenHandle token = SessionSystemToken(why);
    if (token)
        Helper = StartWithToken(token.get(),
                                L"\"" + WideFromAnsi(test::TestBinFolder() + "telvo_box.exe") +
                                    L"\" serve " + WideFromAnsi(pipe) + L" " +
                                    std::to_wstring(GetCurrentProcessId()),
                                why);
    for (int i = 0; Helper && !Pipe && i < 200; ++i) {
        Pipe.reset(CreateFileA(pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr));
        if (!Pipe && WaitForSingleObject(Helper.get(), 50) == WAIT_OBJECT_0)
            break;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (Pipe && SetNamedPipeHandleState(Pipe.get(), &mode, nullptr, nullptr))
        return;
    Pipe.reset();
    NotStarted =
        "the package's error boxes are drawn by the system (csrss.exe, at System "
        "integrity), which a test at High integrity can neither read nor press, and no "
        "helper at System integrity could be had: " +
        (why.empty() ? "telvo_box.exe serve did not open its pipe" : why);
}

std::string TSystemHand::Ask(const std::string& request) {
    char reply[16384];
    DWORD got = 0;
    if (!Pipe ||
        !TransactNamedPipe(Pipe.get(), const_cast<char*>(request.data()),
                           static_cast<DWORD>(request.size()), reply, sizeof reply, &got, nullptr))
        return {};
    return std::string(reply, got);
}

std::optional<TSeenBox> TSystemHand::Read(HWND box) {
    // Caption, text, buttons and icon, each ending in a NUL: the text may hold line breaks.
    const std::string reply = Ask("read " + std::to_string(reinterpret_cast<uintptr_t>(box)));
    std::string fields[4];
    size_t at = 0;
    for (std::string& field : fields) {
        const size_t end = reply.find('\0', at);
        if (end == std::string::npos)
            return std::nullopt;
        field = reply.substr(at, end - at);
        at = end + 1;
    }
    TSeenBox seen{fields[0], fields[1], {}, fields[3]};
    for (TButton b : {TButton::Ok, TButton::Yes, TButton::No, TButton::Cancel})
        if (("," + fields[2] + ",").find("," + ButtonsText({b}) + ",") != std::string::npos)
            seen.Buttons.push_back(b);
    return seen;
}

std::string TSystemHand::Press(HWND box, TButton button) {
    const std::string reply = Ask("press " + std::to_string(reinterpret_cast<uintptr_t>(box)) +
                                  " " + ButtonsText({button}));
    return reply == "pressed" ? ""
           : reply.empty()    ? "the helper at System integrity did not answer"
                              : reply;
}

}  // namespace telvo::e2e
