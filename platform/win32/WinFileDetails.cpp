// A file's details on Windows: attributes and times from its handle, its security descriptor, and its named
// streams through FindFirstStreamW and the "file:name:$DATA" form of their paths.
#include <algorithm>

#include "platform/win32/LongPath.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Utf.h"
#include "platform/win32/WinFile.h"
#include "platform/win32/WinFileSystem.h"

namespace {

constexpr SECURITY_INFORMATION kCarriedSecurity =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

Status lastError(const char* api) {
    return Status::failure(::GetLastError(), api);
}

FILETIME toFileTime(uint64_t time) {
    return {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
}

// A volume without streams (FAT, and Wine's view of the host's files) answers with one of these: it has none.
bool meansNoStreams(DWORD code) {
    return code == ERROR_HANDLE_EOF || code == ERROR_INVALID_PARAMETER || code == ERROR_NOT_SUPPORTED ||
           code == ERROR_INVALID_FUNCTION || code == ERROR_CALL_NOT_IMPLEMENTED;
}

std::wstring streamPath(const std::wstring& file, const std::string& name) {
    return file + L":" + toWide(name) + L":$DATA";
}

// A first try with room for a usual descriptor saves the call that only asks for the size.
Result<std::vector<uint8_t>> readSecurity(HANDLE file) {
    std::vector<uint8_t> descriptor(1024);
    DWORD needed = 0;
    if (!::GetKernelObjectSecurity(file, kCarriedSecurity, descriptor.data(), static_cast<DWORD>(descriptor.size()),
                                   &needed)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION) return std::vector<uint8_t>{};
        if (code != ERROR_INSUFFICIENT_BUFFER) return Status::failure(code, "GetKernelObjectSecurity");
        descriptor.resize(needed);
        if (!::GetKernelObjectSecurity(file, kCarriedSecurity, descriptor.data(), needed, &needed)) {
            return lastError("GetKernelObjectSecurity");
        }
    }
    descriptor.resize(::GetSecurityDescriptorLength(descriptor.data()));
    return descriptor;
}

// Read up to one byte past what is left of the limit, so a stream grown since it was listed is noticed too.
Result<std::vector<uint8_t>> readStream(const std::wstring& file, const std::string& name, uint64_t room) {
    UniqueKernelHandle stream(::CreateFileW(streamPath(file, name).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!stream) return lastError("CreateFileW");
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> buffer(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(stream.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            return lastError("ReadFile");
        }
        if (got == 0) return bytes;
        if (bytes.size() + got > room) return Status::failure(ERROR_FILE_TOO_LARGE, "ReadFile");
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + got);
    }
}

// The names first, with the total checked before any stream is read.
Result<std::vector<NamedStream>> readStreams(const std::wstring& file) {
    WIN32_FIND_STREAM_DATA found = {};
    UniqueFind search(::FindFirstStreamW(file.c_str(), FindStreamInfoStandard, &found, 0));
    if (!search) {
        if (meansNoStreams(::GetLastError())) return std::vector<NamedStream>{};
        return lastError("FindFirstStreamW");
    }
    std::vector<NamedStream> streams;
    uint64_t total = 0;
    do {
        std::wstring_view name(found.cStreamName);
        constexpr std::wstring_view kData = L":$DATA";
        if (name.size() <= 1 + kData.size() || !name.ends_with(kData) || name.front() != L':') continue;
        name = name.substr(1, name.size() - 1 - kData.size());
        if (name.empty()) continue;  // "::$DATA", the file's own bytes
        total += static_cast<uint64_t>(found.StreamSize.QuadPart);
        if (total > kMaxStreamBytes) return Status::failure(ERROR_FILE_TOO_LARGE, "FindNextStreamW");
        streams.push_back({toUtf8(name), {}});
    } while (::FindNextStreamW(search.get(), &found));
    if (::GetLastError() != ERROR_HANDLE_EOF) return lastError("FindNextStreamW");
    uint64_t read = 0;
    for (NamedStream& stream : streams) {
        Result<std::vector<uint8_t>> bytes = readStream(file, stream.name, kMaxStreamBytes - read);
        if (!bytes.ok()) return bytes.status();
        read += bytes.value().size();
        stream.bytes = std::move(bytes.value());
    }
    return streams;
}

// Where the volume has no named streams, "file:name" would be a new file of that name beside it (so under Wine),
// or refused: a file that carried streams is then not put back at all, rather than without them.
Status checkVolumeHasStreams(const std::wstring& file) {
    UniqueKernelHandle handle(::CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return lastError("CreateFileW");
    DWORD flags = 0;
    if (!::GetVolumeInformationByHandleW(handle.get(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        return lastError("GetVolumeInformationByHandleW");
    }
    if (!(flags & FILE_NAMED_STREAMS)) return Status::failure(ERROR_NOT_SUPPORTED, "GetVolumeInformationByHandleW");
    return Status::success();
}

Status writeStream(const std::wstring& file, const NamedStream& stream) {
    UniqueKernelHandle handle(::CreateFileW(streamPath(file, stream.name).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return lastError("CreateFileW");
    size_t done = 0;
    while (done < stream.bytes.size()) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(stream.bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(handle.get(), stream.bytes.data() + done, part, &written, nullptr))
            return lastError("WriteFile");
        done += written;
    }
    if (!handle.close()) return lastError("CloseHandle");
    return Status::success();
}

uint32_t wordAt(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + static_cast<size_t>(i)];
    return value;
}

// IsValidSecurityDescriptor follows the offsets inside without knowing where the bytes end; these checks keep
// every part it reaches within them.
bool withinBytes(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < sizeof(SECURITY_DESCRIPTOR_RELATIVE)) return false;
    auto sidFits = [&](uint32_t at) {
        if (at == 0) return true;
        if (at > bytes.size() - 8) return false;
        return 8u + 4u * bytes[at + 1] <= bytes.size() - at;
    };
    auto aclFits = [&](uint32_t at) {
        if (at == 0) return true;
        if (at > bytes.size() - 8) return false;
        const uint32_t size = wordAt(bytes, at + 2, 2);
        return size >= 8 && size <= bytes.size() - at;
    };
    return sidFits(wordAt(bytes, 4, 4)) && sidFits(wordAt(bytes, 8, 4)) && aclFits(wordAt(bytes, 12, 4)) &&
           aclFits(wordAt(bytes, 16, 4));
}

// The DACL always goes back. The owner and group go back where the system lets this user name them: naming
// another account as owner needs the restore privilege, which a standard user lacks, and the decrypted file is
// then his own, as a copy he made would be. The SACL (auditing) is never carried: reading it needs a privilege.
Status writeSecurity(const std::wstring& file, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> copy = bytes;
    auto* descriptor = reinterpret_cast<PSECURITY_DESCRIPTOR>(copy.data());
    if (!withinBytes(copy) || !(wordAt(copy, 2, 2) & SE_SELF_RELATIVE) || !::IsValidSecurityDescriptor(descriptor)) {
        return Status::failure(ERROR_INVALID_SECURITY_DESCR, "SetFileSecurityW");
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return lastError("GetSecurityDescriptorDacl");
    if (present && !::SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor)) {
        return lastError("SetFileSecurityW");
    }
    for (SECURITY_INFORMATION part : {GROUP_SECURITY_INFORMATION, OWNER_SECURITY_INFORMATION}) {
        if (::SetFileSecurityW(file.c_str(), part, descriptor)) continue;
        const DWORD code = ::GetLastError();
        if (code != ERROR_INVALID_OWNER && code != ERROR_ACCESS_DENIED && code != ERROR_PRIVILEGE_NOT_HELD &&
            code != ERROR_NOT_SUPPORTED) {
            return Status::failure(code, "SetFileSecurityW");
        }
    }
    return Status::success();
}

Status writeTimes(const std::wstring& file, const FileDetails& details) {
    UniqueKernelHandle handle(::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return lastError("CreateFileW");
    const FILETIME created = toFileTime(details.created);
    const FILETIME accessed = toFileTime(details.lastAccess);
    const FILETIME written = toFileTime(details.lastWrite);
    if (!::SetFileTime(handle.get(), details.created ? &created : nullptr, details.lastAccess ? &accessed : nullptr,
                       details.lastWrite ? &written : nullptr)) {
        return lastError("SetFileTime");
    }
    return Status::success();
}

// Through an opening with the right to read attributes and the security descriptor, and the file's path, by which
// its named streams are found.
Result<FileDetails> detailsThrough(HANDLE file, const std::wstring& wide) {
    // The basic information alone: GetFileInformationByHandle would ask for the volume's serial number too, a trip
    // to the mount manager under Wine.
    FILE_BASIC_INFO info = {};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info)) {
        return lastError("GetFileInformationByHandleEx");
    }
    FileDetails details;
    details.attributes = info.FileAttributes;
    details.created = static_cast<uint64_t>(info.CreationTime.QuadPart);
    details.lastAccess = static_cast<uint64_t>(info.LastAccessTime.QuadPart);
    details.lastWrite = static_cast<uint64_t>(info.LastWriteTime.QuadPart);
    Result<std::vector<uint8_t>> security = readSecurity(file);
    if (!security.ok()) return security.status();
    details.security = std::move(security.value());
    Result<std::vector<NamedStream>> streams = readStreams(wide);
    if (!streams.ok()) return streams.status();
    details.streams = std::move(streams.value());
    return details;
}

}  // namespace

// Opened for its attributes and rules only, which shares with any other opening of the file.
Result<FileDetails> WinFileSystem::readDetails(std::string_view path) {
    const std::wstring wide = longPath(path);
    UniqueKernelHandle handle(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return lastError("CreateFileW");
    return detailsThrough(handle.get(), wide);
}

// Saves the opening readDetails makes: under Wine an open and a close cost about 0.3 ms.
Result<FileDetails> WinFile::details() {
    if (!m_handle) return Status::failure(ERROR_INVALID_HANDLE, "GetFileInformationByHandleEx");
    if (m_path.empty()) return Status::failure(ERROR_INVALID_FUNCTION, "FindFirstStreamW");
    return detailsThrough(m_handle.get(), m_path);
}

// Streams first (each write moves the last write time), then the times, then the attributes (a read-only file
// takes no more streams), and the access rules last: rules that leave this user no right to change the file's
// attributes or times would otherwise stop the rest. The owner keeps the right to change the rules themselves.
Status WinFileSystem::writeDetails(std::string_view path, const FileDetails& details) {
    const std::wstring wide = longPath(path);
    if (!details.streams.empty()) {
        if (Status has = checkVolumeHasStreams(wide); !has.ok()) return has;
    }
    for (const NamedStream& stream : details.streams) {
        if (Status written = writeStream(wide, stream); !written.ok()) return written;
    }
    if (Status set = writeTimes(wide, details); !set.ok()) return set;
    const DWORD attributes = details.attributes & fileattr::kCarried;
    if (!::SetFileAttributesW(wide.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL)) {
        return lastError("SetFileAttributesW");
    }
    if (!details.security.empty()) return writeSecurity(wide, details.security);
    return Status::success();
}
