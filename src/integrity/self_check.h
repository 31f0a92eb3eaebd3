// The package's check of its own file against the seal the build wrote into it.
#pragma once

#include <string>

namespace telvo {

enum class TSelfCheck {
    Valid,
    Unreadable,  // the file cannot be opened or read
    NoSeal,      // no slot, or the build never sealed it
    Broken,      // the digest differs: the file was changed, truncated or extended
};

// Checks the file the running package was started from. Its open never waits for another
// process; a file that another process holds (under an opportunistic lock whose break is under
// way, or opened without sharing it for reading) is waited for kFileInUseAttempts times,
// kFileInUseRetryDelayMs apart, and held past that is Unreadable.
TSelfCheck CheckOwnSeal();

// Checks any sealed file (tests check copies and damaged versions of the package).
TSelfCheck CheckFileSeal(const std::string& path);

}  // namespace telvo
