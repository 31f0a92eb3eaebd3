#include "e2e/box_window.h"

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
    const std::set<HWND>* Skip;
    HWND Found = nullptr;
};

BOOL CALLBACK FindInSearch(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<TSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if ((search.ProcessId == 0 || owner == search.ProcessId) && IsWindowVisible(window) &&
        lstrcmpW(className, L"#32770") == 0 && !search.Skip->count(window)) {
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

}  // namespace

HWND FindBox(DWORD processId, const std::set<HWND>& skip) {
    TSearch search{processId, &skip};
    EnumWindows(FindInSearch, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

TSeenBox ReadBox(HWND box) {
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

bool PressButton(HWND box, TButton button) {
    const int id = ButtonId(button);
    HWND item = GetDlgItem(box, id);
    if (!item)
        return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(item));
    return true;
}

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

}  // namespace telvo::e2e
