// The process's COM security. The elevated package asks the desktop shell (Explorer, a process of
// the less trusted desktop user) to start the application, and unmarshals what the shell hands
// back. COM takes the process's security from its one CoInitializeSecurity call, and sets
// defaults of its own as soon as anything marshals an interface first: an input method or text
// service loaded with the first window or box, an accessibility or other DLL injected into the
// process. The call then fails, too late. So a run that may start the application makes it on
// its main thread before anything can show a window or a box, or load a text service or a hook
// (as the package first asks for a USER32 function, safe_loading.h), and the start's thread only
// reads the outcome.
#pragma once

namespace telvo {

enum class TComSecurity {
    NotAsked,  // SetProcessComSecurity has not run: the shell is not asked
    Set,
    Refused,  // COM or its security could not be set up: the shell is not asked
};

// Initialises COM on the calling thread in the multithreaded apartment, never undone (the
// settings hold only while COM stays loaded), and sets the process's COM security: only SYSTEM and
// the elevated administrators may call into the package (it hands out no objects), calls are
// authenticated at the default level, the processes it calls may only identify it, never act as
// it, and no custom marshalling (whose unmarshaller would run inside the package). Made once
// per process; every call records the outcome and returns it. Loads OLE32, so a run that can
// start nothing never calls it.
//
// Not a single-threaded apartment: such an apartment is served through its thread's messages,
// and the main thread waits without taking any (for the start's thread, for the data file). Its
// window would also be the process's first, which under Wine waits for the desktop shell:
// measured, a suspended Explorer then held a "modest runapp" run past the start's bound. The
// start's thread enters a single-threaded apartment of its own for its calls into the shell.
TComSecurity SetProcessComSecurity();

// The recorded outcome, for any thread: NotAsked until SetProcessComSecurity ran. It is plain
// data, so a start's thread still stuck past the process's exit may read it.
TComSecurity ProcessComSecurity();

// Replaces the record, for tests; returns the previous one. The settings themselves are still
// made once per process, whatever the record says.
TComSecurity ReplaceProcessComSecurity(TComSecurity record);

}  // namespace telvo
