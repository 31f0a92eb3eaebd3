// The road of an error that nothing catches: the "Application Error" box (style 0x2010) and
// exit code 1. C++ exceptions and hardware exceptions (an access violation, say) take the same
// road, so the system's crash dialog never appears.
#pragma once

#include <functional>

namespace telvo {

constexpr int kExitUncaughtError = 1;

// Runs `body` and returns its exit code. An exception that escapes it, or a hardware exception
// anywhere in the process, shows the "Application Error" box and ends the process with code 1.
int RunGuarded(const std::function<int()>& body);

}  // namespace telvo
