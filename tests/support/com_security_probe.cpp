// Test helper: sets the process's COM security as the package's run does, before any window,
// box, text service or hook, then reads back what Windows made of it.
//   com_security_probe.exe <result file>
// Writes "NAME=VALUE" lines: record (set, refused or not asked), second (the HRESULT of a
// second CoInitializeSecurity), shell (of CoCreateInstance of the desktop shell's windows, an
// out-of-process server), and where that gave a proxy, blanket (of CoQueryProxyBlanket on it),
// impersonation (the level the proxy carries) and capabilities (the flags it reports). Exit
// code 0 once the file is written.
#include <windows.h>
#include <exdisp.h>
#include <shlguid.h>

#include <cstdio>

#include "startup/command_line.h"
#include "startup/win_handles.h"
#include "update/com_security.h"

namespace {

const char* RecordName(telvo::TComSecurity record) {
    switch (record) {
        case telvo::TComSecurity::Set:
            return "set";
        case telvo::TComSecurity::Refused:
            return "refused";
        default:
            return "not asked";
    }
}

}  // namespace

int main() {
    const telvo::TComSecurity record = telvo::SetProcessComSecurity();
    // Any other settings: only the first call of a process counts.
    const HRESULT second =
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE,
                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    telvo::TComPtr<IShellWindows> windows;
    const HRESULT shell = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                           IID_IShellWindows, windows.put());
    DWORD impersonation = 0;
    DWORD capabilities = 0;
    const HRESULT blanket =
        SUCCEEDED(shell) ? CoQueryProxyBlanket(windows.get(), nullptr, nullptr, nullptr, nullptr,
                                               &impersonation, nullptr, &capabilities)
                         : E_NOINTERFACE;
    const std::string path = telvo::CommandLineArgument(GetCommandLineA(), 1);
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return 1;
    std::fprintf(out,
                 "record=%s\nsecond=0x%08lX\nshell=0x%08lX\nblanket=0x%08lX\nimpersonation=%lu\n"
                 "capabilities=0x%08lX\n",
                 RecordName(record), static_cast<unsigned long>(second),
                 static_cast<unsigned long>(shell), static_cast<unsigned long>(blanket),
                 static_cast<unsigned long>(impersonation),
                 static_cast<unsigned long>(capabilities));
    return std::fclose(out) == 0 ? 0 : 1;
}
