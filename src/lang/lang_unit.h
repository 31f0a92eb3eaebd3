// LangUnit: the application's language files for this run. It lists the install folder's
// "language\*.lng", checks each file, selects the current one (the per-user "LangFile", else the
// last file listing the user's locale, else english.lng or russian.lng by the Russian-texts
// choice) and keeps the state through which the message lookups read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "folder/install_directory.h"
#include "startup/win_handles.h"

namespace telvo {

// The unit's state: one instance for the process. Positions count from 0; -1 means none.
struct TLangUnitState {
    std::vector<std::string> LangFiles;  // usable files in examination order, case as listed
    int32_t RussianIndex = -1;
    int32_t EnglishIndex = -1;
    int32_t LocaleMatchIndex = -1;  // the last file whose langcode lines hold LocaleId
    int32_t CurrentLanguage = -1;
    int32_t LangCode = -1;  // low 16 bits: language id of every localized box
    // The install folder's "language" sub-folder, opened once through the install folder's
    // opening: every lookup opens its file relative to it, so every text comes from the folder
    // that was checked, whatever happens to the names on the way there meanwhile.
    TInstallDirectory LanguageFolder;
    // The current language file as the last lookup left it: read-only, others may read it but
    // not write it, until the next lookup, a selection or the end of the unit releases it.
    TFileHandle CurrentFile;
    // Lookups so far that could not read their file (another program held it, say), each
    // reported to the user by ReportLangFileError.
    uint32_t UnreadableLookups = 0;
};

// Owned by this unit; other units read LangCode, CurrentLanguage, LangFiles and the indices.
extern TLangUnitState LangUnit;

// Lists "language\*.lng" in `installFolder` (the run's one opening of the install folder; a
// "language" that is a link counts as missing). Needs StartupState's RussianTexts, LocaleId,
// AppName, captions and Registry. True: a current language file is selected, LocalCaption holds
// its program name and LangCode its first langcode value, and the lookups work. False: the user
// has been told through ShowErrorBox (a required file is missing, or a file is faulty; a file
// that could not be read, held by another program say, is reported by name once for each lookup
// that failed, and not called faulty) and nothing of the unit may be used. Called once.
bool LoadLanguage(const TInstallDirectory& installFolder);

// Makes LangFiles[index] the current language file (releasing the one before), sets
// LocalCaption from its "progname" and LangCode from its first "langcode" line. Returns whether
// that line is an integer; when it is not, LangCode keeps its value.
bool SelectLanguage(int32_t index);

// Releases the current language file and returns the unit to its starting state. Runs at
// process end, before DoneStartupState.
void DoneLangUnit();

}  // namespace telvo
