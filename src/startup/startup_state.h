// TStartupState: the one process-wide record of what the package knows about its surroundings,
// and ShowErrorBox, the error box for failures that must be reported whether or not a language
// file could be read.
//
// Filled in three stages: InitStartupState (locale, Russian-texts choice, command word,
// registry object), the update flow (application name, captions), install location discovery
// (install folder, uninstall key prefix, administrator flag).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "startup/registry.h"
#include "startup/russian_texts.h"

namespace telvo {

struct TStartupState {
    uint32_t LocaleId = 0;
    bool RussianTexts = false;  // built-in texts in Russian (code page 1251)
    std::string CommandWord;    // first argument, A-Z lower-cased
    std::unique_ptr<TRegistry> Registry;
    std::string AppName;
    std::string LocalCaption;  // Russian error boxes; later the language file's program name
    bool LocalCaptionFromLangFile = false;  // in the ANSI code page, else in code page 1251
    std::string EnglishCaption;             // English error boxes
    std::string InstallFolder;              // ends in a backslash once set, unless empty
    // With AppName appended, the uninstall entry the install folder came from (under
    // "WOW6432Node\" when a 32-bit installer wrote it), where the installed size is recorded.
    std::string UninstallKeyPrefix;
    bool IsAdmin = true;
};

extern TStartupState StartupState;

// Runs once, before the language unit starts and the update flow begins.
void InitStartupState();

// The package's command line in the ANSI code page, each character that the code page cannot
// spell exactly given as "?". The package's own path comes first, from a folder that anyone
// may have named: the system's own conversion would give a look-alike for such a character,
// and a full-width quotation mark in a folder's name would become a '"' that moves the words
// after it.
std::string PackageCommandLine();

// Runs once at process end, after the language unit has finished: frees the registry object
// (closing a key still open) and empties the strings.
void DoneStartupState();

// Shows exactly one of the two texts: the Russian one through MessageBoxExW with LocalCaption and
// language id 0x19 when RussianTexts is set, so that the system words the button in Russian;
// otherwise the English one through MessageBoxA with EnglishCaption. The Russian text and a
// built-in caption are converted from code page 1251, names in them and a language file's
// caption from the ANSI code page, so they read the same whatever that code page is. Returns
// when the user has closed the box.
void ShowErrorBox(const std::string& english, const TRussianText& russian);

}  // namespace telvo
