// has-sysmenu-close: runs obprobe.dll's probe on a thread inside the window's own process.
#include <windows.h>
#include <tlhelp32.h>

#include "Args.h"
#include "Commands.h"
#include "Text.h"
#include "Windows.h"

namespace {

constexpr DWORD kThreadTimeoutMs = 5000;
constexpr wchar_t kProbeDll[] = L"obprobe.dll";

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

std::wstring probePath() {
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L"\\/") + 1) + kProbeDll;
}

// Runs `entry(argument)` in the other process and gives its exit code; nullopt when it did not finish.
std::optional<DWORD> runRemote(HANDLE process, LPTHREAD_START_ROUTINE entry, void* argument) {
    Handle thread(::CreateRemoteThread(process, nullptr, 0, entry, argument, 0, nullptr));
    if (!thread || ::WaitForSingleObject(thread.get(), kThreadTimeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!::GetExitCodeThread(thread.get(), &code)) return std::nullopt;
    return code;
}

// LoadLibraryW and FreeLibrary take one pointer-sized argument, as a thread entry does.
LPTHREAD_START_ROUTINE threadEntry(FARPROC address) {
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(address));
}

BYTE* remoteModuleBase(DWORD pid, const wchar_t* moduleName) {
    Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    if (!snapshot) return nullptr;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32FirstW(snapshot.get(), &module); more; more = ::Module32NextW(snapshot.get(), &module)) {
        if (::lstrcmpiW(module.szModule, moduleName) == 0) return module.modBaseAddr;
    }
    return nullptr;
}

// kernel32 sits at the same address in every process of a session, so its entry points can start
// remote threads; the probe's own address is its offset in the local copy added to the remote base.
std::optional<DWORD> probeWindow(HWND window, std::string& error) {
    const DWORD pid = windowPid(window);
    Handle process(::OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, pid));
    const std::wstring dll = probePath();
    HMODULE local = ::LoadLibraryW(dll.c_str());
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (!process || !local || !kernel32) {
        error = "cannot open the process or load " + toUtf8(dll);
        return std::nullopt;
    }
    const SIZE_T bytes = (dll.size() + 1) * sizeof(wchar_t);
    void* remotePath = ::VirtualAllocEx(process.get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remotePath || !::WriteProcessMemory(process.get(), remotePath, dll.c_str(), bytes, nullptr)) {
        error = "cannot write into the process";
        return std::nullopt;
    }
    auto loadLibrary = threadEntry(::GetProcAddress(kernel32, "LoadLibraryW"));
    auto freeLibrary = threadEntry(::GetProcAddress(kernel32, "FreeLibrary"));
    const auto loaded = runRemote(process.get(), loadLibrary, remotePath);
    ::VirtualFreeEx(process.get(), remotePath, 0, MEM_RELEASE);
    BYTE* base = loaded && *loaded ? remoteModuleBase(pid, kProbeDll) : nullptr;
    if (!base) {
        error = "the probe did not load in the process";
        return std::nullopt;
    }
    const auto offset = reinterpret_cast<BYTE*>(::GetProcAddress(local, "probeSysMenuClose")) -
                        reinterpret_cast<BYTE*>(local);
    const auto answer = runRemote(process.get(), reinterpret_cast<LPTHREAD_START_ROUTINE>(base + offset), window);
    (void)runRemote(process.get(), freeLibrary, base);
    if (!answer) error = "the probe did not answer";
    return answer;
}

int hasSysMenuClose(const Args& args) {
    std::string error;
    auto query = windowQueryFrom(args, "class", error);
    if (!query) return complain(error, kUsage);
    HWND window = waitTopLevel(*query, timeoutFrom(args, 3000));
    if (!window) return complain("no such window", kMissing);
    auto answer = probeWindow(window, error);
    if (!answer) return complain(error, kCannot);
    if (*answer == 2) return complain("the window has no system menu", kMissing);
    return say(*answer == 1 ? "yes" : "no", *answer == 1 ? kYes : kNo);
}

}  // namespace

void addSysMenuCommands(std::vector<Command>& table) {
    table.push_back({"has-sysmenu-close",
                     {"title", "title-contains", "class", "pid", "timeout"},
                     "(--title T | --class C | --pid N) [--timeout ms]   (prints yes or no)",
                     hasSysMenuClose});
}
