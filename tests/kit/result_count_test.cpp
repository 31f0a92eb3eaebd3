#include "kit/result_count.h"

#include <gtest/gtest.h>

namespace telvo::kit {
namespace {

// The shapes GoogleTest writes: a passed case, a failed one, a skipped one, a disabled one
// (not run), a failure outside any test, and a skip message that looks like a failure.
TEST(KitResultCountTest, CountsOnlyCasesThatRanByOutcome) {
    const std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="6" failures="2" disabled="1" errors="0" time="0.1" name="AllTests">
  <testsuite name="A" tests="4" failures="1" disabled="1" skipped="1" errors="0" time="0.1">
    <testcase name="Passes" file="a.cpp" line="1" status="run" result="completed" time="0" classname="A" />
    <testcase name="Fails" file="a.cpp" line="2" status="run" result="completed" time="0" classname="A">
      <failure message="a.cpp:2&#x0A;Expected &lt;failure&gt;" type=""><![CDATA[a.cpp:2
Expected equality]]></failure>
    </testcase>
    <testcase name="Skips" file="a.cpp" line="3" status="run" result="skipped" time="0" classname="A">
      <skipped message="a.cpp:3&#x0A;no &lt;failure&gt; here"><![CDATA[a.cpp:3
<failure> is only text here]]></skipped>
    </testcase>
    <testcase name="DISABLED_Off" file="a.cpp" line="4" status="notrun" result="suppressed" time="0" classname="A" />
  </testsuite>
  <testsuite name="NonTestSuiteFailure" tests="1" failures="1" disabled="0" skipped="0" errors="0" time="0">
    <testcase name="" status="run" result="completed" classname="" time="0">
      <failure message="setup" type=""><![CDATA[setup]]></failure>
    </testcase>
  </testsuite>
</testsuites>
)";
    const TResultCount count = CountResults(xml);
    EXPECT_EQ(count.Passed, 1);
    EXPECT_EQ(count.Failed, 2);
    EXPECT_EQ(count.Skipped, 1);
    EXPECT_EQ(count.FailedNames, (std::vector<std::string>{"A.Fails", "."}));
    EXPECT_EQ(ClosingLine(count), "1 passed, 2 failed, 1 skipped");
    EXPECT_EQ(ClosingLine(CountResults("")), "0 passed, 0 failed, 0 skipped");
}

}  // namespace
}  // namespace telvo::kit
