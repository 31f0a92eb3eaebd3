#include "startup/message_box.h"

#include <windows.h>

#include <utility>

#include "startup/attendance.h"
#include "startup/identify_windows.h"

namespace telvo {
namespace {

enum class TAttendance { Undecided, Deciding, Attended, Unattended };

TAttendance& Attendance() {
    static TAttendance attendance = TAttendance::Undecided;
    return attendance;
}

TAttendanceFacts GatherAttendanceFacts() {
    TAttendanceFacts facts;
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (HWINSTA station = GetProcessWindowStation();
        station && GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed))
        facts.StationVisible = (flags.dwFlags & WSF_VISIBLE) != 0;
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session))
        facts.SessionId = session;
    facts.WindowsMajorVersion = WindowsMajorVersion();
    return facts;
}

TBoxHandler& CurrentHandler() {
    static TBoxHandler handler;
    return handler;
}

int ShowSystemBox(const TBoxRequest& r) {
    if (r.Call == TBoxCall::MessageBoxExA)
        return MessageBoxExA(nullptr, r.Text.c_str(), r.Caption.c_str(), r.Style, r.LanguageId);
    return MessageBoxA(nullptr, r.Text.c_str(), r.Caption.c_str(), r.Style);
}

}  // namespace

int ShowBox(const TBoxRequest& request) {
    if (NobodyCanAnswer())
        return (request.Style & MB_TYPEMASK) == MB_YESNO ? kAnswerNo : kAnswerOk;
    const TBoxHandler& handler = CurrentHandler();
    return handler ? handler(request) : ShowSystemBox(request);
}

bool NobodyCanAnswer() {
    TAttendance& attendance = Attendance();
    // Asked again while deciding (a system function missing on the way) it counts as attended.
    if (attendance == TAttendance::Undecided) {
        attendance = TAttendance::Deciding;
        attendance =
            IsUnattended(GatherAttendanceFacts()) ? TAttendance::Unattended : TAttendance::Attended;
    }
    return attendance == TAttendance::Unattended;
}

bool ReplaceNobodyCanAnswer(bool nobody) {
    const bool previous = NobodyCanAnswer();
    Attendance() = nobody ? TAttendance::Unattended : TAttendance::Attended;
    return previous;
}

TBoxHandler ReplaceBoxHandler(TBoxHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}

}  // namespace telvo
