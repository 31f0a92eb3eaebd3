#include "startup/startup_state.h"

#include <windows.h>

#include <algorithm>
#include <array>

#include "startup/code_page.h"
#include "startup/command_line.h"
#include "startup/identify_windows.h"
#include "startup/message_box.h"

namespace telvo {

TStartupState StartupState;

namespace {

constexpr std::array<uint32_t, 7> kRussianTextLocales = {
    0x0402,  // Bulgarian
    0x0419,  // Russian
    0x0422,  // Ukrainian
    0x0423,  // Belarusian
    0x043F,  // Kazakh
    0x0444,  // Tatar
    0x0819,  // Russian (Moldova)
};

constexpr uint16_t kLanguageRussian = 0x19;

}  // namespace

bool IsRussianTextLocale(uint32_t localeId) {
    return std::find(kRussianTextLocales.begin(), kRussianTextLocales.end(), localeId) !=
           kRussianTextLocales.end();
}

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

void ShowErrorBox(const std::string& english, const std::string& russian) {
    TBoxRequest box;
    box.Style = kErrorBoxStyle;
    if (StartupState.RussianTexts) {
        box.Call = TBoxCall::MessageBoxExA;
        box.Text = russian;
        box.Caption = StartupState.LocalCaption;
        box.LanguageId = kLanguageRussian;
    } else {
        box.Text = english;
        box.Caption = StartupState.EnglishCaption;
    }
    ShowBox(box);
}

}  // namespace telvo
