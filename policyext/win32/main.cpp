// obext.exe: wires the Windows platform to the shell restriction window; closing the window ends the program.
#include <windows.h>

#include "platform/win32/WinPlatform.h"
#include "policyext/ShellRestrictionsWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    WinPlatform windows;
    ShellRestrictionsWindow window(windows.toolkit(), windows.platform().registry, [] { ::PostQuitMessage(0); });
    window.show();
    return windows.toolkit().runMessageLoop();
}
