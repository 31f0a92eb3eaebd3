#include "e2e/box_bot.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "e2e/system_hand.h"
#include "startup/win_handles.h"
#include "support/processes.h"

namespace telvo::e2e {
namespace {

// How long a pressed box may take to go; one that stays was not pressed.
constexpr DWORD kGoneMs = 5000;

TButton Choose(const TSeenBox& seen, const std::vector<TButton>& answers, size_t index) {
    if (index < answers.size())
        return answers[index];
    for (TButton b : seen.Buttons)
        if (b == TButton::Ok)
            return b;
    return TButton::No;
}

bool WaitUntilGone(HWND box) {
    for (DWORD waited = 0; IsWindow(box) && IsWindowVisible(box); waited += 25) {
        if (waited >= kGoneMs)
            return false;
        Sleep(25);
    }
    return true;
}

}  // namespace

TBotRun RunAnsweringBoxes(const std::string& commandLine, const std::vector<TButton>& answers,
                          uint32_t timeoutMs) {
    TBotRun run;
    // The system's boxes showing already are earlier runs': this run's come after.
    const DWORD systemBoxes = SystemBoxProcess();
    const std::set<HWND> before = BoxesOf(systemBoxes);
    uint32_t processId = 0;
    TProcessHandle process = test::StartProcess(commandLine, &processId);
    if (!process)
        return run;

    std::set<HWND> handled;
    const DWORD start = GetTickCount();
    std::string failure;  // why a box of the run could not be answered
    bool ended = false;   // the run was ended early: failure, Unanswered or the time limit
    while (!ended && WaitForSingleObject(process.get(), 25) == WAIT_TIMEOUT) {
        TBoxOwner owner = TBoxOwner::None;
        HWND box = FindRunsBox(processId, systemBoxes, before, handled, owner);
        if (GetTickCount() - start > timeoutMs)
            ended = true;
        if (ended || !box)
            continue;
        Sleep(50);  // let the box finish drawing its controls
        handled.insert(box);
        TSystemHand* hand = owner == TBoxOwner::System ? &TSystemHand::Get() : nullptr;
        if (hand && !hand->Why().empty()) {
            run.Unanswered = hand->Why();
            ended = true;
            continue;
        }
        std::optional<TSeenBox> seen = hand ? hand->Read(box) : ReadBox(box);
        if (!seen) {
            failure = "a box drawn by the system could not be read";
            ended = true;
            continue;
        }
        seen->Pressed = Choose(*seen, answers, run.Boxes.size());
        const std::string notPressed = hand ? hand->Press(box, seen->Pressed)
                                       : PressButton(box, seen->Pressed)
                                           ? ""
                                           : "error " + std::to_string(GetLastError());
        if (!notPressed.empty() || !WaitUntilGone(box)) {
            failure = "the box \"" + seen->Caption + "\" could not be answered " +
                      ButtonsText({seen->Pressed}) + " (" +
                      (notPressed.empty() ? "it stayed on the screen" : notPressed) + ")";
            ended = true;
        }
        run.Boxes.push_back(std::move(*seen));
    }
    if (ended) {
        TerminateProcess(process.get(), 255);
        WaitForSingleObject(process.get(), 5000);
    }
    if (!failure.empty())
        ADD_FAILURE() << failure << "; the package's run was ended there";
    // A box the system still shows for this run (its package ended while the box was up) would
    // stay, and hold up the next run's.
    if (systemBoxes && run.Unanswered.empty())
        for (HWND box : BoxesOf(systemBoxes))
            if (!before.count(box))
                TSystemHand::Get().Press(box, TButton::Ok);
    DWORD code = 0;
    if (!ended && GetExitCodeProcess(process.get(), &code))
        run.ExitCode = static_cast<int>(code);
    return run;
}

}  // namespace telvo::e2e
