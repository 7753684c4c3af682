// obelon7.exe: wires the Windows platform to the program.
#include <windows.h>

#include "app/ObelonApp.h"
#include "platform/win32/WinPlatform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    WinPlatform windows;
    ObelonApp app(windows.platform());
    app.start();
    return windows.toolkit().runMessageLoop();
}
