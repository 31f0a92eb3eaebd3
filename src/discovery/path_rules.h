// Folder rules every path of the package passes through. Pure: no Windows calls.
#pragma once

#include <string>

namespace telvo {

// Appends one backslash to a non-empty text that does not already end in one; an empty text
// stays empty (so "C:" becomes "C:\" and "C:\" stays as it is).
void AddTrailingBackslash(std::string& folder);

}  // namespace telvo
