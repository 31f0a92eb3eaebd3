#include "startup/startup_state.h"

#include <windows.h>

#include "startup/code_page.h"
#include "startup/command_line.h"
#include "startup/identify_windows.h"
#include "startup/message_box.h"
#include "startup/russian_texts.h"

namespace telvo {

TStartupState StartupState;

namespace {

constexpr uint16_t kLanguageRussian = 0x19;

}  // namespace

std::string PackageCommandLine() {
    return AnsiOrQuestionMarks(GetCommandLineW());
}

void InitStartupState() {
    StartupState.LocaleId = GetUserDefaultLCID();
    StartupState.RussianTexts = IsRussianTextLocale(StartupState.LocaleId);
    const bool windows64 = IdentifyWindows();
    StartupState.Registry = std::make_unique<TRegistry>(windows64 ? kAccessAll64 : kAccessAll);
    StartupState.CommandWord = AsciiLower(CommandLineArgument(PackageCommandLine(), 1));
}

void DoneStartupState() {
    StartupState = TStartupState{};
}

void ShowErrorBox(const std::string& english, const TRussianText& russian) {
    TBoxRequest box;
    box.Style = kErrorBoxStyle;
    if (StartupState.RussianTexts) {
        box.Call = TBoxCall::MessageBoxExW;
        box.WideText = WideFromCodePage(russian.Before, kRussianTextCodePage) +
                       WideFromAnsi(russian.Name) +
                       WideFromCodePage(russian.After, kRussianTextCodePage);
        box.WideCaption =
            WideFromCodePage(StartupState.LocalCaption,
                             StartupState.LocalCaptionFromLangFile ? CP_ACP : kRussianTextCodePage);
        box.LanguageId = kLanguageRussian;
    } else {
        box.Text = english;
        box.Caption = StartupState.EnglishCaption;
    }
    ShowBox(box);
}

}  // namespace telvo
