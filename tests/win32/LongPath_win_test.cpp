// The form the Win32 file backend gives every full path so that it may pass MAX_PATH. Wine itself has no
// MAX_PATH limit, so a path left without "\\?\" would still work there: only these cases catch it.
#include <gtest/gtest.h>

#include "platform/win32/LongPath.h"

namespace {

TEST(LongPathForm, FullPathsGetThePrefixAndTheSystemsOwnCleanUpFirst) {
    EXPECT_EQ(longPath("C:\\Data\\report.txt"), L"\\\\?\\C:\\Data\\report.txt");
    EXPECT_EQ(longPath("c:/Data//old/./../report.txt"), L"\\\\?\\c:\\Data\\report.txt");
    EXPECT_EQ(longPath("\\\\server\\share\\report.txt"), L"\\\\?\\UNC\\server\\share\\report.txt");
    EXPECT_EQ(longPath("//server/share/x/../report.txt"), L"\\\\?\\UNC\\server\\share\\report.txt");
    EXPECT_EQ(longPath("C:\\Ünï\\\xF0\x9F\x98\x80.txt"), L"\\\\?\\C:\\\u00DCn\u00EF\\\U0001F600.txt");
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\" + std::string(300, 'e') + "\\..\\f";
    EXPECT_EQ(longPath(deep), L"\\\\?\\C:\\" + std::wstring(300, L'd') + L"\\f");
}

// A device path is the system's own form already; a path that is not a full one is refused by the logic, and
// resolving it here against the current folder would hide that.
TEST(LongPathForm, DevicePathsAndPathsThatAreNotFullStayAsTheyAre) {
    EXPECT_EQ(longPath("\\\\?\\C:\\a\\..\\b"), L"\\\\?\\C:\\a\\..\\b");
    EXPECT_EQ(longPath("\\\\.\\C:\\a"), L"\\\\.\\C:\\a");
    EXPECT_EQ(longPath("report.txt"), L"report.txt");
    EXPECT_EQ(longPath("C:report.txt"), L"C:report.txt");
    EXPECT_EQ(longPath("..\\report.txt"), L"..\\report.txt");
    EXPECT_EQ(longPath("\\report.txt"), L"\\report.txt");
    EXPECT_EQ(longPath(""), L"");
}

}  // namespace
