// Whether anybody can answer a message box of the package. Besides people, deployment tools
// start it, as a service account on a window station that no user sees; a box shown there
// waits for ever. Pure: the Win32 calls that gather the facts live in message_box.cpp.
#pragma once

#include <cstdint>

namespace telvo {

struct TAttendanceFacts {
    bool StationVisible = true;        // WSF_VISIBLE of the process's window station
    uint32_t SessionId = 1;            // the process's Terminal Services session
    uint32_t WindowsMajorVersion = 6;  // as GetVersionExA reports it
    bool SilentRun = false;            // the first command-line word is "modest"
    bool SessionDisconnected = false;  // the session has no user connected to it
};

// True when nobody can answer a box: the window station is not visible, or the process runs in
// session 0 on Windows Vista or later, where session 0 holds services and no user. On Windows
// XP session 0 is the console's, where a user may well sit. A silent run (started by another
// program, which waits for its end) in a session nobody is connected to does not wait for a
// user to come back either; an interactive run there was started by that user, who may.
bool IsUnattended(const TAttendanceFacts& facts);

}  // namespace telvo
