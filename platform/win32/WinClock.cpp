#include "platform/win32/WinClock.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Utf.h"

namespace {

constexpr int64_t kFileTimeAtUnixEpoch = 116444736000000000;  // 100 ns units from 1601 to 1970
constexpr int64_t kFileTimeUnitsPerMs = 10000;

std::optional<std::wstring> readToken(HKEY key) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (::RegQueryValueExW(key, kBootTokenValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ || size < sizeof(wchar_t)) return std::nullopt;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key, kBootTokenValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring token(text.data());
    if (token.empty()) return std::nullopt;
    return token;
}

// A random GUID (version 4) in its usual text form, from the system's generator.
std::optional<std::wstring> newToken() {
    unsigned char bytes[16] = {};
    if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
        return std::nullopt;
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    wchar_t text[40] = {};
    std::swprintf(text, std::size(text), L"{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9],
                  bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return std::wstring(text);
}

std::optional<std::wstring> systemBootCount() {
    DWORD count = 0;
    DWORD size = sizeof count;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kBootCountKey, kBootCountValue, RRF_RT_REG_DWORD, nullptr, &count, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return L"boot-" + std::to_wstring(count);
}

}  // namespace

int64_t WinClock::utcNowMs() {
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    const int64_t units = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (units - kFileTimeAtUnixEpoch) / kFileTimeUnitsPerMs;
}

// Windows' bias is UTC minus local time; daylight saving adds its own bias while it is in force. Without
// any time-zone information the machine keeps UTC, so the offset is 0.
int WinClock::utcOffsetMinutes() {
    TIME_ZONE_INFORMATION zone = {};
    const DWORD id = ::GetTimeZoneInformation(&zone);
    if (id == TIME_ZONE_ID_INVALID) return 0;
    LONG bias = zone.Bias;
    if (id == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (id == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    return static_cast<int>(-bias);
}

int64_t WinClock::uptimeMs() {
    return static_cast<int64_t>(::GetTickCount64());
}

// The system's boot count where it keeps one: it survives a logoff, which drops the user's volatile keys.
// Otherwise a random token in a volatile key of the user's, made at the first call of a boot. Its parent is
// made first as an ordinary key: created in one call, it would be volatile as well, and the program's lasting
// per-user settings below it could then not be stored.
std::string WinClock::bootToken() {
    if (!m_bootToken.empty()) return m_bootToken;
    if (const std::optional<std::wstring> count = systemBootCount()) {
        m_bootToken = toUtf8(*count);
        return m_bootToken;
    }
    UniqueHKey parent;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kBootTokenParentKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                          nullptr, parent.put(), nullptr) != ERROR_SUCCESS) {
        return {};
    }
    UniqueHKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kBootTokenKey, 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return {};
    }
    std::optional<std::wstring> token = readToken(key.get());
    if (!token) {
        token = newToken();
        if (!token) return {};
        const DWORD bytes = static_cast<DWORD>((token->size() + 1) * sizeof(wchar_t));
        if (::RegSetValueExW(key.get(), kBootTokenValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(token->c_str()),
                             bytes) != ERROR_SUCCESS) {
            return {};
        }
    }
    m_bootToken = toUtf8(*token);
    return m_bootToken;
}

// Formatting the whole picture at once lets languages that inflect a month after its day (Polish "6-grudnia")
// do so.
std::string WinClock::formatDate(const CivilTime& date, std::string_view picture) {
    SYSTEMTIME when = {};
    when.wYear = static_cast<WORD>(date.year);
    when.wMonth = static_cast<WORD>(date.month);
    when.wDay = static_cast<WORD>(date.day);
    when.wHour = static_cast<WORD>(date.hour);
    when.wMinute = static_cast<WORD>(date.minute);
    when.wSecond = static_cast<WORD>(date.second);
    const std::wstring format = toWide(picture);
    wchar_t text[128] = {};
    const int length = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &when, format.c_str(), text,
                                         static_cast<int>(std::size(text)), nullptr);
    if (length <= 0) return {};
    return toUtf8(std::wstring_view(text, static_cast<size_t>(length - 1)));
}

void WinClock::beep() {
    (void)::MessageBeep(MB_OK);
}
