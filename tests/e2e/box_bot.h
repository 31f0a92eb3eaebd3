// Runs a program and answers its message boxes the way a person would: finds each box the
// program shows, records its caption, text, buttons and icon, and presses the answer the
// scenario gives. Texts are recorded in UTF-8, whatever the ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "e2e/box_window.h"

namespace telvo::e2e {

struct TBotRun {
    int ExitCode =
        -1;  // -1 when the program could not be started, was ended or did not end in time
    std::vector<TSeenBox> Boxes;
    // Why the run was ended at its first box that the system draws (box_rule.h), where this
    // Windows gave the tests no hand for those; empty otherwise.
    std::string Unanswered;
};

// Starts `commandLine`, answers its boxes in order with `answers` (OK, or No where there is no
// OK, once the list has run out) and waits for the program to end, at most `timeoutMs`. The
// package's own boxes are pressed from here, those the system draws for it through TSystemHand.
// A box that cannot be read or pressed ends the program at once, as a test failure that says
// so; one of the system's without a hand, with Unanswered set. No box of the run stays.
TBotRun RunAnsweringBoxes(const std::string& commandLine, const std::vector<TButton>& answers,
                          uint32_t timeoutMs = 60000);

// Ends the case as skipped, with the reason, after a run that met a box this Windows gave the
// tests no way to answer: what follows would check a run that was cut short.
#define TELVO_SKIP_UNANSWERED(run) \
    if (!(run).Unanswered.empty()) \
    GTEST_SKIP() << (run).Unanswered

}  // namespace telvo::e2e
