#include "platform/win32/WinProgramRunner.h"

// shellapi.h needs the types <windows.h> defines, so the order must stay.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
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

// The program's name and what follows it, split as Windows splits a command line: a quoted name runs to its
// closing quote (to the end when there is none), a bare one to the first blank.
struct SplitCommandLine {
    std::wstring program;
    std::wstring arguments;
};

SplitCommandLine splitCommandLine(const std::wstring& commandLine) {
    size_t nameEnd = 0;
    size_t restStart = 0;
    std::wstring program;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        nameEnd = commandLine.find(L'"', 1);
        if (nameEnd == std::wstring::npos) nameEnd = commandLine.size();
        program = commandLine.substr(1, nameEnd - 1);
        restStart = nameEnd + 1;
    } else {
        nameEnd = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
        program = commandLine.substr(0, nameEnd);
        restStart = nameEnd;
    }
    restStart = std::min(commandLine.find_first_not_of(L" \t", restStart), commandLine.size());
    return {std::move(program), commandLine.substr(restStart)};
}

// A program named without a folder ("reg.exe") is Windows' own when the system folder holds it. Left to the
// search, the folder this program runs in and the current folder would come first, and a user who can write
// to either could put a program of their own in its place.
std::optional<std::wstring> systemProgramFor(const std::wstring& name) {
    if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos) return std::nullopt;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    std::wstring path = std::wstring(folder, length) + L"\\" + name;
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return path;
}

// The elevation prompt belongs to the system; the program runs in another token, so no handles can be handed
// to it and its output stays its own. A user who says no makes ShellExecuteExW fail with ERROR_CANCELLED.
Result<std::unique_ptr<IChildProgram>> startElevated(const StartProgramArgs& args) {
    const SplitCommandLine split = splitCommandLine(toWide(args.commandLine));
    const std::optional<std::wstring> systemProgram = systemProgramFor(split.program);
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"runas";
    execute.lpFile = systemProgram ? systemProgram->c_str() : split.program.c_str();
    execute.lpParameters = split.arguments.empty() ? nullptr : split.arguments.c_str();
    execute.nShow = static_cast<int>(args.show);
    if (!::ShellExecuteExW(&execute)) {
        const DWORD code = ::GetLastError();
        return Status::failure(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE, "ShellExecuteExW");
    }
    // No process handle comes back when the system handed the start to a program already running.
    if (!execute.hProcess) return Status::failure(ERROR_INVALID_HANDLE, "ShellExecuteExW");
    return std::unique_ptr<IChildProgram>(
        std::make_unique<WinChildProgram>(UniqueKernelHandle(execute.hProcess), UniqueKernelHandle()));
}

}  // namespace

// The program reads nothing: a question it might ask finds no answer instead of waiting for one.
Result<std::unique_ptr<IChildProgram>> WinProgramRunner::start(const StartProgramArgs& args) {
    if (args.elevated) return startElevated(args);
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
    const std::optional<std::wstring> systemProgram = systemProgramFor(splitCommandLine(commandLine).program);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(systemProgram ? systemProgram->c_str() : nullptr, commandLine.data(), nullptr, nullptr,
                          (output && input) ? TRUE : FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return lastError("CreateProcessW");
    }
    UniqueKernelHandle thread(started.hThread);
    return std::unique_ptr<IChildProgram>(
        std::make_unique<WinChildProgram>(UniqueKernelHandle(started.hProcess), std::move(output)));
}
