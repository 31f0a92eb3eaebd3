// One message box on the screen, seen from another process: finding it, reading what it shows
// and pressing one of its buttons. The box bot answers a whole run with these; the screenshot
// helper answers one box at a time. Texts are given in UTF-8, whatever the ANSI code page.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "e2e/box_rule.h"

namespace telvo::e2e {

enum class TButton { Ok, Yes, No, Cancel };

struct TSeenBox {
    std::string Caption;
    std::string Text;
    std::vector<TButton> Buttons;
    std::string Icon;  // "shown" or "none"
    TButton Pressed = TButton::Ok;
};

// The first visible message box (a top-level window of class "#32770") of process `processId`,
// or of any process when it is 0, that is not in `skip`; nullptr when there is none.
HWND FindBox(DWORD processId, const std::set<HWND>& skip = {});

// The first box of a run (OwnerOfRunsBox) on the screen, with `owner` set; nullptr when there is
// none. `before` holds the system's boxes on the screen when the run started.
HWND FindRunsBox(DWORD package, DWORD systemBoxes, const std::set<HWND>& before,
                 const std::set<HWND>& handled, TBoxOwner& owner);

// The visible message boxes of process `processId` on the screen now.
std::set<HWND> BoxesOf(DWORD processId);

// The process that draws the message boxes the system shows for the programs of this session
// (MB_SERVICE_NOTIFICATION): the session's csrss.exe on Windows; 0 where there is none (Wine
// draws them in the program itself).
DWORD SystemBoxProcess();

// What `box` shows: caption, text, buttons (in the order Ok, Yes, No, Cancel) and icon.
TSeenBox ReadBox(HWND box);

// Presses `button` of `box` as a click would. False when the box has no such button or the
// press could not be posted (UIPI refuses it to a box of a process above this one's integrity).
bool PressButton(HWND box, TButton button);

// "ok", "yes", "no", "cancel", joined with commas.
std::string ButtonsText(const std::vector<TButton>& buttons);

}  // namespace telvo::e2e
