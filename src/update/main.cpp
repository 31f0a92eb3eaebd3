// Entry of TelvoUpdate: starts the modules in their fixed order, runs the update, and finishes
// the modules in reverse order. An error that nothing caught ends the process through the
// "Application Error" box with exit code 1.
#include <windows.h>

#include "startup/application_error.h"
#include "startup/startup_state.h"

namespace {

// Finishes the start-up state however the run ends.
struct TStartupScope {
    TStartupScope() { telvo::InitStartupState(); }
    ~TStartupScope() { telvo::DoneStartupState(); }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return telvo::RunGuarded([] {
        TStartupScope startup;
        return 0;
    });
}
