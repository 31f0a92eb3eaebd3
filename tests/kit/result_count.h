// Counting test cases in GoogleTest's XML results, for the kit's closing line.
#pragma once

#include <string>
#include <vector>

namespace telvo::kit {

struct TResultCount {
    int Passed = 0;
    int Failed = 0;
    int Skipped = 0;
    std::vector<std::string> FailedNames;  // "Suite.Case"

    void Add(const TResultCount& other);
};

// Counts the cases of one results file that ran (a case left out by the filter or disabled is
// not counted): failed when it holds a <failure>, skipped when GoogleTest says so, passed
// otherwise. Empty text counts nothing.
TResultCount CountResults(const std::string& xml);

// "N passed, M failed, K skipped".
std::string ClosingLine(const TResultCount& count);

// The whole file, empty when it cannot be read.
std::string ReadFileText(const std::string& path);

}  // namespace telvo::kit
