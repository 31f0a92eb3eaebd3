#include "startup/attendance.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

// Every combination of station, session and Windows version, with the verdict.
TEST(AttendanceTest, HiddenStationOrServiceSessionMeansNobodyCanAnswer) {
    struct TCase {
        bool Visible;
        uint32_t Session;
        uint32_t Major;
        bool Unattended;
    };
    const TCase cases[] = {
        {true, 1, 6, false},  // a user's desktop on Windows 7 to 11
        {true, 0, 6, true},   // a service's session on Vista or later
        {true, 0, 10, true},  // (Windows 10 with a manifest that names it)
        {true, 0, 5, false},  // Windows XP: session 0 is the console's
        {true, 2, 5, false},  // XP, a remote session
        {false, 1, 6, true},  // a hidden station in a user's session
        {false, 0, 5, true},  // a hidden station on XP
        {false, 0, 6, true},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(IsUnattended({c.Visible, c.Session, c.Major}), c.Unattended)
            << "visible " << c.Visible << ", session " << c.Session << ", Windows " << c.Major;
}

// A disconnected session stops only a silent run from waiting for an answer.
TEST(AttendanceTest, SilentRunInADisconnectedSessionHasNobodyToAnswer) {
    EXPECT_TRUE(IsUnattended({true, 2, 10, true, true}));
    EXPECT_FALSE(IsUnattended({true, 2, 10, false, true}));  // its user started it, and may return
    EXPECT_FALSE(IsUnattended({true, 2, 10, true, false}));
}

}  // namespace
}  // namespace telvo
