#include "lang/lang_unit.h"

#include <optional>

#include "discovery/install_location.h"
#include "discovery/registry_layout.h"
#include "lang/builtin_texts.h"
#include "lang/lang_folder.h"
#include "lang/lang_text.h"
#include "lang/message_texts.h"
#include "startup/code_page.h"
#include "startup/registry_error.h"
#include "startup/startup_state.h"

namespace telvo {

TLangUnitState LangUnit;

namespace {

void ShowBilingualError(const TBilingualText& text) {
    ShowErrorBox(text.English, text.Russian);
}

// Every entry the listing gives for "*.lng", directories and hidden files included; those that a
// short name alone brought in are dropped by MakeLangList. A name the code page cannot spell
// keeps a "?" in its place, so its lookups fail and report it by name.
std::vector<std::string> ListLangFolder() {
    std::vector<std::string> names;
    for (const TInstallDirectory::TEntry& entry : LangUnit.LanguageFolder.Entries(L"*.lng"))
        names.push_back(AnsiOrQuestionMarks(entry.Name));
    return names;
}

// Whether every value of the file that must be an integer is one; notes the file as the locale
// match when one of its langcode lines is the user's locale. Stops at the first faulty value.
bool CheckLangFile(int32_t index) {
    if (!SelectLanguage(index))
        return false;
    if (!ParseLangInteger(LangLine("langver")))
        return false;
    for (const std::string& line : SplitAtLineBreaks(LangLines("langcode"))) {
        const std::optional<int32_t> code = ParseLangInteger(line);
        if (!code)
            return false;
        if (static_cast<uint32_t>(*code) == StartupState.LocaleId)
            LangUnit.LocaleMatchIndex = index;
    }
    return true;
}

// Stops at the first file that fails its check. Only a file whose check could read every file
// it looked in is called faulty ("please reinstall"): one that another program holds (or whose
// fallback file it holds) is no broken file; the user has been told which file could not be
// read, and closing that program and running again cures it.
bool CheckLangFiles() {
    for (int32_t i = 0; i < static_cast<int32_t>(LangUnit.LangFiles.size()); ++i) {
        const uint32_t unreadableBefore = LangUnit.UnreadableLookups;
        const bool sound = CheckLangFile(i);
        ReleaseCurrentLangFile();
        if (!sound) {
            if (LangUnit.UnreadableLookups == unreadableBefore)
                ShowBilingualError(FaultyLangFileText(LangUnit.LangFiles[i]));
            return false;
        }
    }
    return true;
}

void SelectByLocale() {
    if (LangUnit.LocaleMatchIndex != -1) {
        SelectLanguage(LangUnit.LocaleMatchIndex);
    } else {
        SelectLanguage(StartupState.RussianTexts ? LangUnit.RussianIndex : LangUnit.EnglishIndex);
    }
}

// The per-user "LangFile", or nullopt when there is none. A value of another type than string
// counts as absent: the user's old choice must not stop the update.
std::optional<std::string> UserLangFile() {
    std::optional<std::string> chosen;
    OpenUserKey();
    TRegistry& registry = *StartupState.Registry;
    try {
        if (registry.ValueExists(kLangFileValue))
            chosen = registry.ReadString(kLangFileValue);
    } catch (const ERegistryException&) {
    }
    registry.CloseKey();
    return chosen;
}

void SelectByUserChoice() {
    const std::optional<std::string> chosen = UserLangFile();
    if (!chosen || *chosen == LangUnit.LangFiles[LangUnit.CurrentLanguage])
        return;
    const int32_t index = FindLangFile(LangUnit.LangFiles, *chosen);
    if (index != -1)
        SelectLanguage(index);
}

}  // namespace

bool SelectLanguage(int32_t index) {
    ReleaseCurrentLangFile();
    LangUnit.CurrentLanguage = index;
    StartupState.LocalCaption = LangLine("progname");
    StartupState.LocalCaptionFromLangFile = true;
    const std::optional<int32_t> code = ParseLangInteger(LangLine("langcode"));
    if (code)
        LangUnit.LangCode = *code;
    return code.has_value();
}

bool LoadLanguage(const TInstallDirectory& installFolder) {
    LangUnit.LanguageFolder = installFolder.OpenFolder(L"language");
    TLangList list = MakeLangList(ListLangFolder());
    const std::string missing = MissingRequiredLangFile(list, StartupState.RussianTexts);
    LangUnit.LangFiles = std::move(list.Files);
    LangUnit.RussianIndex = list.RussianIndex;
    LangUnit.EnglishIndex = list.EnglishIndex;
    if (!missing.empty()) {
        ShowBilingualError(MissingLangFileText(missing));
        return false;
    }
    if (!CheckLangFiles())
        return false;
    SelectByLocale();
    SelectByUserChoice();
    return true;
}

void DoneLangUnit() {
    LangUnit = TLangUnitState{};
}

}  // namespace telvo
