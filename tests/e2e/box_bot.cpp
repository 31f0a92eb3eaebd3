#include "e2e/box_bot.h"

#include <windows.h>

#include <set>
#include <vector>

#include "startup/win_handles.h"
#include "support/processes.h"

namespace telvo::e2e {
namespace {

constexpr int kTextItem = 0xFFFF;
constexpr int kIconItem = 0x440;  // the icon's static control in the system's box template

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::string WindowText(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return Utf8(text);
}

// Whether the box shows an icon. Which one cannot be told from another process here: icon
// handles are the process's own, and the style itself is checked through the box seam.
std::string IconOf(HWND box) {
    HWND item = GetDlgItem(box, kIconItem);
    return item && SendMessageW(item, STM_GETICON, 0, 0) ? "shown" : "none";
}

struct TSearch {
    DWORD ProcessId;
    const std::set<HWND>* Handled;
    HWND Found = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<TSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (owner == search.ProcessId && IsWindowVisible(window) &&
        lstrcmpW(className, L"#32770") == 0 && !search.Handled->count(window)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

int ButtonId(TButton button) {
    switch (button) {
        case TButton::Ok:
            return IDOK;
        case TButton::Yes:
            return IDYES;
        case TButton::No:
            return IDNO;
        default:
            return IDCANCEL;
    }
}

TSeenBox Read(HWND box) {
    TSeenBox seen;
    seen.Caption = WindowText(box);
    wchar_t text[8192] = {};
    GetDlgItemTextW(box, kTextItem, text, 8192);
    seen.Text = Utf8(text);
    for (TButton b : {TButton::Ok, TButton::Yes, TButton::No, TButton::Cancel})
        if (GetDlgItem(box, ButtonId(b)))
            seen.Buttons.push_back(b);
    seen.Icon = IconOf(box);
    return seen;
}

TButton Choose(const TSeenBox& seen, const std::vector<TButton>& answers, size_t index) {
    if (index < answers.size())
        return answers[index];
    for (TButton b : seen.Buttons)
        if (b == TButton::Ok)
            return b;
    return TButton::No;
}

}  // namespace

std::string ButtonsText(const std::vector<TButton>& buttons) {
    std::string text;
    for (TButton b : buttons) {
        if (!text.empty())
            text += ",";
        text += b == TButton::Ok    ? "ok"
                : b == TButton::Yes ? "yes"
                : b == TButton::No  ? "no"
                                    : "cancel";
    }
    return text;
}

TBotRun RunAnsweringBoxes(const std::string& commandLine, const std::vector<TButton>& answers,
                          uint32_t timeoutMs) {
    TBotRun run;
    uint32_t processId = 0;
    TProcessHandle process = test::StartProcess(commandLine, &processId);
    if (!process)
        return run;

    std::set<HWND> handled;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.get(), 25) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(process.get(), 255);
            WaitForSingleObject(process.get(), 5000);
            return run;
        }
        TSearch search{processId, &handled};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (!search.Found)
            continue;
        Sleep(50);  // let the box finish drawing its controls
        TSeenBox seen = Read(search.Found);
        seen.Pressed = Choose(seen, answers, run.Boxes.size());
        const int id = ButtonId(seen.Pressed);
        PostMessageW(search.Found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(search.Found, id)));
        handled.insert(search.Found);
        run.Boxes.push_back(std::move(seen));
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    run.ExitCode = static_cast<int>(code);
    return run;
}

}  // namespace telvo::e2e
