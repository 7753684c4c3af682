#include "platform/win32/WinProcess.h"

#include <windows.h>

#include <sddl.h>

#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Utf.h"
#include "platform/win32/WindowHandle.h"

std::string WinProcess::programFilePath() {
    // The call truncates silently when the buffer is short, so grow until the path fits with room to spare.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return toUtf8(path);
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

FileVersion WinProcess::fileVersion(const std::string& path) {
    const std::wstring widePath = toWide(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(widePath.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(widePath.c_str(), 0, size, block.data())) return {};
    void* data = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", &data, &length) || length < sizeof(VS_FIXEDFILEINFO)) return {};
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(data);
    return FileVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS)};
}

// The mutex is held until the process ends, so a later start of the program sees it.
bool WinProcess::ownsWindow(WindowId window) {
    DWORD owner = 0;
    return window && ::GetWindowThreadProcessId(toHwnd(window), &owner) != 0 && owner == ::GetCurrentProcessId();
}

bool WinProcess::isEarlierInstanceRunning() {
    if (m_earlierInstance) return *m_earlierInstance;
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"Local\\ObelonPro7.Instance");
    const DWORD error = ::GetLastError();
    m_instanceMutex.reset(mutex);
    m_earlierInstance = m_instanceMutex && error == ERROR_ALREADY_EXISTS;
    return *m_earlierInstance;
}

std::string WinProcess::userSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    const UniqueKernelHandle owned(token);
    DWORD size = 0;
    (void)::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    std::string sid = toUtf8(text);
    ::LocalFree(text);
    return sid;
}

void WinProcess::exitProcess(int code) {
    ::ExitProcess(static_cast<UINT>(code));
}
