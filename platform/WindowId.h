#pragma once
#include <cstdint>

// Opaque handle of a top-level or child window; 0 means none. Never an HWND above the backends.
struct WindowId {
    uint64_t v = 0;
    explicit operator bool() const { return v != 0; }
    friend bool operator==(WindowId a, WindowId b) { return a.v == b.v; }
    friend bool operator!=(WindowId a, WindowId b) { return a.v != b.v; }
};
