// Lays out (or removes) a stand-in installation of Telvo in the current Wine prefix, for the
// end-to-end runs and the demo. Same helper as the unit tests use.
//   telvo_layout.exe <install folder> [options]
//     --entry normal|wow|none   where the uninstall entry goes (default normal)
//     --unquoted                write UninstallString without double quotes
//     --data-version N|none     version of the older vost.cok (default 40)
//     --data-size BYTES         its size (default 65536)
//     --no-exe --no-language    leave out telvo.exe or the language files
//     --last-run-folder TEXT    per-user TheLastRunFolder
//     --lang-file TEXT          per-user LangFile
//     --language-source DIR     where the fixture language files are (Windows path)
//     --remove                  remove the installation instead
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "startup/command_line.h"
#include "support/installation.h"

int main() {
    using namespace telvo;
    const std::string line = GetCommandLineA();
    test::TInstallationLayout layout;
    layout.Folder = CommandLineArgument(line, 1);
    if (layout.Folder.empty()) {
        std::fprintf(stderr, "usage: telvo_layout <install folder> [options]\n");
        return 2;
    }
    if (layout.Folder.back() != '\\')
        layout.Folder += '\\';

    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder = folder.substr(0, folder.find_last_of('\\') + 1);
    std::string standIn = folder + "telvo.exe";
    std::string languageSource;
    bool remove = false;

    for (int i = 2;; ++i) {
        const std::string option = CommandLineArgument(line, i);
        if (option.empty())
            break;
        auto value = [&] { return CommandLineArgument(line, ++i); };
        if (option == "--entry") {
            const std::string entry = value();
            layout.Entry = entry == "wow"    ? test::TUninstallEntry::Wow6432
                           : entry == "none" ? test::TUninstallEntry::None
                                             : test::TUninstallEntry::Normal;
        } else if (option == "--unquoted") {
            layout.QuotedUninstallString = false;
        } else if (option == "--data-version") {
            const std::string version = value();
            if (version == "none")
                layout.DataVersion.reset();
            else
                layout.DataVersion = std::atoi(version.c_str());
        } else if (option == "--data-size") {
            layout.DataSize = static_cast<uint32_t>(std::strtoul(value().c_str(), nullptr, 10));
        } else if (option == "--no-exe") {
            layout.WithExecutable = false;
        } else if (option == "--no-language") {
            layout.WithLanguageFiles = false;
        } else if (option == "--last-run-folder") {
            layout.LastRunFolder = value();
        } else if (option == "--lang-file") {
            layout.LangFile = value();
        } else if (option == "--language-source") {
            languageSource = value();
        } else if (option == "--remove") {
            remove = true;
        } else {
            std::fprintf(stderr, "telvo_layout: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (remove) {
        test::RemoveInstallation(layout.Folder);
        return 0;
    }
    const std::string failure = test::LayOutInstallation(layout, standIn, languageSource);
    if (!failure.empty()) {
        std::fprintf(stderr, "telvo_layout: %s\n", failure.c_str());
        return 1;
    }
    return 0;
}
