#include "platform/win32/MessageHook.h"

MessageHook::MessageHook(HWND hwnd, Handler handler) : m_hwnd(hwnd), m_handler(std::move(handler)) {
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageHook::proc)));
}

MessageHook::~MessageHook() { unhook(); }

// The window gets its own procedure back only while ours is still in place; a window already destroyed has
// unhooked itself.
void MessageHook::unhook() {
    if (!m_hwnd) return;
    if (::IsWindow(m_hwnd) && ::GetWindowLongPtrW(m_hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&proc)) {
        ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
        ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    }
    m_hwnd = nullptr;
}

LRESULT CALLBACK MessageHook::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* hook = reinterpret_cast<MessageHook*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!hook) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC original = hook->m_original;
    if (message == WM_NCDESTROY) {
        hook->unhook();
    } else if (const std::optional<LRESULT> answer = hook->m_handler(message, wParam, lParam)) {
        return *answer;
    }
    return ::CallWindowProcW(original, hwnd, message, wParam, lParam);
}
