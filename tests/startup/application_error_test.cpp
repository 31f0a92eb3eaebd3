#include "startup/application_error.h"

#include <gtest/gtest.h>

#include "support/processes.h"

namespace telvo {
namespace {

struct TRoadResult {
    int ExitCode;
    std::string Record;  // caption, style and text of the box, one per line
};

TRoadResult TakeTheRoad(const std::string& mode) {
    const std::string record = test::FreshTempFolder("error-road-" + mode) + "box.txt";
    const int code = test::RunAndWait("\"" + test::TestBinFolder() + "error_road_probe.exe\" " +
                                      mode + " \"" + record + "\"");
    return {code, test::ReadWholeFile(record)};
}

// A registry error that nothing catches ends in the "Application Error" box with exit code 1.
TEST(ApplicationErrorRoadTest, UncaughtRegistryErrorEndsWithExitCode1) {
    const TRoadResult r = TakeTheRoad("registry");
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Record.substr(0, r.Record.find('\n', r.Record.find('\n') + 1) + 1),
              "Application Error\n0x2010\n");
    EXPECT_NE(r.Record.find("Exception ERegistryException in module error_road_probe.exe at "),
              std::string::npos)
        << r.Record;
    EXPECT_NE(r.Record.find(".\r\nFailed to get data for 'NoSuchValueAnywhere'.\r\n"),
              std::string::npos)
        << r.Record;
}

// A hardware exception takes the same road instead of the system's crash dialog.
TEST(ApplicationErrorRoadTest, AccessViolationEndsWithExitCode1) {
    const TRoadResult r = TakeTheRoad("access-violation");
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Record.rfind("Application Error\n0x2010\nException EAccessViolation in module "
                             "error_road_probe.exe at ",
                             0),
              0u)
        << r.Record;
    EXPECT_NE(r.Record.find("Write of address 00000000.\r\n"), std::string::npos) << r.Record;
}

TEST(ApplicationErrorRoadTest, OtherErrorsTakeTheSameRoad) {
    const TRoadResult r = TakeTheRoad("std");
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Record.find("Exception std::logic_error in module "), std::string::npos)
        << r.Record;
    EXPECT_NE(r.Record.find("plain failure.\r\n"), std::string::npos) << r.Record;
}

TEST(ApplicationErrorRoadTest, OrderlyEndShowsNothing) {
    const TRoadResult r = TakeTheRoad("none");
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Record, "");
}

}  // namespace
}  // namespace telvo
