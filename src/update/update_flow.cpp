// TelvoUpdate is the update package of the desktop application Telvo: one executable that
// carries one data file of the application as a resource and installs it into the application's
// folder. It has no window of its own; every exchange with the user is a message box, worded
// from the application's language files once they are loaded and from built-in English or
// Russian texts before that.
//
// RunUpdate is the spine: a single pass of checks and questions in a fixed order that shows to
// the user. The application is looked for before any language file is read (so its absence is
// reported in built-in texts); rights are tested before the application is asked to quit; the
// quit request comes before the self-check and before any question, silent mode included; the
// installed data file is opened only after the quit request. A failed check ends the run at
// once, with an exit code of its own; nothing is undone. Where nobody can answer a box (a
// deployment tool's service account on a window station nobody sees), no box is shown, an
// interactive run ends before the application is asked to quit and before the data file is
// touched, and the application is not started.
#include "update/update_flow.h"

#include <windows.h>

#include <functional>
#include <future>
#include <optional>

#include "discovery/install_location.h"
#include "discovery/path_rules.h"
#include "discovery/registry_layout.h"
#include "folder/file_in_use.h"
#include "folder/install_directory.h"
#include "install/data_file_writer.h"
#include "install/folder_size.h"
#include "install/write_plan.h"
#include "lang/lang_unit.h"
#include "lang/message_texts.h"
#include "startup/code_page.h"
#include "startup/command_line.h"
#include "startup/message_box.h"
#include "startup/safe_loading.h"
#include "startup/startup_state.h"
#include "startup/win_handles.h"
#include "update/application_control.h"
#include "update/com_security.h"
#include "update/flow_rules.h"
#include "integrity/self_check.h"

namespace telvo {

TCarriedFile Carried;

namespace {

// Closes Registry's open key however the scope is left, also by an error.
struct TKeyScope {
    TKeyScope() = default;
    ~TKeyScope() { StartupState.Registry->CloseKey(); }
    TKeyScope(const TKeyScope&) = delete;
    TKeyScope& operator=(const TKeyScope&) = delete;
};

// The flow's own values, set as the run goes.
struct TRun {
    std::string DataFileExt;
    std::string VersionText;
    bool SilentMode = false;
};

bool Ask(const std::string& text, const std::string& caption) {
    TBoxRequest box;
    box.Call = TBoxCall::MessageBoxExA;
    box.Text = text;
    box.Caption = caption;
    box.Style = kQuestionBoxStyle;
    box.LanguageId = static_cast<uint16_t>(LangUnit.LangCode & 0xFFFF);
    return ShowBox(box) == kAnswerYes;
}

// A per-user "TheLastRunFolder" replaces the discovered folder. An empty value is ignored: it
// would make every path relative to the current directory of an elevated process.
void ApplyLastRunFolder() {
    TKeyScope scope;
    OpenUserKey();
    if (!StartupState.Registry->ValueExists("TheLastRunFolder"))
        return;
    std::string folder = StartupState.Registry->ReadString("TheLastRunFolder");
    if (folder.empty())
        return;
    AddTrailingBackslash(folder, AnsiLeadBytes());
    StartupState.InstallFolder = folder;
}

// The one opening of the install folder. Another process may hold the folder itself (opened
// without sharing it for writing, or under an opportunistic lock): unless `once`, it is waited
// for as the writer waits for a held data file, and still held after that, it stays held.
TInstallDirectory OpenInstallFolder(bool once) {
    TInstallDirectory folder;
    RetryWhileInUse(
        [&] {
            folder = TInstallDirectory::Open(StartupState.InstallFolder);
            return folder.InUse() ? TAttemptResult::InUse : TAttemptResult::Done;
        },
        [] { Sleep(kFileInUseRetryDelayMs); }, once ? 1 : kFileInUseAttempts);
    return folder;
}

// A folder held by another process is there, in use: the run ends as one whose write met only
// a holder of the data file, with the writer's message, never with the not-installed one.
TExitCode EndWithFolderInUse(bool silentMode) {
    const std::string target = StartupState.InstallFolder + Carried.DataFileName;
    ShowErrorBox(InstallFailureEnglish(target), InstallFailureRussian(target));
    return silentMode ? kExitRetryLater : kExitDataFileNotWritten;
}

// A folder that cannot be opened (missing, or no folder of a file system) holds no application.
bool ApplicationPresent(const TInstallDirectory& folder) {
    if (folder && folder.HasFile(L"telvo.exe"))
        return true;
    ShowErrorBox("There's no Telvo installed.\r\nPlease install the program first.",
                 {.Before = "Нет установленной программы \"Тельво\"!\r\nПожалуйста, сначала "
                            "установите её."});
    return false;
}

bool SelfIntegrityHolds(TSelfCheck verdict) {
    switch (verdict) {
        case TSelfCheck::Valid:
            return true;
        case TSelfCheck::Unreadable:
            ShowLocalErrorBox(LangLines("verificationfail"));
            return false;
        default:
            ShowLocalErrorBox(LangLines("badinstaller"));
            return false;
    }
}

// The installed data file is opened exclusively, so this fails while the application (or
// anything else) still holds it: up to kInstalledFileAttempts tries with a wait after every
// failed one, 4352 ms in all. On success gives the file's data version, if it has one.
constexpr int kInstalledFileAttempts = 17;
constexpr DWORD kInstalledFileRetryMs = 256;

// A link at the data file's name gives no version: it is nothing the package installed, and the
// write replaces the link itself, never its target.
bool ReadInstalledVersion(const TInstallDirectory& folder, const std::wstring& name,
                          std::optional<int32_t>& version) {
    for (int attempt = 0; attempt < kInstalledFileAttempts; ++attempt) {
        TFileHandle file;
        if (folder.OpenEntry(name, GENERIC_READ, 0, FILE_OPEN, file) == ERROR_SUCCESS) {
            if (!folder.IsOwnFile(file.get(), name))
                return true;
            char header[5] = {};
            DWORD got = 0;
            DWORD total = 0;
            while (total < sizeof header &&
                   ReadFile(file.get(), header + total, sizeof header - total, &got, nullptr) &&
                   got > 0)
                total += got;
            version = InstalledVersionFromHeader(std::string_view(header, total));
            return true;
        }
        Sleep(kInstalledFileRetryMs);
    }
    return false;
}

// The version check of an interactive run. Returns the exit code to end with, or -1 to go on.
int CheckInstalledVersion(const TInstallDirectory& folder) {
    const std::wstring name = WideFromAnsi(Carried.DataFileName);
    if (!folder.HasFile(name))
        return -1;
    std::optional<int32_t> installed;
    if (!ReadInstalledVersion(folder, name, installed)) {
        ShowLocalErrorBox(
            LangLinesParams("filecantopen", {StartupState.InstallFolder + Carried.DataFileName}));
        return kExitDataFileInUse;
    }
    if (!installed || Carried.CarriedVersion >= *installed)
        return -1;
    return Ask(LangLinesParams("olderfilever", {Carried.DataFileName}), LangLine("soundquest"))
               ? -1
               : kExitDone;
}

bool ConfirmInstall(const TRun& run) {
    return Ask(
        LangLinesParams("installask", {LangLine("liveupdatecaption"),
                                       LangLine(Carried.ContentKey) + " " + run.VersionText}),
        LangLine("soundquest"));
}

TWriteResult WriteCarriedFile(const TRun& run, const TInstallDirectory& folder,
                              const std::function<bool()>& mayReplace) {
    const std::string baseName = DataFileBaseName(Carried.DataFileName, run.DataFileExt);
    const std::string type = run.DataFileExt.empty() ? "" : run.DataFileExt.substr(1);
    return WriteDataFileGated(baseName, type, folder, baseName + "." + type, mayReplace);
}

// The size goes to the uninstall entry the install folder came from (discovery's prefix), the one
// Programs and Features and every other reader of the size look at: a 32-bit installer's entry
// under "WOW6432Node\" gets it there, and nothing appears in the other registry view. Where no
// entry named the folder (the default folder, or a "TheLastRunFolder" without any entry) the
// entry is created in Registry's view. A "TheLastRunFolder" that names another folder than the
// entry's changes what is measured, not where the size goes: the entry is the installation's
// only one, and a second would be a stray no uninstaller removes.
void RecordInstalledSize(const TInstallDirectory& folder) {
    TKeyScope scope;
    TRegistry& registry = *StartupState.Registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    registry.OpenKey(StartupState.UninstallKeyPrefix + StartupState.AppName, true);
    const int32_t size = GetFolderSize(folder);
    if (size != -1)
        registry.WriteInteger(kEstimatedSizeValue, size);
}

void Finish(const TRun& run) {
    if (run.SilentMode) {
        // Where nobody can answer a box nobody would see the application either, and it would
        // run under the account of whatever started the package (a service's, say).
        if (WantsApplicationStarted(CommandLineArgument(PackageCommandLine(), 2)) &&
            !NobodyCanAnswer())
            LaunchApplication();
        return;
    }
    const std::string caption = LangLine("liveupdatecaption");
    const std::string text =
        LangLineParams("installdone", {caption + " (" + LangLine(Carried.ContentKey) + " " +
                                       run.VersionText + ")"}) +
        "\r\n\r\n" + LangLine("asktorun");
    if (Ask(text, caption))
        LaunchApplication();
}

}  // namespace

TExitCode RunUpdate() {
    // Before anything can show a window or a box, or load a text service or a hook: a run that
    // may start the application sets the process's COM security (com_security.h) as the package
    // first asks for a USER32 function or shows its first box (OLE32 brings USER32 in itself,
    // but nothing of it runs before the call). One that can start nothing loads no COM. Not at
    // once: loading COM at the start made a "modest runapp" run about 20 ms slower under Wine
    // (measured against the same call just before the start), and a run that fails before it
    // needs USER32 never pays for it.
    if (MayStartApplication(StartupState.CommandWord, CommandLineArgument(PackageCommandLine(), 2)))
        RunBeforeUser32([] { SetProcessComSecurity(); });
    TRun run;
    run.DataFileExt = DataFileExtension(Carried.DataFileName);
    run.VersionText = std::to_string(Carried.CarriedVersion);
    StartupState.AppName = "Telvo";
    StartupState.LocalCaption = "Обновление программы \"Тельво\"";
    StartupState.EnglishCaption = "Telvo update";

    if (!DiscoverInstallLocation())
        return kExitApplicationNotFound;
    ApplyLastRunFolder();
    run.SilentMode = IsSilentMode(StartupState.CommandWord);
    // An interactive run asks at least once before it writes: where nobody can answer, it ends
    // with 8 whatever it meets on the way, once the checks that tell of a broken installation
    // (below) have had their say. A folder another program holds leaves nothing to check: that
    // run neither waits for it nor reports it.
    const bool unanswerable = !run.SilentMode && NobodyCanAnswer();
    // The one opening of the install folder: every check, read, write and measurement of the
    // run goes through it, never through the folder's name again.
    const TInstallDirectory installFolder = OpenInstallFolder(unanswerable);
    if (installFolder.InUse())
        return unanswerable ? kExitNobodyToAnswer : EndWithFolderInUse(run.SilentMode);
    if (!ApplicationPresent(installFolder))
        return kExitApplicationNotFound;
    if (!LoadLanguage(installFolder))
        return kExitLanguageFiles;
    if (!StartupState.IsAdmin) {
        ShowLocalErrorBox(LangLines("noright"));
        return kExitNotAdministrator;
    }
    // Before the application is asked to quit and before the data file is touched.
    if (unanswerable)
        return kExitNobodyToAnswer;
    if (IsApplicationRunning())
        RequestApplicationQuit();

    // The self-check reads the whole package, which takes about as long as writing the data
    // file. It runs on a thread of its own; an interactive run waits for its verdict before the
    // first question, a silent one writes the new file meanwhile and has the verdict judged
    // before that file replaces anything, so nothing visible changes before the check passed.
    std::future<TSelfCheck> pending =
        std::async(std::launch::async | std::launch::deferred, CheckOwnSeal);
    std::optional<bool> intact;
    auto integrityHolds = [&] {
        if (!intact)
            intact = SelfIntegrityHolds(pending.get());
        return *intact;
    };

    if (!run.SilentMode) {
        if (!integrityHolds())
            return kExitIntegrityCheckFailed;
        if (const int end = CheckInstalledVersion(installFolder); end != -1)
            return static_cast<TExitCode>(end);
        if (!ConfirmInstall(run))
            return kExitDone;
    }
    // A failed write ends the run: no size is recorded and nothing claims the update is in.
    switch (WriteCarriedFile(run, installFolder, integrityHolds)) {
        case TWriteResult::Withheld:
            return kExitIntegrityCheckFailed;
        case TWriteResult::InUse:
            // Telvo open in a session the package cannot reach (a deployment tool's service
            // in session 0) holds the file until the user closes it: a later run succeeds.
            return run.SilentMode ? kExitRetryLater : kExitDataFileNotWritten;
        case TWriteResult::Failed:
            return kExitDataFileNotWritten;
        case TWriteResult::Written:
            break;
    }
    RecordInstalledSize(installFolder);
    Finish(run);
    return kExitDone;
}

}  // namespace telvo
