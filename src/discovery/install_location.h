// Install location discovery: where the installed application lies, whether the user is an
// administrator, and the application's per-user key.
#pragma once

namespace telvo {

// Needs StartupState's Registry, AppName and captions. On true, IsAdmin, UninstallKeyPrefix
// and InstallFolder (ending in a backslash) are set: from the uninstall entry's
// "UninstallString", else from its "WOW6432Node\" twin, else ProgramFilesDir + AppName.
// UninstallKeyPrefix + AppName is the entry the folder came from: the twin's prefix
// (Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\) when the twin named it,
// otherwise the normal one, also when no entry named a folder. On false the user's registry
// could not be read, the "No access to system registry" box has been shown and the caller ends
// the run. A value of the wrong type in ProgramFilesDir or an "UninstallString" raises
// ERegistryException to the caller. No key is left open either way.
bool DiscoverInstallLocation();

// Opens the per-user key "Software\Tamrel\" + AppName under HKEY_CURRENT_USER on Registry,
// creating it when it is missing, and leaves it open for the caller, who reads its values and
// closes it. When it can be neither opened nor created no key is open, so the caller's lookups
// find nothing.
void OpenUserKey();

}  // namespace telvo
