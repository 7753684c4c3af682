// The boot token of the real clock, on the real registry under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/WinClock.h"

namespace {

void setBootCount(DWORD count) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kBootCountKey, kBootCountValue, REG_DWORD, &count, sizeof count),
              ERROR_SUCCESS);
}

void removeBootCount() { (void)::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kBootCountKey, kBootCountValue); }

}  // namespace

// A logoff drops the user's volatile keys but not the machine's count of boots, so the session limit can
// still tell a new logon of this boot from a new boot.
TEST(RealClock, TheBootTokenIsTheSystemsBootCountWhereItKeepsOneAndTheUsersOwnOtherwise) {
    DWORD saved = 0;
    DWORD size = sizeof saved;
    const bool hadCount = ::RegGetValueW(HKEY_LOCAL_MACHINE, kBootCountKey, kBootCountValue, RRF_RT_REG_DWORD,
                                         nullptr, &saved, &size) == ERROR_SUCCESS;

    setBootCount(41);
    EXPECT_EQ(WinClock().bootToken(), "boot-41");
    setBootCount(42);
    EXPECT_EQ(WinClock().bootToken(), "boot-42") << "another boot, another token";

    removeBootCount();
    const std::string own = WinClock().bootToken();
    EXPECT_FALSE(own.empty());
    EXPECT_NE(own.rfind("boot-", 0), 0u);
    EXPECT_EQ(WinClock().bootToken(), own) << "the same boot keeps its token";

    if (hadCount) setBootCount(saved);
}
