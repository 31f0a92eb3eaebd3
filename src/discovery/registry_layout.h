// Where the package finds things in the registry: the one place its registry layout is set
// down. Every path is relative to the root key named beside it and is reached through
// StartupState.Registry, so on 64-bit Windows it lies in the 64-bit view.
#pragma once

namespace telvo {

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER: the system's settings. Opened with its trailing
// backslash; the other pieces are appended to it.
constexpr char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\";
// HKEY_LOCAL_MACHINE, kCurrentVersionKey: the base of the default install folder.
constexpr char kProgramFilesDirValue[] = "ProgramFilesDir";
// HKEY_CURRENT_USER, kCurrentVersionKey + kShellFoldersSubkey: values that must be readable as
// strings when present, or the user's registry counts as unusable.
constexpr char kShellFoldersSubkey[] = "Explorer\\Shell Folders";
constexpr const char* kShellFolderValues[] = {"Programs", "Desktop", "Startup"};
// HKEY_LOCAL_MACHINE, kCurrentVersionKey + kUninstallSubkey + AppName: the uninstall entry, also
// under its "WOW6432Node\" twin where 32-bit installers on 64-bit Windows put it. The installed
// size goes to the one of the two that named the install folder (the normal one when neither
// did).
constexpr char kUninstallSubkey[] = "Uninstall\\";
constexpr char kUninstallStringValue[] = "UninstallString";
constexpr char kEstimatedSizeValue[] = "EstimatedSize";  // REG_DWORD, units of 1024 bytes
// HKEY_CURRENT_USER, kUserKeyBase + AppName: the application's per-user key.
constexpr char kUserKeyBase[] = "Software\\Tamrel\\";
constexpr char kLastRunFolderValue[] = "TheLastRunFolder";  // replaces the install folder
constexpr char kLangFileValue[] = "LangFile";               // name of the chosen language file

}  // namespace telvo
