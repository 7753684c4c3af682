#include "platform/win32/WinFile.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/win32/LongPath.h"
#include "platform/win32/Utf.h"

namespace {

// ReadFile and WriteFile take 32-bit counts; larger buffers go through in pieces.
constexpr size_t kMaxPiece = 1u << 30;

Status lastError(const char* api) {
    return Status::failure(::GetLastError(), api);
}

}  // namespace

Result<size_t> WinFile::read(std::span<uint8_t> buffer) {
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "ReadFile");
    size_t done = 0;
    while (done < buffer.size()) {
        const auto piece = static_cast<DWORD>(std::min(buffer.size() - done, kMaxPiece));
        DWORD got = 0;
        if (!::ReadFile(m_handle.get(), buffer.data() + done, piece, &got, nullptr)) return lastError("ReadFile");
        if (got == 0) break;
        done += got;
    }
    return done;
}

Status WinFile::write(std::span<const uint8_t> bytes) {
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "WriteFile");
    size_t done = 0;
    while (done < bytes.size()) {
        const auto piece = static_cast<DWORD>(std::min(bytes.size() - done, kMaxPiece));
        DWORD put = 0;
        if (!::WriteFile(m_handle.get(), bytes.data() + done, piece, &put, nullptr)) return lastError("WriteFile");
        if (put == 0) return Status::failure(ERROR_WRITE_FAULT, "WriteFile");
        done += put;
    }
    return Status::success();
}

Status WinFile::flush() {
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "FlushFileBuffers");
    awaitStartedFlush();
    if (!::FlushFileBuffers(m_handle.get())) return lastError("FlushFileBuffers");
    return Status::success();
}

// Windows has no call that only starts a flush, so a thread makes one and the writes go on beside it: under
// Wine the flush is the host's fsync, which lets them. Windows itself lets the calls on one synchronous opening
// wait for each other, so there it only brings the flush forward. One at a time; a request meanwhile is dropped.
void WinFile::startFlush() {
    if (!m_handle) return;
    if (m_flushing.valid() && m_flushing.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
    HANDLE handle = m_handle.get();
    m_flushing = std::async(std::launch::async, [handle] { (void)::FlushFileBuffers(handle); });
}

// What it found goes unheard: the flush that follows reports the same trouble.
void WinFile::awaitStartedFlush() {
    if (m_flushing.valid()) m_flushing.get();
}

// Not GetFileInformationByHandle: it asks for the volume's serial number too, which under Wine is a trip to the
// mount manager (about 0.8 ms, against 1-2 us for this).
Result<uint32_t> WinFile::linkCount() {
    FILE_STANDARD_INFO info = {};
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "GetFileInformationByHandleEx");
    if (!::GetFileInformationByHandleEx(m_handle.get(), FileStandardInfo, &info, sizeof info)) {
        return lastError("GetFileInformationByHandleEx");
    }
    return static_cast<uint32_t>(info.NumberOfLinks);
}

Result<uint64_t> WinFile::size() {
    LARGE_INTEGER size = {};
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "GetFileSizeEx");
    if (!::GetFileSizeEx(m_handle.get(), &size)) return lastError("GetFileSizeEx");
    return static_cast<uint64_t>(size.QuadPart);
}

Status WinFile::rewind() {
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "SetFilePointerEx");
    if (!::SetFilePointerEx(m_handle.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN)) return lastError("SetFilePointerEx");
    return Status::success();
}

Status WinFile::markForDeletion(bool remove) {
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "SetFileInformationByHandle");
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    if (!::SetFileInformationByHandle(m_handle.get(), FileDispositionInfo, &disposition, sizeof(disposition))) {
        return lastError("SetFileInformationByHandle");
    }
    return Status::success();
}

Status WinFile::removeWhenClosed() {
    return markForDeletion(true);
}

namespace {

// The rename through a handle takes the system's own form of a full path: "\??\C:\..." or "\??\UNC\...". That
// form is not cleaned up by the system either, so it is made from the cleaned-up "\\?\" form.
std::wstring systemFormOf(std::string_view path) {
    const std::wstring full = longPath(path);
    if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return L"\\??\\" + full.substr(4);
    return L"\\??\\" + full;
}

}  // namespace

// The mark comes off first: a file waiting for deletion cannot be renamed. Shown before it is named, so that
// it never stands hidden under its final name.
Status WinFile::keepAs(std::string_view path) {
    if (Status kept = markForDeletion(false); !kept.ok()) return kept;
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    if (!::SetFileInformationByHandle(m_handle.get(), FileBasicInfo, &basic, sizeof(basic))) {
        const Status failed = lastError("SetFileInformationByHandle");
        (void)markForDeletion(true);
        return failed;
    }
    const std::wstring name = systemFormOf(path);
    std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), rename->FileName);
    if (!::SetFileInformationByHandle(m_handle.get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
        const Status failed = lastError("SetFileInformationByHandle");
        (void)markForDeletion(true);
        return failed;
    }
    return Status::success();
}

// The handle is let go whatever CloseHandle answers, as after a failed close there is nothing left to retry.
Status WinFile::close() {
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "CloseHandle");
    awaitStartedFlush();
    if (!m_handle.close()) return lastError("CloseHandle");
    return Status::success();
}
