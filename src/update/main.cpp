// Entry of TelvoUpdate: starts the modules in their fixed order (start-up state, then the
// language unit), stamps the identity of the carried data file, runs the update and finishes
// the modules in reverse order. An error that nothing caught ends the process through the
// "Application Error" box with exit code 1.
#include <windows.h>

#include "lang/lang_unit.h"
#include "startup/application_error.h"
#include "startup/startup_state.h"
#include "telvo_payload.h"
#include "update/update_flow.h"

namespace {

// Finishes the modules in reverse order however the run ends.
struct TModulesScope {
    TModulesScope() { telvo::InitStartupState(); }
    ~TModulesScope() {
        telvo::DoneLangUnit();
        telvo::DoneStartupState();
    }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return telvo::RunGuarded([] {
        TModulesScope modules;
        telvo::Carried = {telvo::carried::DataFileName, telvo::carried::ContentKey,
                          telvo::carried::CarriedVersion};
        return static_cast<int>(telvo::RunUpdate());
    });
}
