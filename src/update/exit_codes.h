// Exit codes of the package, so that a program that starts it silently can tell an installed
// update from a failed one. Fixed numbers, never reused.
#pragma once

namespace telvo {

enum TExitCode : int {
    kExitDone = 0,                 // update installed, or the user ended the run by answering No
    kExitUncaughtErrorCode = 1,    // an error nothing caught (the "Application Error" road)
    kExitApplicationNotFound = 2,  // discovery failed, or no "telvo.exe" in a folder that opens
    kExitLanguageFiles = 3,        // language files missing, faulty or unreadable
    kExitNotAdministrator = 4,
    kExitIntegrityCheckFailed = 5,  // the package's own file is damaged or unreadable
    kExitDataFileInUse = 6,         // the installed data file could not be opened in time
    kExitDataFileNotWritten = 7,
    kExitNobodyToAnswer = 8,  // an answer was needed and nobody could give one (no "modest")
    // A "modest" run whose write met only a holder: the installed data file stayed in use after
    // the quit request and the writer's wait, or another run kept the writer lock past its
    // minute. The installed data file is as it was; a new file whose rename or delete was held
    // up, or that a network drive kept, stays for a later run to remove. The deployment tools'
    // own "another installation is in progress",
    // which they retry on their own.
    kExitRetryLater = 1618,
};

}  // namespace telvo
