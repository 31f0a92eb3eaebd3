#include "e2e/box_bot.h"

#include <windows.h>

#include <set>
#include <vector>

#include "startup/win_handles.h"
#include "support/processes.h"

namespace telvo::e2e {
namespace {

TButton Choose(const TSeenBox& seen, const std::vector<TButton>& answers, size_t index) {
    if (index < answers.size())
        return answers[index];
    for (TButton b : seen.Buttons)
        if (b == TButton::Ok)
            return b;
    return TButton::No;
}

}  // namespace

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
        HWND box = FindBox(processId, handled);
        if (!box)
            continue;
        Sleep(50);  // let the box finish drawing its controls
        TSeenBox seen = ReadBox(box);
        seen.Pressed = Choose(seen, answers, run.Boxes.size());
        PressButton(box, seen.Pressed);
        handled.insert(box);
        run.Boxes.push_back(std::move(seen));
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    run.ExitCode = static_cast<int>(code);
    return run;
}

}  // namespace telvo::e2e
