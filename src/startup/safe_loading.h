// Where the package may load DLLs from. It runs elevated, usually from a downloads folder that
// other programs can write to, so no DLL may come from its own folder, the current directory or
// the install folder: only from the system folder.
//
// The package binds only KERNEL32 and msvcrt at load time. Every other system function it calls
// goes through a slot of the table in system_entries.cpp, which takes the place of the import
// table's entry (the compiler calls imported functions through such a slot anyway) and is
// filled on the first call, from a DLL loaded by its full path in the system folder. Call sites
// stay plain Win32 calls.
#pragma once

namespace telvo {

// Restricts every later DLL search of the process, dependencies of loaded DLLs included, to
// the system folder (SetDefaultDllDirectories with LOAD_LIBRARY_SEARCH_SYSTEM32). Where Windows
// lacks that call (Windows 7 without update KB2533623) it at least drops the current directory
// from the search. Uses nothing but KERNEL32, so it can run before the C run-time starts.
// Returns true when SetDefaultDllDirectories restricted the search.
bool RestrictDllSearchToSystemFolder();

// The entry point `name` of the system DLL `dll` ("user32.dll"), the DLL loaded from the system
// folder by its full path. Ends the process through FatalAppExitA when either is missing: the
// package cannot go on without a function of Windows itself.
void* SystemEntry(const char* dll, const char* name);

// The same for a function that older Windows versions (or Windows-compatible systems) lack:
// nullptr where the DLL or the function is missing, for the caller to take another road.
void* OptionalSystemEntry(const char* dll, const char* name);

// A step that must come before USER32 is in the process: before anything can show a box, load
// an input method or text service, or have another program's hook DLL injected, all of which
// come with USER32. The step runs once, on the thread that is about to load USER32 through the
// package's table of system entries, or that is about to show a box (ShowBox), whichever comes
// first. Setting another step replaces one that has not run; null sets none.
using TBeforeUser32 = void (*)();
void RunBeforeUser32(TBeforeUser32 step);

// Runs that step now, if one is set and has not run yet.
void RunStepBeforeUser32();

}  // namespace telvo
