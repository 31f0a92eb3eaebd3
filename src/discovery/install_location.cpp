#include "discovery/install_location.h"

#include <windows.h>

#include "discovery/path_rules.h"
#include "discovery/registry_layout.h"
#include "startup/code_page.h"
#include "startup/registry_error.h"
#include "startup/startup_state.h"
#include "startup/well_known_sids.h"
#include "startup/win_handles.h"

namespace telvo {
namespace {

// The registry object is shared by the whole process: each step closes its key on every way
// out, errors included, so that the next step starts with none open.
struct TOpenKeyScope {
    TOpenKeyScope() = default;
    ~TOpenKeyScope() { StartupState.Registry->CloseKey(); }
    TOpenKeyScope(const TOpenKeyScope&) = delete;
    TOpenKeyScope& operator=(const TOpenKeyScope&) = delete;
};

TRegistry& Registry() {
    return *StartupState.Registry;
}

std::string ProgramFilesBase() {
    TOpenKeyScope scope;
    Registry().SetRootKey(HKEY_LOCAL_MACHINE);
    Registry().OpenKey(kCurrentVersionKey, false);
    std::string base;
    if (Registry().ValueExists(kProgramFilesDirValue))
        base = Registry().ReadString(kProgramFilesDirValue);
    AddTrailingBackslash(base, AnsiLeadBytes());
    return base;
}

// The texts are not kept: a user whose shell folders cannot be read has a registry the package
// cannot work with.
bool UserShellFoldersReadable() {
    try {
        TOpenKeyScope scope;
        Registry().SetRootKey(HKEY_CURRENT_USER);
        Registry().OpenKey(std::string(kCurrentVersionKey) + kShellFoldersSubkey, false);
        for (const char* name : kShellFolderValues)
            if (Registry().ValueExists(name))
                Registry().ReadString(name);
    } catch (const ERegistryException&) {
        ShowErrorBox("No access to system registry",
                     {.Before = "Нет доступа к системному реестру"});
        return false;
    }
    return true;
}

// The install folder an uninstall entry names, or "" when the entry is missing, has no
// "UninstallString" or one that names no folder.
std::string UninstallEntryFolder(const std::string& entryKey) {
    TOpenKeyScope scope;
    Registry().SetRootKey(HKEY_LOCAL_MACHINE);
    if (!Registry().OpenKey(entryKey, false) || !Registry().ValueExists(kUninstallStringValue))
        return {};
    return UninstallFolderPart(Registry().ReadString(kUninstallStringValue), AnsiLeadBytes());
}

// Whether the process's token counts the user as a member of the local Administrators group:
// what IsUserAnAdmin answers (its documentation names it a wrapper of CheckTokenMembership and
// recommends the call itself), without loading SHELL32, which the package needs for nothing
// else. Under User Account Control only an elevated token counts.
bool CurrentUserIsAdministrator() {
    const TSid administrators = AdministratorsSid();
    if (!administrators)
        return false;
    BOOL member = FALSE;
    return CheckTokenMembership(nullptr, administrators.get(), &member) && member;
}

}  // namespace

bool DiscoverInstallLocation() {
    const std::string base = ProgramFilesBase();
    StartupState.IsAdmin = CurrentUserIsAdministrator();
    if (!UserShellFoldersReadable())
        return false;

    // The prefix names the entry the folder came from, so that the installed size goes to the
    // entry every reader of it looks at: a 32-bit installer's entry under "WOW6432Node\" gets
    // it there, and no second entry appears in the other registry view.
    const std::string prefix = std::string(kCurrentVersionKey) + kUninstallSubkey;
    const std::string wowPrefix = Wow6432KeyPath(prefix);
    const std::string& appName = StartupState.AppName;
    StartupState.UninstallKeyPrefix = prefix;
    std::string folder = UninstallEntryFolder(prefix + appName);
    if (folder.empty()) {
        folder = UninstallEntryFolder(wowPrefix + appName);
        if (!folder.empty())
            StartupState.UninstallKeyPrefix = wowPrefix;
    }
    if (folder.empty())
        folder = base + appName;
    AddTrailingBackslash(folder, AnsiLeadBytes());
    StartupState.InstallFolder = folder;
    return true;
}

void OpenUserKey() {
    // A failed open leaves no key open, which is all the callers need: their lookups then find
    // nothing.
    Registry().SetRootKey(HKEY_CURRENT_USER);
    Registry().OpenKey(kUserKeyBase + StartupState.AppName, true);
}

}  // namespace telvo
