#pragma once
#include <windows.h>

#include <cstdint>

#include "platform/WindowId.h"

// The opaque id above the backend is the HWND's value, so ids survive a round trip through the logic.
inline HWND toHwnd(WindowId window) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window.v));
}
inline WindowId toWindowId(HWND hwnd) {
    return WindowId{static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hwnd))};
}
