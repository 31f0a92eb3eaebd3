// Waiting for a file that another process still holds open: a fixed number of attempts a fixed
// time apart. The application asked to quit closes its data file only when it has ended, so a
// silent update would otherwise fail on nearly every run.
#pragma once

#include <cstdint>

namespace telvo {

constexpr int kFileInUseAttempts = 17;
constexpr uint32_t kFileInUseRetryDelayMs = 256;
// The longest a single rename or delete may be held up by another process: as long as the whole
// wait's attempts (written out for the deployment page's check of the bounds).
constexpr uint32_t kFileCallBoundMs = 17 * 256;
static_assert(kFileCallBoundMs == kFileInUseAttempts * kFileInUseRetryDelayMs);

enum class TAttemptResult {
    Done,    // the work succeeded
    InUse,   // another process holds the file; worth another attempt
    Failed,  // failed for a reason waiting does not cure
    // another process held a call up past its bound, which was the whole wait: no further
    // attempt
    HeldPastBound,
};

// Runs `attempt` until it is not InUse, at most `attempts` times, calling `wait` between two
// attempts (never after the last one). Returns the last attempt's result.
template <typename Attempt, typename Wait>
TAttemptResult RetryWhileInUse(Attempt&& attempt, Wait&& wait, int attempts = kFileInUseAttempts) {
    TAttemptResult result = TAttemptResult::InUse;
    for (int i = 0; i < attempts; ++i) {
        if (i > 0)
            wait();
        result = attempt();
        if (result != TAttemptResult::InUse)
            break;
    }
    return result;
}

}  // namespace telvo
