// The registry layer on the real registry (under Wine in CI), beyond the registry contract: the bytes other
// readers (reg.exe) see, and no key handle left open. Each test works below its own key
// HKCU\Software\OBPTest\<random>, removed again afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/WinRegistry.h"
#include "registry/RegistryEdit.h"

namespace {

const std::wstring kTestRoot = L"Software\\OBPTest";

std::string randomName() {
    std::random_device device;
    return "run" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(device());
}

std::wstring wide(const std::string& utf8) {
    std::wstring text(utf8.size(), L'\0');
    const int count = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                                            static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(count));
    return text;
}

HKEY rootOf(RootKey root) {
    return root == RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class RealRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        m_name = randomName();
        m_path = "Software\\OBPTest\\" + m_name;
    }

    void TearDown() override {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            ::RegDeleteTreeW(root, (kTestRoot + L"\\" + wide(m_name)).c_str());
            ::RegDeleteKeyW(root, kTestRoot.c_str());  // only when no other run still uses it
        }
    }

    std::string path(const std::string& below = "") const { return below.empty() ? m_path : m_path + "\\" + below; }

    // Stores exactly these bytes. RegSetValueExW would add a character to text that lacks its
    // terminator when a NUL follows in memory, so a non-NUL sentinel follows instead.
    void plant(const std::string& name, DWORD type, std::vector<BYTE> bytes, RootKey root = RootKey::CurrentUser) {
        const DWORD size = static_cast<DWORD>(bytes.size());
        bytes.push_back('?');
        bytes.push_back('?');
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(rootOf(root), wide(m_path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        const LSTATUS rc = ::RegSetValueExW(key, wide(name).c_str(), 0, type, bytes.data(), size);
        ::RegCloseKey(key);
        ASSERT_EQ(rc, ERROR_SUCCESS);
    }

    void plantText(const std::string& name, const std::wstring& text, DWORD type = REG_SZ) {
        std::vector<BYTE> bytes(text.size() * sizeof(wchar_t));
        if (!bytes.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
        plant(name, type, bytes);
    }

    struct Stored {
        LSTATUS status = ERROR_FILE_NOT_FOUND;
        DWORD type = REG_NONE;
        std::vector<BYTE> bytes;
    };

    Stored stored(const std::string& below, const std::string& name, RootKey root = RootKey::CurrentUser) const {
        Stored result;
        DWORD size = 0;
        result.status = ::RegGetValueW(rootOf(root), wide(path(below)).c_str(), wide(name).c_str(),
                                       RRF_RT_ANY | RRF_NOEXPAND, &result.type, nullptr, &size);
        if (result.status != ERROR_SUCCESS) return result;
        result.bytes.resize(size);
        result.status = ::RegGetValueW(rootOf(root), wide(path(below)).c_str(), wide(name).c_str(),
                                       RRF_RT_ANY | RRF_NOEXPAND, &result.type, result.bytes.data(), &size);
        result.bytes.resize(size);
        return result;
    }

    WinRegistry m_registry;
    std::string m_name;
    std::string m_path;
};

std::vector<BYTE> bytesOf(const std::wstring& text) {
    std::vector<BYTE> bytes(text.size() * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

using RegistryTextStorage = RealRegistry;

TEST_F(RegistryTextStorage, NonAsciiTextRoundTripsAndIsStoredAsUtf16) {
    const std::string text = "\xC3\x9C" "bung \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";  // Übung – 日本 😀
    SetStringValue(m_registry, RootKey::CurrentUser, m_path, "mixed", text);
    EXPECT_EQ(GetStringValue(m_registry, RootKey::CurrentUser, m_path, "mixed"), text);
    // reg.exe and every other reader sees the same characters, with one terminating NUL.
    const Stored raw = stored("", "mixed");
    ASSERT_EQ(raw.status, ERROR_SUCCESS);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.bytes, bytesOf(std::wstring(L"\u00DCbung \u2013 \u65E5\u672C \U0001F600") + L'\0'));
}

// Wine's GetProcessHandleCount always reports 0, so a leak is also looked for through the handle
// table itself: Wine hands out the lowest free slot, so the handle a fresh open gets is the same
// before and after a run of reads unless one of them kept a handle open.
class HandleProbe {
public:
    static UINT_PTR nextSlot() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        const auto slot = reinterpret_cast<UINT_PTR>(key);
        ::RegCloseKey(key);
        return slot;
    }
    static DWORD count() {
        DWORD handles = 0;
        ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
        return handles;
    }
};

using RegistryHandles = RealRegistry;

TEST_F(RegistryHandles, TheProbeSeesALeakedKeyHandle) {
    const UINT_PTR before = HandleProbe::nextSlot();
    const DWORD countBefore = HandleProbe::count();
    HKEY leaked = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &leaked), ERROR_SUCCESS);
    EXPECT_NE(HandleProbe::nextSlot(), before);
    if (countBefore != 0) {
        EXPECT_EQ(HandleProbe::count(), countBefore + 1);
    }
    ::RegCloseKey(leaked);
    EXPECT_EQ(HandleProbe::nextSlot(), before);
}

TEST_F(RegistryHandles, TwentyThousandReadsKeepNoHandleOpen) {
    SetStringValue(m_registry, RootKey::CurrentUser, path("Tasks"), "Task0", "Notepad");
    SetDWordValue(m_registry, RootKey::CurrentUser, m_path, "DisableRegistryTools", 1);
    plantText("bare", L"abc");
    // Warm up: the first use of a predefined root opens a handle that stays for the process.
    (void)GetStringValue(m_registry, RootKey::CurrentUser, m_path, "bare");
    const UINT_PTR slotBefore = HandleProbe::nextSlot();
    const DWORD countBefore = HandleProbe::count();

    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(GetStringValue(m_registry, RootKey::CurrentUser, path("Tasks"), "Task0"), "Notepad");
        ASSERT_EQ(GetStringValue(m_registry, RootKey::CurrentUser, path("Tasks"), "Task" + std::to_string(i + 1)), "");
        ASSERT_EQ(GetDWordValue(m_registry, RootKey::CurrentUser, m_path, "DisableRegistryTools"), 1);
        ASSERT_EQ(GetStringValue(m_registry, RootKey::CurrentUser, m_path, "DisableRegistryTools"), "");
    }

    EXPECT_EQ(HandleProbe::nextSlot(), slotBefore);
    EXPECT_EQ(HandleProbe::count(), countBefore);
}

}  // namespace
