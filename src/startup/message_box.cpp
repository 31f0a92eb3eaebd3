#include "startup/message_box.h"

#include <windows.h>
#include <wtsapi32.h>

#include <cstdlib>

#include <utility>

#include "startup/attendance.h"
#include "startup/identify_windows.h"
#include "startup/safe_loading.h"
#include "startup/startup_state.h"

namespace telvo {
namespace {

enum class TAttendance { Undecided, Deciding, Attended, Unattended };

TAttendance& Attendance() {
    static TAttendance attendance = TAttendance::Undecided;
    return attendance;
}

// WTSAPI32's header declares its functions for static binding, which the package does not do:
// they are looked up in the DLL from the system folder. Where it is missing, the session counts
// as connected, as every session did before.
bool SessionDisconnected() {
    static const auto query = reinterpret_cast<decltype(&WTSQuerySessionInformationA)>(
        OptionalSystemEntry("wtsapi32.dll", "WTSQuerySessionInformationA"));
    static const auto release = reinterpret_cast<decltype(&WTSFreeMemory)>(
        OptionalSystemEntry("wtsapi32.dll", "WTSFreeMemory"));
    char* state = nullptr;
    DWORD size = 0;
    if (!query || !release ||
        !query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSConnectState, &state, &size))
        return false;
    const bool disconnected = size >= sizeof(WTS_CONNECTSTATE_CLASS) &&
                              *reinterpret_cast<WTS_CONNECTSTATE_CLASS*>(state) == WTSDisconnected;
    release(state);
    return disconnected;
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
    // The same word the update flow reads as silent mode; only then is the session asked about.
    facts.SilentRun = StartupState.CommandWord == "modest";
    facts.SessionDisconnected = facts.SilentRun && SessionDisconnected();
    return facts;
}

TBoxHandler& CurrentHandler() {
    static TBoxHandler handler;
    return handler;
}

int ShowSystemBox(const TBoxRequest& r) {
    switch (r.Call) {
        case TBoxCall::MessageBoxExA:
            return MessageBoxExA(nullptr, r.Text.c_str(), r.Caption.c_str(), r.Style, r.LanguageId);
        case TBoxCall::MessageBoxExW:
            return MessageBoxExW(nullptr, r.WideText.c_str(), r.WideCaption.c_str(), r.Style,
                                 r.LanguageId);
        case TBoxCall::MessageBoxA:
            break;
    }
    return MessageBoxA(nullptr, r.Text.c_str(), r.Caption.c_str(), r.Style);
}

}  // namespace

int ShowBox(const TBoxRequest& request) {
    RunStepBeforeUser32();
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
        // Nor may the C run-time's own box of an abort wait there.
        if (attendance == TAttendance::Unattended)
            _set_error_mode(_OUT_TO_STDERR);
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
