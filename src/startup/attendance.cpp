#include "startup/attendance.h"

namespace telvo {

namespace {
constexpr uint32_t kWindowsVistaMajorVersion = 6;
}

bool IsUnattended(const TAttendanceFacts& facts) {
    if (!facts.StationVisible || (facts.SilentRun && facts.SessionDisconnected))
        return true;
    return facts.SessionId == 0 && facts.WindowsMajorVersion >= kWindowsVistaMajorVersion;
}

}  // namespace telvo
