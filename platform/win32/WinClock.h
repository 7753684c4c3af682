#pragma once
#include <string>

#include "platform/IClock.h"

// The clocks of the real machine. The boot token is kept in a volatile key of the user's registry,
// which Windows drops when the machine restarts (or the user's hive is unloaded at logoff).
class WinClock final : public IClock {
public:
    int64_t utcNowMs() override;
    int utcOffsetMinutes() override;
    int64_t uptimeMs() override;
    std::string bootToken() override;
    std::string formatDate(const CivilTime& date, std::string_view picture) override;
    void beep() override;

private:
    std::string m_bootToken;  // once read or made, the same for the whole run
};

// Where the boot token lives, for tests that look at it from outside.
inline constexpr const wchar_t* kBootTokenParentKey = L"Software\\OBP";
inline constexpr const wchar_t* kBootTokenKey = L"Software\\OBP\\Volatile";
inline constexpr const wchar_t* kBootTokenValue = L"Boot";
// The system's own count of its boots, kept machine-wide where a standard user can read it but not change it.
inline constexpr const wchar_t* kBootCountKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
inline constexpr const wchar_t* kBootCountValue = L"BootId";
