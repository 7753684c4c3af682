#include "platform/win32/WinFileSystem.h"

#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "platform/win32/LongPath.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Utf.h"
#include "platform/win32/WinFile.h"
#include "platform/win32/WindowHandle.h"

namespace {

struct ItemIdListTraits {
    using Type = PIDLIST_ABSOLUTE;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { ::CoTaskMemFree(h); }
};
using UniqueItemIdList = UniqueHandle<ItemIdListTraits>;

// The shell's picker needs COM on this thread; only a successful initialisation may be undone.
class ScopedComInit {
public:
    ScopedComInit() : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ScopedComInit() {
        if (SUCCEEDED(m_result)) ::CoUninitialize();
    }
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;

private:
    HRESULT m_result;
};

Status lastError(const char* api) {
    return Status::failure(::GetLastError(), api);
}

std::string insideFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    return path + std::string(name);
}

}  // namespace

Result<uint32_t> WinFileSystem::attributes(std::string_view path) {
    const DWORD bits = ::GetFileAttributesW(longPath(path).c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) return lastError("GetFileAttributesW");
    return static_cast<uint32_t>(bits);
}

Status WinFileSystem::setAttributes(std::string_view path, uint32_t attributes) {
    if (!::SetFileAttributesW(longPath(path).c_str(), attributes)) return lastError("SetFileAttributesW");
    return Status::success();
}

Result<FileStamp> WinFileSystem::stamp(std::string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(longPath(path).c_str(), GetFileExInfoStandard, &data)) {
        return lastError("GetFileAttributesExW");
    }
    return FileStamp{.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     .lastWrite = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                  data.ftLastWriteTime.dwLowDateTime};
}

// No MOVEFILE_REPLACE_EXISTING: an item under the new name is never replaced. Write-through, so that the name
// is on disk before the caller goes on (and, say, deletes the original).
Status WinFileSystem::rename(std::string_view from, std::string_view to) {
    if (!::MoveFileExW(longPath(from).c_str(), longPath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return lastError("MoveFileExW");
    return Status::success();
}

Status WinFileSystem::deleteFile(std::string_view path) {
    if (!::DeleteFileW(longPath(path).c_str())) return lastError("DeleteFileW");
    return Status::success();
}

Status WinFileSystem::createFolder(std::string_view path) {
    const std::wstring wide = longPath(path);
    if (::CreateDirectoryW(wide.c_str(), nullptr)) return Status::success();
    const Status failed = lastError("CreateDirectoryW");
    const DWORD bits = ::GetFileAttributesW(wide.c_str());
    if (failed.code() == ERROR_ALREADY_EXISTS && bits != INVALID_FILE_ATTRIBUTES && (bits & FILE_ATTRIBUTE_DIRECTORY)) {
        return Status::success();
    }
    return failed;
}

Result<std::vector<FileEntry>> WinFileSystem::listFiles(std::string_view folder) {
    WIN32_FIND_DATAW found = {};
    UniqueFind search(::FindFirstFileExW(longPath(insideFolder(folder, "*")).c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return lastError("FindFirstFileExW");
    std::vector<FileEntry> entries;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        entries.push_back({toUtf8(found.cFileName), static_cast<uint32_t>(found.dwFileAttributes)});
    } while (::FindNextFileW(search.get(), &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return lastError("FindNextFileW");
    return entries;
}

Result<std::unique_ptr<IFile>> WinFileSystem::openForReading(std::string_view path) {
    UniqueKernelHandle handle(::CreateFileW(longPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return lastError("CreateFileW");
    return std::unique_ptr<IFile>(std::make_unique<WinFile>(std::move(handle)));
}

// Opened as it is and cut to nothing afterwards: truncating on open is refused for hidden files (ours are)
// unless the caller repeats their attributes.
Result<std::unique_ptr<IFile>> WinFileSystem::openForWriting(std::string_view path) {
    UniqueKernelHandle handle(::CreateFileW(longPath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return lastError("CreateFileW");
    if (!::SetEndOfFile(handle.get())) return lastError("SetEndOfFile");
    return std::unique_ptr<IFile>(std::make_unique<WinFile>(std::move(handle)));
}

// Shared with readers only: nobody may write, rename or delete the file while it is held, but this opening may
// delete it.
Result<std::unique_ptr<IFile>> WinFileSystem::openHeld(std::string_view path) {
    std::wstring wide = longPath(path);
    UniqueKernelHandle handle(::CreateFileW(wide.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return lastError("CreateFileW");
    return std::unique_ptr<IFile>(std::make_unique<WinFile>(std::move(handle), std::move(wide)));
}

// Named by this program rather than GetTempFileNameW (which stops at MAX_PATH), and marked for deletion before
// the first byte is written: if the process ends however it ends, the system removes the file.
Result<std::unique_ptr<IFile>> WinFileSystem::createTemporaryOutput(std::string_view folder) {
    ULONGLONG seed = ::GetTickCount64() ^ (static_cast<ULONGLONG>(::GetCurrentProcessId()) << 16);
    for (int attempt = 0; attempt < 0x10000; ++attempt) {
        wchar_t name[16] = {};
        ::swprintf(name, 16, L"ob7%04X.tmp", static_cast<unsigned>((seed + static_cast<ULONGLONG>(attempt)) & 0xFFFF));
        const std::wstring path = longPath(insideFolder(folder, toUtf8(name)));
        UniqueKernelHandle handle(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                                CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, nullptr));
        if (!handle) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return Status::failure(error, "CreateFileW");
        }
        auto file = std::make_unique<WinFile>(std::move(handle));
        if (Status marked = file->markForDeletion(true); !marked.ok()) {
            // Without the mark the file could outlive the process; it goes now instead.
            (void)file->close();
            (void)::DeleteFileW(path.c_str());
            return marked;
        }
        return std::unique_ptr<IFile>(std::move(file));
    }
    return Status::failure(ERROR_FILE_EXISTS, "CreateFileW");
}

std::string WinFileSystem::temporaryFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) return {};
    return toUtf8(path);
}

// GetTempFileNameW takes no folder longer than MAX_PATH - 14, with "\\?\" or without (Wine's copies a longer one
// past the end of its MAX_PATH buffer): a deeper folder is refused before the call. The name it gives is the
// folder as passed, so it comes back in the caller's spelling.
Result<std::string> WinFileSystem::createTemporaryFile(std::string_view folder) {
    const std::wstring wideFolder = toWide(folder);
    if (wideFolder.size() > MAX_PATH - 14) return Status::failure(ERROR_BUFFER_OVERFLOW, "GetTempFileNameW");
    wchar_t name[MAX_PATH] = {};
    if (::GetTempFileNameW(wideFolder.c_str(), L"ob7", 0, name) == 0) return lastError("GetTempFileNameW");
    if (!::SetFileAttributesW(name, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE)) {
        const Status failed = lastError("SetFileAttributesW");
        ::DeleteFileW(name);
        return failed;
    }
    return toUtf8(name);
}

// The display-name buffer is not needed, but a buffer is passed: some shells write to it whatever the caller says.
std::string WinFileSystem::browseForFolder(const FolderPickerArgs& args) {
    ScopedComInit com;
    const std::wstring title = args.title ? toWide(*args.title) : std::wstring();
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = toHwnd(args.owner);
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = args.title ? title.c_str() : nullptr;
    info.ulFlags = args.flags;
    info.lpfn = nullptr;
    UniqueItemIdList item(::SHBrowseForFolderW(&info));
    if (!item) return {};
    // Room for the longest path the system has: a folder picked deep down must not read as a cancel.
    std::wstring path(32768, L'\0');
    if (!::SHGetPathFromIDListEx(item.get(), path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) return {};
    path.resize(std::wcslen(path.c_str()));
    return toUtf8(path);
}

std::string WinFileSystem::describeError(uint32_t code) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text) return "Unknown error " + std::to_string(code) + ".";
    std::wstring sentence(text, length);
    ::LocalFree(text);
    while (!sentence.empty() && (sentence.back() == L'\r' || sentence.back() == L'\n' || sentence.back() == L' ')) {
        sentence.pop_back();
    }
    return toUtf8(sentence);
}
