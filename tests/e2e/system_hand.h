// The hand for the message boxes the system draws (box_rule.h): on Windows the session's
// csrss.exe draws the package's error boxes at System integrity, and UIPI lets no process below
// that press them, nor read their text. So one helper per test program, "telvo_box serve", runs
// in this session at System integrity, with a token duplicated from the session's winlogon.exe
// (the tests run elevated, so they hold the privileges this needs), and reads and presses those
// boxes on request. It ends with the test program, pressing OK on any box the system still
// shows that came after its start.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "e2e/box_window.h"
#include "startup/win_handles.h"

namespace telvo::e2e {

class TSystemHand {
  public:
    // The one hand of this process, started at the first call; Why() says why not, if it could
    // not be.
    static TSystemHand& Get();
    const std::string& Why() const { return NotStarted; }

    std::optional<TSeenBox> Read(HWND box);
    // Empty when the button was pressed; otherwise why not.
    std::string Press(HWND box, TButton button);

  private:
    TSystemHand();
    std::string Ask(const std::string& request);

    TProcessHandle Helper;
    TFileHandle Pipe;
    std::string NotStarted;
};

}  // namespace telvo::e2e
