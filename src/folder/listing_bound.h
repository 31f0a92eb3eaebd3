// How far a listing of the install folder may go: the size walk's, and the writer's look for
// its leftovers. A folder that a user may write can hold millions of entries, or gain them while
// it is listed; the application's own tree holds a few thousand.
#pragma once

#include <cstdint>
#include <functional>

namespace telvo {

constexpr uint32_t kWalkEntryLimit = 100000;
constexpr uint32_t kWalkTimeLimitMs = 10000;  // the caller's clock decides (TWalkBound::Expired)

struct TWalkBound {
    // Entries a walk may meet, files and folders of every listing, "." and ".." left out.
    uint32_t MaxEntries = kWalkEntryLimit;
    // Asked at every entry: true once the walk's time is up. Empty: never.
    std::function<bool()> Expired;
};

}  // namespace telvo
