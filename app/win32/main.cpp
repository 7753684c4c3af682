// obelon7.exe: wires the Windows platform to the program.
#include <windows.h>

#include "app/ObelonApp.h"
#include "platform/win32/WinPlatform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    WinPlatform windows;
    // Settled now, as the system's own previous-instance test is at process start: settled only after the
    // start-up delay, a later start could take the instance token from an earlier one that a loaded machine
    // runs late, and the earlier one would end instead.
    (void)windows.platform().process.isEarlierInstanceRunning();
    ObelonApp app(windows.platform());
    app.start();
    return windows.toolkit().runMessageLoop();
}
