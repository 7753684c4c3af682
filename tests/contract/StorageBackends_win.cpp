// The storage contracts' backends on the real system. Each case works below a key and in a folder named for its
// process and a random number, removed again when the case ends; state is planted with the Win32 API directly.
// sddl.h needs the types <windows.h> defines, so the order must stay.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include <random>
#include <stdexcept>

#include "platform/win32/WinCrypto.h"
#include "platform/win32/WinFile.h"
#include "platform/win32/WinFileSystem.h"
#include "platform/win32/WinProgramRunner.h"
#include "platform/win32/WinRegistry.h"
#include "tests/contract/StorageBackends.h"
#include "tests/win32/RemoveTree.h"

namespace contract {

namespace {

std::wstring wide(std::string_view utf8) {
    std::wstring text(utf8.size(), L'\0');
    const int count = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                                            static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(count));
    return text;
}

std::string narrow(std::wstring_view text) {
    std::string utf8(text.size() * 4, '\0');
    const int count = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                                            static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(static_cast<size_t>(count));
    return utf8;
}

std::string uniqueName() {
    std::random_device device;
    return "contract" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(device());
}

// Gives the key the security descriptor of the SDDL text; false if any step fails.
bool setKeySecurity(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        return false;
    }
    UniqueHKey key;
    bool done = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, key.put()) == ERROR_SUCCESS;
    if (done) done = ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    ::LocalFree(descriptor);
    return done;
}

class WinRegistrySide final : public RegistrySide {
public:
    WinRegistrySide() : m_key("Software\\OBPTest\\" + uniqueName()) {}
    ~WinRegistrySide() override {
        // Reads and writes for everyone again, so the refused key can go too.
        for (const std::wstring& refused : m_refused) setKeySecurity(refused, L"D:(A;;KA;;;WD)");
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            ::RegDeleteTreeW(root, wide(m_key).c_str());
            ::RegDeleteKeyW(root, L"Software\\OBPTest");  // only when no other run still uses it
        }
    }
    IRegistry& registry() override { return m_registry; }
    std::string scratchKey() override { return m_key; }
    // Wine runs everything as administrator; a key whose security grants everyone only reading refuses the
    // writes all the same, as HKEY_LOCAL_MACHINE does for a standard user.
    bool refuseMachineWideWrites(std::string_view path) override {
        const std::wstring key = wide(path);
        UniqueHKey made;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_READ, nullptr, made.put(), nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        m_refused.push_back(key);
        return setKeySecurity(key, L"D:P(A;;KR;;;WD)");
    }

private:
    WinRegistry m_registry;
    std::string m_key;
    std::vector<std::wstring> m_refused;
};

class WinFilesSide final : public FilesSide {
public:
    WinFilesSide() {
        wchar_t temp[MAX_PATH + 1] = {};
        if (!::GetTempPathW(MAX_PATH, temp)) throw std::runtime_error("no temporary folder");
        m_folder = temp + wide(uniqueName());
        if (!::CreateDirectoryW(m_folder.c_str(), nullptr)) throw std::runtime_error("no scratch folder");
    }
    ~WinFilesSide() override {
        // The handle a failing close left open is let go now, so the folder can be removed.
        for (HANDLE protectedHandle : m_protected) {
            ::SetHandleInformation(protectedHandle, HANDLE_FLAG_PROTECT_FROM_CLOSE, 0);
            UniqueKernelHandle released(protectedHandle);
        }
        wintest::removeTree(m_folder);
    }
    IFileSystem& files() override { return m_files; }
    std::string scratchFolder() override { return narrow(m_folder); }
    void plantFile(std::string_view path, std::string_view bytes) override {
        const std::wstring file = wide(path);
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        UniqueKernelHandle handle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!handle) throw std::runtime_error("cannot plant " + std::string(path));
        DWORD written = 0;
        const BOOL wrote = ::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        handle.reset();
        if (!wrote || written != bytes.size()) throw std::runtime_error("cannot plant " + std::string(path));
    }
    std::optional<std::string> readBack(std::string_view path) override {
        UniqueKernelHandle handle(::CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        if (!handle) return std::nullopt;
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(handle.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
        return bytes;
    }
    // A handle protected from closing makes CloseHandle fail, the one failure of it a test can bring about.
    Result<std::unique_ptr<IFile>> openWithFailingClose(std::string_view path) override {
        HANDLE handle = ::CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return Status::failure(::GetLastError(), "CreateFileW");
        ::SetHandleInformation(handle, HANDLE_FLAG_PROTECT_FROM_CLOSE, HANDLE_FLAG_PROTECT_FROM_CLOSE);
        m_protected.push_back(handle);
        return std::unique_ptr<IFile>(std::make_unique<WinFile>(UniqueKernelHandle(handle)));
    }

    // Wine keeps "read-only" as the Unix file's permissions, which do not hold back a Wine run by root.
    bool refusesWritesToReadOnlyFiles() override {
        const std::wstring probe = m_folder + L"\\read-only probe";
        plantFile(narrow(probe), "");
        ::SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_READONLY);
        const bool refused =
            !UniqueKernelHandle(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ::SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(probe.c_str());
        return refused;
    }

private:
    WinFileSystem m_files;
    std::wstring m_folder;
    std::vector<HANDLE> m_protected;
};

class WinProgramsSide final : public ProgramsSide {
public:
    IProgramRunner& runner() override { return m_runner; }
    std::string programThatDoes(const ProgramPlan& plan) override {
        return "cmd.exe /c \"echo " + plan.toOutput + " & echo " + plan.toErrors + " 1>&2 & exit " +
               std::to_string(plan.exitCode) + "\"";
    }
    std::string programThatRunsOn() override { return "ping.exe -n 60 127.0.0.1"; }
    std::string missingProgram() override { return "obelon-no-such-program.exe"; }

private:
    WinProgramRunner m_runner;
};

}  // namespace

std::unique_ptr<RegistrySide> makeRegistrySide() {
    return std::make_unique<WinRegistrySide>();
}
std::unique_ptr<FilesSide> makeFilesSide() {
    return std::make_unique<WinFilesSide>();
}
std::unique_ptr<ICrypto> makeCrypto() {
    return std::make_unique<WinCrypto>();
}
std::unique_ptr<ProgramsSide> makeProgramsSide() {
    return std::make_unique<WinProgramsSide>();
}

}  // namespace contract
