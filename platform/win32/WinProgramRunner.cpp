#include "platform/win32/WinProgramRunner.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Utf.h"

namespace {

Status lastError(const char* api) {
    return Status::failure(::GetLastError(), api);
}

// Console programs write in the console's OEM code page, or in UTF-16 when asked to (a leading mark or
// zero high bytes give that away).
std::string decodeOutput(const std::vector<char>& bytes) {
    const bool utf16 =
        bytes.size() >= 2 &&
        ((static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) ||
         (bytes[0] != 0 && bytes[1] == 0));
    std::wstring wide;
    if (utf16) {
        size_t at = static_cast<unsigned char>(bytes[0]) == 0xFF ? 2 : 0;
        for (; at + 1 < bytes.size(); at += 2) {
            wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[at]) |
                                                (static_cast<unsigned char>(bytes[at + 1]) << 8)));
        }
    } else if (!bytes.empty()) {
        const int size = static_cast<int>(bytes.size());
        const int length = ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, nullptr, 0);
        if (length > 0) {
            wide.resize(static_cast<size_t>(length));
            ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, wide.data(), length);
        }
    }
    return toUtf8(wide);
}

class WinChildProgram final : public IChildProgram {
public:
    WinChildProgram(UniqueKernelHandle process, UniqueKernelHandle output)
        : m_process(std::move(process)), m_output(std::move(output)) {}

    bool waitForExit(int timeoutMs) override {
        return ::WaitForSingleObject(m_process.get(), static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
    }
    uint32_t exitCode() override {
        DWORD code = 0;
        if (!::GetExitCodeProcess(m_process.get(), &code)) return 1;
        return code;
    }
    // The program shares the file position with this handle, so reading starts again from the top.
    std::string output() override {
        if (!m_output) return {};
        LARGE_INTEGER top = {};
        if (!::SetFilePointerEx(m_output.get(), top, nullptr, FILE_BEGIN)) return {};
        std::vector<char> bytes;
        char buffer[4096];
        DWORD read = 0;
        while (bytes.size() < 64 * 1024 && ::ReadFile(m_output.get(), buffer, sizeof buffer, &read, nullptr) &&
               read > 0) {
            bytes.insert(bytes.end(), buffer, buffer + read);
        }
        return decodeOutput(bytes);
    }
    void terminate() override { (void)::TerminateProcess(m_process.get(), 1); }

private:
    UniqueKernelHandle m_process;
    UniqueKernelHandle m_output;
};

// A file that disappears with its last handle; the program inherits a handle to it as its output.
UniqueKernelHandle openOutputFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t path[MAX_PATH + 1] = {};
    if (!::GetTempPathW(static_cast<DWORD>(std::size(folder)), folder)) return {};
    if (!::GetTempFileNameW(folder, L"obp", 0, path)) return {};
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueKernelHandle file(
        ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) ::DeleteFileW(path);
    return file;
}

UniqueKernelHandle openNullInput() {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return UniqueKernelHandle(
        ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
}

// A program named without a folder ("reg.exe") is Windows' own when the system folder holds it. Left to the
// search, the folder this program runs in and the current folder would come first, and a user who can write
// to either could put a program of their own in its place.
std::optional<std::wstring> systemProgramFor(const std::wstring& commandLine) {
    std::wstring name;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const size_t end = commandLine.find(L'"', 1);
        if (end == std::wstring::npos) return std::nullopt;
        name = commandLine.substr(1, end - 1);
    } else {
        name = commandLine.substr(0, commandLine.find_first_of(L" \t"));
    }
    if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos) return std::nullopt;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    std::wstring path = std::wstring(folder, length) + L"\\" + name;
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return path;
}

}  // namespace

// The program reads nothing: a question it might ask finds no answer instead of waiting for one.
Result<std::unique_ptr<IChildProgram>> WinProgramRunner::start(const StartProgramArgs& args) {
    UniqueKernelHandle output = openOutputFile();
    UniqueKernelHandle input = openNullInput();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(args.show);
    if (output && input) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = input.get();
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
    }
    std::wstring commandLine = toWide(args.commandLine);  // CreateProcessW may write into it
    const std::optional<std::wstring> systemProgram = systemProgramFor(commandLine);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(systemProgram ? systemProgram->c_str() : nullptr, commandLine.data(), nullptr, nullptr,
                          (output && input) ? TRUE : FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return lastError("CreateProcessW");
    }
    UniqueKernelHandle thread(started.hThread);
    return std::unique_ptr<IChildProgram>(
        std::make_unique<WinChildProgram>(UniqueKernelHandle(started.hProcess), std::move(output)));
}
