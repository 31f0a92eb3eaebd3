// Answers another program's message boxes one at a time, for scripts that act between a box's
// appearance and its answer (scripts/screenshots takes its picture then). It sees the boxes of
// every process on its own desktop, so only one program should be showing boxes.
//   telvo_box wait [TIMEOUT_MS]   waits (default 60000 ms) until a message box is on screen and
//                                 drawn; prints its place, "WIDTHxHEIGHT+LEFT+TOP" in screen
//                                 pixels with its frame, then its caption, buttons and text
//                                 (UTF-8), one a line. Exit 1 when none came in time.
//   telvo_box press yes|no|ok     presses that button of the box on screen and waits until the
//                                 box is gone. Exit 1 when there is no box or no such button.
//   telvo_box serve PIPE PARENT   the box bot's hand for the boxes the system draws on Windows
//                                 (e2e/system_hand.h), started at System integrity: answers
//                                 "read HWND" and "press HWND ok|yes|no" on the named pipe PIPE
//                                 until process PARENT ends, then presses OK on every box of
//                                 the system that came after its start.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "e2e/box_window.h"
#include "startup/command_line.h"
#include "startup/win_handles.h"

namespace {

using namespace telvo::e2e;
using telvo::CommandLineArgument;

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

// The boxes the system drew since `before`, answered: none of the tests' may stay on the screen,
// the system shows them one at a time and a later run's box would wait behind it.
void PressLeftOverBoxes(const std::set<HWND>& before) {
    TBoxOwner owner = TBoxOwner::None;
    std::set<HWND> pressed;
    while (HWND box = FindRunsBox(0, SystemBoxProcess(), before, pressed, owner)) {
        PressButton(box, TButton::Ok);
        pressed.insert(box);
    }
}

std::string Answer(const std::string& request) {
    HWND box = reinterpret_cast<HWND>(static_cast<uintptr_t>(
        std::strtoull(CommandLineArgument(request, 1).c_str(), nullptr, 10)));
    if (!IsWindow(box))
        return "the box is gone";
    if (CommandLineArgument(request, 0) == "read") {
        const TSeenBox seen = ReadBox(box);
        return seen.Caption + '\0' + seen.Text + '\0' + ButtonsText(seen.Buttons) + '\0' +
               seen.Icon + '\0';
    }
    const std::optional<TButton> button = ParseButton(CommandLineArgument(request, 2));
    if (!button || !PressButton(box, *button))
        return "pressing " + CommandLineArgument(request, 2) + " failed, error " +
               std::to_string(GetLastError());
    return "pressed";
}

std::set<HWND> Before;  // the system's boxes on the screen when the hand started
telvo::TProcessHandle Parent;

// The test program may end without a word, at any moment.
DWORD WINAPI EndWithTheParent(void*) {
    WaitForSingleObject(Parent.get(), INFINITE);
    PressLeftOverBoxes(Before);
    ExitProcess(0);
}

int Serve(const std::string& pipeName, DWORD parentId) {
    Before = BoxesOf(SystemBoxProcess());
    Parent.reset(OpenProcess(SYNCHRONIZE, FALSE, parentId));
    // The box bot runs elevated: SYSTEM and the Administrators only, labelled High so that it
    // may write.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!Parent ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:P(A;;GA;;;SY)(A;;GA;;;BA)S:(ML;;NW;;;HI)", SDDL_REVISION_1, &descriptor, nullptr))
        return 1;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const telvo::TFileHandle pipe(CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_DUPLEX,
                                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1,
                                                   16384, 4096, 0, &attributes));
    LocalFree(descriptor);
    if (!pipe)
        return 1;
    const telvo::TProcessHandle watcher(
        CreateThread(nullptr, 0, EndWithTheParent, nullptr, 0, nullptr));
    if (ConnectNamedPipe(pipe.get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
        char request[512];
        DWORD got = 0, written = 0;
        while (ReadFile(pipe.get(), request, sizeof request, &got, nullptr)) {
            const std::string reply = Answer(std::string(request, got));
            WriteFile(pipe.get(), reply.data(), static_cast<DWORD>(reply.size()), &written,
                      nullptr);
        }
    }
    PressLeftOverBoxes(Before);
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
    if (command == "serve")
        return Serve(argument,
                     std::strtoul(telvo::CommandLineArgument(line, 3).c_str(), nullptr, 10));
    std::fprintf(stderr,
                 "usage: telvo_box wait [TIMEOUT_MS] | press yes|no|ok | serve PIPE PARENT\n");
    return 2;
}
