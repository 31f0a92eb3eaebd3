// What tells one file from another, and whether a volume is one the system marks remote: the
// questions the writer asks after a rename reported as failed, before it deletes anything.
#pragma once

#include <windows.h>

#include <optional>

#include "folder/folder_rules.h"

namespace telvo {

// The identity of the open file behind `handle`: its 128-bit id where the system gives one
// (Windows 8 on), else its 64-bit index; nullopt where the system gives neither.
std::optional<TFileIdentity> IdentityOf(HANDLE handle);

// True when the system marks the volume of the open `handle` remote (a network share, a
// redirector), or cannot say that it is not.
bool IsOnRemoteVolume(HANDLE handle);

}  // namespace telvo
