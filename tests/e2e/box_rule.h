// Which window on the screen is a message box of the package's run. Pure: the box bot and the
// box hand gather the facts (EnumWindows and the like).
//
// The package draws its questions itself, but hands its error boxes (MB_SERVICE_NOTIFICATION)
// to the system: on Windows the session's csrss.exe draws those, in its own process, and the
// system shows them one at a time. A box of csrss.exe belongs to the run only when it was not
// on the screen yet when the run started: an earlier box still showing is another run's.
#pragma once

#include <cstdint>

namespace telvo::e2e {

enum class TBoxOwner { None, Package, System };

struct TWindowFacts {
    uint32_t OwnerProcess = 0;
    bool Visible = false;
    bool DialogClass = false;        // class "#32770", a message box's
    bool ThereBeforeTheRun = false;  // on the screen when the run started
    bool Handled = false;            // already answered in this run
};

// Whose box of the run `window` is: the package process `package`'s own, or one that
// `systemBoxes` (the session's csrss.exe; 0 where there is none, as under Wine) draws for it;
// None when it is no box of the run or answered already.
inline TBoxOwner OwnerOfRunsBox(const TWindowFacts& window, uint32_t package,
                                uint32_t systemBoxes) {
    if (!window.Visible || !window.DialogClass || window.Handled || window.OwnerProcess == 0)
        return TBoxOwner::None;
    if (window.OwnerProcess == package)
        return TBoxOwner::Package;
    if (window.OwnerProcess == systemBoxes && !window.ThereBeforeTheRun)
        return TBoxOwner::System;
    return TBoxOwner::None;
}

}  // namespace telvo::e2e
