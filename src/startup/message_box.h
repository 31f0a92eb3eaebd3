// The one seam through which every message box of the package passes. The shipped package calls
// MessageBoxA or MessageBoxExA exactly as requested; tests replace the handler to script the
// answers and record each box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace telvo {

enum class TBoxCall { MessageBoxA, MessageBoxExA };

struct TBoxRequest {
    TBoxCall Call = TBoxCall::MessageBoxA;
    std::string Text;
    std::string Caption;
    uint32_t Style = 0;
    uint16_t LanguageId = 0;  // used by MessageBoxExA only
};

// Box styles the package uses.
constexpr uint32_t kErrorBoxStyle = 0x200010;  // MB_OK | MB_ICONERROR | MB_SERVICE_NOTIFICATION
constexpr uint32_t kQuestionBoxStyle =
    0x42024;  // MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST
constexpr uint32_t kFatalErrorBoxStyle = 0x2010;  // MB_OK | MB_ICONERROR | MB_TASKMODAL
constexpr int kAnswerOk = 1;                      // IDOK
constexpr int kAnswerYes = 6;                     // IDYES
constexpr int kAnswerNo = 7;                      // IDNO

using TBoxHandler = std::function<int(const TBoxRequest&)>;

// Shows the box (no owner window) and returns the button the user pressed.
int ShowBox(const TBoxRequest& request);

// Installs a handler in place of the system's boxes and returns the previous one; an empty
// handler restores the system's boxes.
TBoxHandler ReplaceBoxHandler(TBoxHandler handler);

}  // namespace telvo
