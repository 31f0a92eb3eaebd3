// Waits until the desktop shell of this Wine prefix's display answers, for scripts that run the
// package and want the application started through the shell (scripts/demo).
//   telvo_shell_wait.exe   exit code 0 once the shell answers, 1 after 30 s without it
#include "support/standin.h"

int main() {
    return telvo::test::WaitForDesktopShell() ? 0 : 1;
}
