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
    int ExitCode = -1;  // -1 when the program could not be started or did not end in time
    std::vector<TSeenBox> Boxes;
};

// Starts `commandLine`, answers its boxes in order with `answers` (OK, or No where there is no
// OK, once the list has run out) and waits for the program to end, at most `timeoutMs`.
TBotRun RunAnsweringBoxes(const std::string& commandLine, const std::vector<TButton>& answers,
                          uint32_t timeoutMs = 60000);

}  // namespace telvo::e2e
