// RunUpdate: one pass of the update, from finding the installed application to offering to
// start it again. See update_flow.cpp for what the package is and why it is built as it is.
#pragma once

#include <cstdint>
#include <string>

#include "update/exit_codes.h"

namespace telvo {

// What identifies the carried data file: stamped by the entry from the build before RunUpdate.
struct TCarriedFile {
    std::string DataFileName;  // in the install folder; also names the resource ("vost.cok")
    std::string ContentKey;    // message key of the carried content's display name
    int32_t CarriedVersion = 0;
};

extern TCarriedFile Carried;

// Runs the update once, on the process's main thread: a run that may start the application
// initialises COM there for the rest of the process (com_security.h). Needs InitStartupState to
// have run and Carried to be stamped. Returns the exit code of the run; a registry error the
// design lets pass (an unexpected value type, a failed write of "EstimatedSize") leaves as
// ERegistryException.
TExitCode RunUpdate();

}  // namespace telvo
