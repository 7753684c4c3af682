// The contract's Win32 side: the real desktop and toolkit, and "another program" that is a second thread
// with its own windows and message loop, so that it can stop answering while the test goes on.
#include <windows.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/win32/Utf.h"
#include "platform/win32/WinControl.h"
#include "platform/win32/WinPlatform.h"
#include "platform/win32/WindowHandle.h"
#include "tests/contract/WindowBackends.h"

namespace contract {

namespace {

constexpr UINT kCreate = WM_APP + 1;
constexpr UINT kDestroy = WM_APP + 2;
constexpr UINT kHang = WM_APP + 3;
// Long enough for any answer from a thread that pumps, short enough to keep the suite quick.
constexpr auto kBlockedAfter = std::chrono::milliseconds(1500);

struct CreateRequest {
    std::wstring title;
    std::wstring className;
    bool visible = false;
    HWND created = nullptr;
};

class ForeignProgram {
public:
    ForeignProgram()
        : m_answerAgain(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          m_stopped(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        std::promise<DWORD> started;
        std::future<DWORD> id = started.get_future();
        m_thread = std::thread([this, &started] { run(started); });
        m_threadId = id.get();
    }
    ~ForeignProgram() {
        answerAgain();
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
        ::CloseHandle(m_answerAgain);
        ::CloseHandle(m_stopped);
    }

    HWND create(const std::string& title, const std::string& className, bool visible) {
        CreateRequest request{toWide(title), toWide(className), visible, nullptr};
        ask(kCreate, reinterpret_cast<LPARAM>(&request));
        return request.created;
    }
    void destroy(HWND window) { ask(kDestroy, reinterpret_cast<LPARAM>(window)); }
    // Returns once the thread has stopped pumping, so nothing sent after it is answered.
    void hang() {
        if (m_hung) return;
        ::ResetEvent(m_stopped);
        ::PostThreadMessageW(m_threadId, kHang, 0, 0);
        ::WaitForSingleObject(m_stopped, INFINITE);
        m_hung = true;
    }
    void answerAgain() {
        if (!m_hung) return;
        m_hung = false;
        ::SetEvent(m_answerAgain);
    }

private:
    // A request through the thread's queue, answered by an event when done.
    void ask(UINT message, LPARAM argument) {
        HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ::PostThreadMessageW(m_threadId, message, reinterpret_cast<WPARAM>(done), argument);
        ::WaitForSingleObject(done, 5000);
        ::CloseHandle(done);
    }

    void run(std::promise<DWORD>& started) {
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts
        started.set_value(::GetCurrentThreadId());
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && handle(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    bool handle(const MSG& message) {
        switch (message.message) {
            case kCreate: {
                auto& request = *reinterpret_cast<CreateRequest*>(message.lParam);
                WNDCLASSEXW windowClass = {};
                windowClass.cbSize = sizeof(windowClass);
                windowClass.lpfnWndProc = &::DefWindowProcW;
                windowClass.hInstance = ::GetModuleHandleW(nullptr);
                windowClass.lpszClassName = request.className.c_str();
                ::RegisterClassExW(&windowClass);  // a second window of the class finds it registered
                request.created =
                    ::CreateWindowExW(0, request.className.c_str(), request.title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40,
                                      320, 200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
                if (request.created && request.visible) {
                    ::ShowWindow(request.created, SW_SHOW);
                    ::SetForegroundWindow(request.created);
                }
                break;
            }
            case kDestroy:
                ::DestroyWindow(reinterpret_cast<HWND>(message.lParam));
                break;
            case kHang:
                ::SetEvent(m_stopped);
                ::WaitForSingleObject(m_answerAgain, INFINITE);
                return true;
            default:
                return false;
        }
        ::SetEvent(reinterpret_cast<HANDLE>(message.wParam));
        return true;
    }

    HANDLE m_answerAgain;
    HANDLE m_stopped;
    std::thread m_thread;
    DWORD m_threadId = 0;
    bool m_hung = false;
};

bool underWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class WinWindowBackend final : public WindowBackend {
public:
    // A quit the case left behind would end the waits of every later case on this thread.
    ~WinWindowBackend() override { (void)takeQuit(); }

    IDesktop& desktop() override { return m_backend.platform().desktop; }
    ui::Toolkit& toolkit() override { return m_backend.toolkit(); }

    WindowId createForeignWindow(const std::string& title, const std::string& className, bool visible) override {
        return toWindowId(m_other.create(title, className, visible));
    }
    void destroyForeignWindow(WindowId window) override { m_other.destroy(toHwnd(window)); }
    void userClicks(WindowId window) override {
        ::SetForegroundWindow(toHwnd(window));
        settle();
    }
    // Real input, so the system asks the form with WM_MOUSEACTIVATE whether the press may go through.
    void userPressesForm(ui::Form& form) override {
        POINT at = {4, 4};
        ::ClientToScreen(toHwnd(form.id()), &at);
        ::SetCursorPos(at.x, at.y);
        INPUT press[2] = {};
        press[0].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].type = INPUT_MOUSE;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, press, sizeof(INPUT));
        settle();
    }
    // Real keys into the focused box, each character as the keyboard's own (VK_PACKET, then WM_CHAR).
    void userTypes(ui::TextBox& box, const std::string& text) override {
        auto* real = dynamic_cast<WinControlBase*>(&box);
        if (!real) return;
        ::SetFocus(real->hwnd());
        ::SendMessageW(real->hwnd(), EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
        std::vector<INPUT> keys;
        for (wchar_t unit : toWide(text)) {
            for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
                INPUT key = {};
                key.type = INPUT_KEYBOARD;
                key.ki.wScan = unit;
                key.ki.dwFlags = KEYEVENTF_UNICODE | up;
                keys.push_back(key);
            }
        }
        ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
        settle();
    }
    void clickFromOutside(ui::Control& control) override {
        auto* real = dynamic_cast<WinControlBase*>(&control);
        if (real) ::SendMessageW(real->hwnd(), BM_CLICK, 0, 0);
    }
    void setHung(WindowId window, bool hung) override {
        (void)window;
        if (hung) {
            m_other.hang();
        } else {
            m_other.answerAgain();
        }
    }
    // The call runs on a thread of its own; one still waiting after a while is let go by the other program
    // answering again, so the suite never hangs.
    bool callBlocks(const std::function<void()>& call) override {
        std::packaged_task<void()> task(call);
        std::future<void> done = task.get_future();
        std::thread caller(std::move(task));
        const bool blocked = done.wait_for(kBlockedAfter) != std::future_status::ready;
        if (blocked) m_other.answerAgain();
        caller.join();
        return blocked;
    }
    void settle() override {
        for (int i = 0; i < 10; ++i) {
            m_backend.toolkit().processEvents();
            ::Sleep(20);
        }
    }

    void letTimePass(int ms) override {
        ::Sleep(static_cast<DWORD>(ms));
        settle();
    }
    uint32_t ownProcessId() const override { return ::GetCurrentProcessId(); }
    std::string ownProgramFile() override { return m_backend.platform().process.programFilePath(); }
    void postQuit() override { ::PostQuitMessage(0); }
    bool takeQuit() override {
        MSG message;
        return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }

    std::string foregroundLockMissing() const override {
        if (underWine()) return "Wine 8 lets every process take the foreground";
        return "the other program here is a thread of this process, which the foreground lock does not separate";
    }

    std::string minimizeKeepsForeground() const override {
        return underWine() ? "Wine 8 leaves a window it minimizes in the foreground" : std::string();
    }

    std::string otherProgramIsThisProcess() const override { return "the other program here is a thread of this process"; }

private:
    WinPlatform m_backend;
    ForeignProgram m_other;
};

}  // namespace

std::unique_ptr<WindowBackend> makeWindowBackend() {
    return std::make_unique<WinWindowBackend>();
}

}  // namespace contract
