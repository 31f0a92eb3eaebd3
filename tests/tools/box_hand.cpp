// Answers another program's message boxes one at a time, for scripts that act between a box's
// appearance and its answer (scripts/screenshots takes its picture then). It sees the boxes of
// every process on its own desktop, so only one program should be showing boxes.
//   telvo_box wait [TIMEOUT_MS]   waits (default 60000 ms) until a message box is on screen and
//                                 drawn; prints its place, "WIDTHxHEIGHT+LEFT+TOP" in screen
//                                 pixels with its frame, then its caption, buttons and text
//                                 (UTF-8), one a line. Exit 1 when none came in time.
//   telvo_box press yes|no|ok     presses that button of the box on screen and waits until the
//                                 box is gone. Exit 1 when there is no box or no such button.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "e2e/box_window.h"
#include "startup/command_line.h"

namespace {

using namespace telvo::e2e;

constexpr DWORD kPollMs = 25;
constexpr DWORD kGoneTimeoutMs = 10000;
// What the box's thread does after the box is visible (painting its controls, the window
// surface reaching the X server) has no event another process can wait for.
constexpr DWORD kSettleMs = 400;

HWND WaitForBox(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND box = FindBox(0))
            return box;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(kPollMs);
    }
}

int Wait(DWORD timeoutMs) {
    HWND box = WaitForBox(timeoutMs);
    if (!box) {
        std::fprintf(stderr, "telvo_box: no message box within %lu ms\n", timeoutMs);
        return 1;
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_BLOCK, kGoneTimeoutMs, &ignored);
    Sleep(kSettleMs);
    RECT place{};
    GetWindowRect(box, &place);
    const TSeenBox seen = ReadBox(box);
    std::printf("%ldx%ld+%ld+%ld\n%s\n%s\n%s\n", place.right - place.left, place.bottom - place.top,
                place.left, place.top, seen.Caption.c_str(), ButtonsText(seen.Buttons).c_str(),
                seen.Text.c_str());
    return 0;
}

std::optional<TButton> ParseButton(const std::string& word) {
    if (word == "yes")
        return TButton::Yes;
    if (word == "no")
        return TButton::No;
    if (word == "ok")
        return TButton::Ok;
    return std::nullopt;
}

int Press(const std::string& word) {
    const std::optional<TButton> button = ParseButton(word);
    HWND box = FindBox(0);
    if (!button || !box || !PressButton(box, *button)) {
        std::fprintf(stderr, "telvo_box: no message box with a \"%s\" button\n", word.c_str());
        return 1;
    }
    const DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box)) {
        if (GetTickCount() - start > kGoneTimeoutMs)
            return 1;
        Sleep(kPollMs);
    }
    return 0;
}

}  // namespace

int main() {
    const std::string line = GetCommandLineA();
    const std::string command = telvo::CommandLineArgument(line, 1);
    const std::string argument = telvo::CommandLineArgument(line, 2);
    if (command == "wait")
        return Wait(argument.empty() ? 60000 : std::strtoul(argument.c_str(), nullptr, 10));
    if (command == "press")
        return Press(argument);
    std::fprintf(stderr, "usage: telvo_box wait [TIMEOUT_MS] | press yes|no|ok\n");
    return 2;
}
