// Starting helper programs from tests and waiting for them.
#pragma once

#include <cstdint>
#include <string>

#include "startup/win_handles.h"

namespace telvo::test {

// Folder of the build tree that holds the test programs, with a trailing backslash.
std::string TestBinFolder();

// The Windows path (through drive Z:) of a file of the source tree, given relative to its top
// with forward slashes; CTest passes the tree's place in TELVO_SOURCE_DIR. Without it (the test
// kit on Windows) the file is looked for relative to the folder above TestBinFolder().
std::string SourceTreePath(const std::string& relative);

// The same for a file of the build tree (TELVO_BUILD_DIR).
std::string BuildTreePath(const std::string& relative);

// Starts the command line (no window of its own, environment inherited) and returns the
// process, empty when it could not be started; `processId` receives its id when given.
// `desktop` ("station\\desktop") places it elsewhere than on the caller's desktop.
TProcessHandle StartProcess(const std::string& commandLine, uint32_t* processId = nullptr,
                            const std::string& desktop = "");

// Runs the command line, waits for it (at most `timeoutMs`) and returns its exit code;
// -1 when it could not be started or did not end in time (it is then killed).
int RunAndWait(const std::string& commandLine, uint32_t timeoutMs = 30000,
               const std::string& desktop = "");

// The desktop of a window station that no user sees, as a service's is: made once per test
// process, without WSF_VISIBLE. A message box shown there is never answered, so whatever runs
// there must be waited for with a time limit.
std::string HiddenDesktop();

// A fresh, empty folder under the prefix's temporary folder, with a trailing backslash.
std::string FreshTempFolder(const std::string& name);

std::string ReadWholeFile(const std::string& path);

}  // namespace telvo::test
