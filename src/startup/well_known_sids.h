// SIDs the package asks about or hands to the system, made in one place.
#pragma once

#include "startup/win_handles.h"

namespace telvo {

// BUILTIN\Administrators (S-1-5-32-544); empty when it cannot be made.
TSid AdministratorsSid();

}  // namespace telvo
