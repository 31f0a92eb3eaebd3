// The one seam through which every message box of the package passes, but one: the system's own
// FatalAppExitA box, shown when Windows lacks a system function the package needs
// (safe_loading.h), because by then USER32 itself may be what is missing. The shipped package
// calls MessageBoxA, MessageBoxExA or MessageBoxExW as requested; tests replace the handler to
// script the answers and record each box. Where nobody can answer a box (see attendance.h), none is
// shown, FatalAppExitA's included.
//
// The A calls read their bytes in the system's ANSI code page, as the application shows its
// language files' texts. The built-in Russian texts are written in code page 1251 whatever that
// code page is (a Russian user on a Windows whose non-Unicode language is English, say): they go
// through MessageBoxExW, converted before.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace telvo {

enum class TBoxCall { MessageBoxA, MessageBoxExA, MessageBoxExW };

struct TBoxRequest {
    TBoxCall Call = TBoxCall::MessageBoxA;
    std::string Text;  // the A calls only
    std::string Caption;
    uint32_t Style = 0;
    uint16_t LanguageId = 0;  // the Ex calls only
    std::wstring WideText;    // MessageBoxExW only
    std::wstring WideCaption;
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

// Shows the box (no owner window) and returns the button the user pressed. Where nobody can
// answer, shows nothing, neither through the system nor through a test's handler, and returns
// the answer that changes nothing: No for a question, OK otherwise.
int ShowBox(const TBoxRequest& request);

// Whether nobody can answer a box in this process, from its window station, its session and the
// Windows version (IsUnattended). Decided the first time it is asked and kept: none of these
// changes while the process runs, and asking loads USER32, which a silent run that shows
// nothing and starts nothing then never loads. A station or session that cannot be asked about
// counts as attended, as every run was before.
bool NobodyCanAnswer();

// Sets the decision, for tests; returns the previous one.
bool ReplaceNobodyCanAnswer(bool nobody);

// Installs a handler in place of the system's boxes and returns the previous one; an empty
// handler restores the system's boxes.
TBoxHandler ReplaceBoxHandler(TBoxHandler handler);

}  // namespace telvo
