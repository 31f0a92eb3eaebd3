#include "lang/message_texts.h"

#include <windows.h>

#include <optional>

#include "lang/builtin_texts.h"
#include "lang/lang_text.h"
#include "lang/lang_unit.h"
#include "startup/code_page.h"
#include "startup/message_box.h"
#include "startup/startup_state.h"

namespace telvo {
namespace {

bool IsListed(int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < LangUnit.LangFiles.size();
}

// Opens the file afresh into `file` (read-only; others may read but not write), in the language
// folder opened once and never through a link, and reads it to its end; nullopt when it cannot
// be opened or read.
std::optional<std::string> ReadLangFile(int32_t index, TFileHandle& file) {
    file.reset();
    if (!LangUnit.LanguageFolder.OpenOwnFile(WideFromAnsi(LangUnit.LangFiles[index]), GENERIC_READ,
                                             FILE_SHARE_READ, file))
        return std::nullopt;
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    do {
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr))
            return std::nullopt;
        bytes.append(chunk, got);
    } while (got != 0);
    return bytes;
}

// The message under `key` in one file, or nullopt, after the user has been told, when the file
// cannot be read.
std::optional<TLangMessage> SearchLangFile(int32_t index, std::string_view key, TFileHandle& file) {
    const std::optional<std::string> text = ReadLangFile(index, file);
    if (!text) {
        ++LangUnit.UnreadableLookups;
        ReportLangFileError(LangUnit.LangFiles[index]);
        return std::nullopt;
    }
    return FindLangMessage(*text, key);
}

// The current file's message, else the fallback file's. An unreadable current file is not
// replaced by the fallback: the user has been told, and its texts would hide the fault.
TLangMessage LookUp(std::string_view key) {
    if (!IsListed(LangUnit.CurrentLanguage))
        return {};
    const std::optional<TLangMessage> message =
        SearchLangFile(LangUnit.CurrentLanguage, key, LangUnit.CurrentFile);
    if (!message)
        return {};
    const int32_t fallback =
        StartupState.RussianTexts ? LangUnit.RussianIndex : LangUnit.EnglishIndex;
    if (!message->FirstLine.empty() || !IsListed(fallback))
        return *message;
    TFileHandle fallbackFile;  // open only for this search
    return SearchLangFile(fallback, key, fallbackFile).value_or(TLangMessage{});
}

}  // namespace

std::string LangLine(std::string_view key) {
    return LookUp(key).FirstLine;
}

std::string LangLines(std::string_view key) {
    return JoinLangLines(LookUp(key));
}

std::string LangLineParams(std::string_view key, const TLangParams& params) {
    return SubstituteLangParams(LangLine(key), params);
}

std::string LangLinesParams(std::string_view key, const TLangParams& params) {
    return SubstituteLangParams(LangLines(key), params);
}

void ShowLocalErrorBox(const std::string& text) {
    TBoxRequest box;
    box.Call = TBoxCall::MessageBoxExA;
    box.Text = text;
    box.Caption = StartupState.LocalCaption;
    box.Style = kErrorBoxStyle;
    box.LanguageId = static_cast<uint16_t>(LangUnit.LangCode & 0xFFFF);
    ShowBox(box);
}

void ReportLangFileError(const std::string& fileName) {
    const TBilingualText text = LangFileErrorText(fileName);
    ShowErrorBox(text.English, text.Russian);
}

void ReleaseCurrentLangFile() {
    LangUnit.CurrentFile.reset();
}

}  // namespace telvo
