// Holds a file open for a while, as a running application holds its data file:
//   install_file_holder PATH HOLD_MS READY_EVENT [SHARE]
// SHARE is the share mode of the open (0, no sharing, unless given). Sets the named event once
// the file is open; exits 2 when the file cannot be opened.
#include <windows.h>

#include <cstdlib>

#include "startup/win_handles.h"

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5)
        return 1;
    const DWORD share = argc == 5 ? std::strtoul(argv[4], nullptr, 10) : 0;
    telvo::TFileHandle file(CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
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
