// obprobe.dll: loaded into a program under test by the driver, because a window's system menu can
// only be read from inside the process that owns the window (Wine refuses it from outside).
#include <windows.h>

// Thread entry for CreateRemoteThread: the exit code is 1 when the system menu of the window has
// a Close command, 0 when it has none, 2 when the window has no system menu at all.
extern "C" __declspec(dllexport) DWORD WINAPI probeSysMenuClose(LPVOID window) {
    HMENU menu = ::GetSystemMenu(static_cast<HWND>(window), FALSE);
    if (!menu) return 2;
    return ::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) == static_cast<UINT>(-1) ? 0 : 1;
}
