// GetFolderSize: the installed size that the update records in the uninstall entry.
#pragma once

#include <cstdint>
#include <string>

namespace telvo {

// The total size of every file anywhere under `folder` (with or without a trailing
// backslash), hidden and system files included, in units of 1024 bytes with the remainder
// dropped. The total is summed in 32 bits from each size's low 32 bits and wraps modulo 4 GiB.
// Folders that cannot be listed, and links to folders, add nothing. Returns -1 when `folder`
// is empty or does not name an existing folder. Shows nothing.
int32_t GetFolderSize(const std::string& folder);

}  // namespace telvo
