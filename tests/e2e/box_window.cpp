#include "e2e/box_window.h"

#include <tlhelp32.h>

#include <utility>

#include "startup/win_handles.h"

namespace telvo::e2e {
namespace {

constexpr int kTextItem = 0xFFFF;
// The icon's static control in the system's box template: 0x14 on Windows, 0x440 in Wine's (and
// ReactOS's).
constexpr int kIconItems[] = {0x14, 0x440};

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
    for (int id : kIconItems)
        if (HWND item = GetDlgItem(box, id); item && SendMessageW(item, STM_GETICON, 0, 0))
            return "shown";
    return "none";
}

using TBoxList = std::vector<std::pair<HWND, DWORD>>;

BOOL CALLBACK AddIfBox(HWND window, LPARAM context) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0)
        reinterpret_cast<TBoxList*>(context)->push_back({window, owner});
    return TRUE;
}

// The visible top-level windows of class "#32770" on this desktop, topmost first, with the
// process each belongs to.
TBoxList VisibleBoxes() {
    TBoxList boxes;
    EnumWindows(AddIfBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
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
    for (const auto& [box, owner] : VisibleBoxes())
        if ((processId == 0 || owner == processId) && !skip.count(box))
            return box;
    return nullptr;
}

HWND FindRunsBox(DWORD package, DWORD systemBoxes, const std::set<HWND>& before,
                 const std::set<HWND>& handled, TBoxOwner& owner) {
    for (const auto& [box, process] : VisibleBoxes()) {
        owner = OwnerOfRunsBox({process, true, true, before.count(box) > 0, handled.count(box) > 0},
                               package, systemBoxes);
        if (owner != TBoxOwner::None)
            return box;
    }
    return nullptr;
}

std::set<HWND> BoxesOf(DWORD processId) {
    std::set<HWND> boxes;
    for (const auto& [box, owner] : VisibleBoxes())
        if (processId != 0 && owner == processId)
            boxes.insert(box);
    return boxes;
}

DWORD SystemBoxProcess() {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session))
        return 0;
    TProcessHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        DWORD itsSession = 0;
        if (lstrcmpiA(entry.szExeFile, "csrss.exe") == 0 &&
            ProcessIdToSessionId(entry.th32ProcessID, &itsSession) && itsSession == session)
            return entry.th32ProcessID;
    }
    return 0;
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
    return PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(item)) != FALSE;
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
