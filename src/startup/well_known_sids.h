// SIDs the package asks about or hands to the system, and the access lists it builds of them,
// made in one place.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

#include "startup/win_handles.h"

namespace telvo {

// BUILTIN\Administrators (S-1-5-32-544); empty when it cannot be made.
TSid AdministratorsSid();

// LocalSystem (S-1-5-18); empty when it cannot be made.
TSid LocalSystemSid();

// An access list (ACL) that allows `rights` to each of `sids` and nothing else, in storage
// aligned for it (pass data() as a PACL); empty where it cannot be made.
std::vector<ULONGLONG> AllowingAcl(DWORD rights, std::initializer_list<PSID> sids);

}  // namespace telvo
