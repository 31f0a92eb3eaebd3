// Holds a file open with no sharing for a while, as a running application holds its data file:
//   install_file_holder PATH HOLD_MS READY_EVENT
// Sets the named event once the file is open; exits 2 when the file cannot be opened.
#include <windows.h>

#include <cstdlib>

#include "startup/win_handles.h"

int main(int argc, char** argv) {
    if (argc != 4)
        return 1;
    telvo::TFileHandle file(CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 2;
    telvo::TUniqueHandle<telvo::TKernelHandleTraits> ready(
        OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]));
    if (!ready || !SetEvent(ready.get()))
        return 3;
    Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    return 0;
}
