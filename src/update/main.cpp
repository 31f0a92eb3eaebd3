// Entry of TelvoUpdate: starts the modules in their fixed order (start-up state, then the
// language unit), stamps the identity of the carried data file, runs the update and finishes
// the modules in reverse order. An error that nothing caught ends the process through the
// "Application Error" box with exit code 1.
//
// The process starts in TelvoStartup, not in the C run-time: before anything else can load a
// DLL, the DLL search is restricted to the system folder. Every system DLL but KERNEL32 and
// msvcrt is reached through the package's own table of system entries
// (src/startup/system_entries.cpp), filled on first use, so none is looked for before that.
#include <windows.h>

#include "lang/lang_unit.h"
#include "startup/application_error.h"
#include "startup/safe_loading.h"
#include "startup/startup_state.h"
#include "telvo_payload.h"
#include "update/application_control.h"
#include "update/update_flow.h"

namespace {

// Finishes the modules in reverse order however the run ends.
struct TModulesScope {
    TModulesScope() { telvo::InitStartupState(); }
    ~TModulesScope() {
        telvo::DoneLangUnit();
        telvo::DoneStartupState();
    }
    TModulesScope(const TModulesScope&) = delete;
    TModulesScope& operator=(const TModulesScope&) = delete;
};

}  // namespace

// The C run-time's own entry for GUI programs.
extern "C" int WinMainCRTStartup();

// The image's entry point (linked with -e). The stack may come unaligned from the loader.
extern "C" __attribute__((force_align_arg_pointer)) int TelvoStartup() {
    telvo::RestrictDllSearchToSystemFolder();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int code = telvo::RunGuarded([] {
        TModulesScope modules;
        telvo::Carried = {telvo::carried::DataFileName, telvo::carried::ContentKey,
                          telvo::carried::CarriedVersion};
        return static_cast<int>(telvo::RunUpdate());
    });
    // The run is done and its start's thread has ended, or its bound has passed. Ended here,
    // not by the C run-time's exit: no thread's clean-up runs beside the exit's destructors.
    // A start's thread still stuck in a call into a hung desktop shell is not there when the
    // DLLs are told of the end either: the process is ended without telling them.
    if (!telvo::StartThreadEnded())
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    ExitProcess(static_cast<UINT>(code));
}
