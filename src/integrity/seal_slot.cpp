// The reserved slot that the build fills in after linking (see integrity/seal.h). It is linked
// straight into the package, never through a library, so that it is always there; "used" keeps
// it although no code reads it: the check reads the file, not the image.
#include "integrity/seal.h"

extern "C" __attribute__((section(".seal"), used))
// NOLINTNEXTLINE(readability-identifier-naming): a C symbol, named like the entry TelvoStartup.
const telvo::TSealSlot TelvoSealSlot = {"TelvoSealXXH128", {}, 0, 0};
