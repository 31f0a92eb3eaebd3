#include "startup/message_box.h"

#include <windows.h>

#include <utility>

#include "startup/attendance.h"
#include "startup/identify_windows.h"

namespace telvo {
namespace {

bool& Unattended() {
    static bool unattended = false;
    return unattended;
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
    if (Unattended())
        return (request.Style & MB_TYPEMASK) == MB_YESNO ? kAnswerNo : kAnswerOk;
    const TBoxHandler& handler = CurrentHandler();
    return handler ? handler(request) : ShowSystemBox(request);
}

void DecideAttendance() {
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
    Unattended() = IsUnattended(facts);
}

bool NobodyCanAnswer() {
    return Unattended();
}

bool ReplaceNobodyCanAnswer(bool nobody) {
    return std::exchange(Unattended(), nobody);
}

TBoxHandler ReplaceBoxHandler(TBoxHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}

}  // namespace telvo
