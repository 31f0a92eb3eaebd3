// Test helper: takes the package's uncaught-error road on request and records the box it shows.
//   error_road_probe.exe <registry|access-violation|std|none> <record file>
// The record file receives the box's caption, style and text, each on a line of its own.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "startup/application_error.h"
#include "startup/command_line.h"
#include "startup/message_box.h"
#include "startup/registry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string mode = telvo::CommandLineArgument(GetCommandLineA(), 1);
    const std::string record = telvo::CommandLineArgument(GetCommandLineA(), 2);
    telvo::ReplaceBoxHandler([record](const telvo::TBoxRequest& box) {
        if (FILE* f = std::fopen(record.c_str(), "wb")) {
            std::fprintf(f, "%s\n%#x\n%s", box.Caption.c_str(), static_cast<unsigned>(box.Style),
                         box.Text.c_str());
            std::fclose(f);
        }
        return telvo::kAnswerOk;
    });
    return telvo::RunGuarded([&] {
        if (mode == "registry") {
            telvo::TRegistry registry(telvo::kAccessAll);
            registry.OpenKey("Software", false);
            registry.ReadString("NoSuchValueAnywhere");
        } else if (mode == "access-violation") {
            volatile int* nowhere = nullptr;
            *nowhere = 1;
        } else if (mode == "std") {
            throw std::logic_error("plain failure");
        }
        return 0;
    });
}
