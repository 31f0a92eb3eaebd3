// GetFolderSize: the installed size that the update records in the uninstall entry.
#pragma once

#include <cstdint>

#include "install/folder_walk.h"
#include "folder/install_directory.h"

namespace telvo {

// The total size of every file anywhere under `folder` (the run's one opening of the install
// folder), hidden and system files included, in units of 1024 bytes with the remainder dropped.
// The total is summed in 32 bits from each size's low 32 bits and wraps modulo 4 GiB. Every
// sub-folder is opened relative to its parent's handle; folders that cannot be opened or
// listed, and links to folders (symbolic links, junctions, mount points), add nothing. Returns
// -1 when `folder` is not open, and when the walk meets more than kWalkEntryLimit entries or
// takes longer than kWalkTimeLimitMs: no size rather than a part of one. Shows nothing.
int32_t GetFolderSize(const TInstallDirectory& folder);

// The same within another bound.
int32_t GetFolderSize(const TInstallDirectory& folder, const TWalkBound& bound);

}  // namespace telvo
