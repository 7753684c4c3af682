#pragma once
#include <windows.h>

#include <string>

namespace wintest {

// Removes a scratch folder and all in it, read-only items too, through the system's own calls: std::filesystem
// stops at MAX_PATH under this runtime, and a test's folder may lie deeper (give it in the "\\?\" form then).
inline void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring item = folder + L"\\" + name;
            ::SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(item);
            } else {
                ::DeleteFileW(item.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace wintest
