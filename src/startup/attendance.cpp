#include "startup/attendance.h"

namespace telvo {

namespace {
constexpr uint32_t kWindowsVistaMajorVersion = 6;
}

bool IsUnattended(const TAttendanceFacts& facts) {
    if (!facts.StationVisible)
        return true;
    return facts.SessionId == 0 && facts.WindowsMajorVersion >= kWindowsVistaMajorVersion;
}

}  // namespace telvo
