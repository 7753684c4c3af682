#pragma once
#include <windows.h>

#include <utility>

// Move-only owner of one Win32 handle; Traits say what "none" is and how to release it.
template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const { return m_handle; }
    explicit operator bool() const { return Traits::isValid(m_handle); }
    Type release() { return std::exchange(m_handle, Traits::invalid()); }
    void reset(Type handle = Traits::invalid()) {
        Type old = std::exchange(m_handle, handle);
        if (Traits::isValid(old)) Traits::close(old);
    }
    // Lets go of the handle now and passes on what the release said, for handles whose closing can fail.
    auto close() { return Traits::close(release()); }
    // For APIs that return the handle through an out-parameter.
    Type* put() {
        reset();
        return &m_handle;
    }

private:
    Type m_handle = Traits::invalid();
};

struct HKeyTraits {
    using Type = HKEY;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { ::RegCloseKey(h); }
};

// Kernel handles use both nullptr and INVALID_HANDLE_VALUE for "none", depending on the API.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool close(Type h) { return ::CloseHandle(h) != FALSE; }
};

struct HWndTraits {
    using Type = HWND;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { ::DestroyWindow(h); }
};

// Only for icons this program created; shared system icons from LoadIconW must not be destroyed.
struct HIconTraits {
    using Type = HICON;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { ::DestroyIcon(h); }
};

template <class GdiObject>
struct GdiTraits {
    using Type = GdiObject;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { ::DeleteObject(h); }
};

// A search of a folder's files or of a file's streams (FindFirstFileExW, FindFirstStreamW).
struct FindTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static bool isValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) { ::FindClose(h); }
};

using UniqueHKey = UniqueHandle<HKeyTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueHWnd = UniqueHandle<HWndTraits>;
using UniqueHIcon = UniqueHandle<HIconTraits>;
using UniqueHFont = UniqueHandle<GdiTraits<HFONT>>;
using UniqueFind = UniqueHandle<FindTraits>;
