#include "platform/sim/SimFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sim/SimFileSystem.h"

namespace sim {

// What Windows reports for the same trouble, so the logic sees one set of numbers on both backends.
uint32_t windowsErrorFor(int error) {
    switch (error) {
        case ENOENT:
            return errc::kFileNotFound;
        case ENOTDIR:
            return errc::kPathNotFound;
        case EACCES:
        case EPERM:
        case EBADF:  // written to a file opened for reading, or read from one opened for writing
        case EISDIR:
            return errc::kAccessDenied;
        case EEXIST:
        case ENOTEMPTY:
            return errc::kAlreadyExists;
        case ENOSPC:
        case EDQUOT:
            return errc::kDiskFull;
        case EBUSY:
            return errc::kSharingViolation;
        case ENAMETOOLONG:
            return 206;  // ERROR_FILENAME_EXCED_RANGE
        default:
            return 31;  // ERROR_GEN_FAILURE
    }
}

uint64_t fileTimeOf(const timespec& at) {
    constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
    return kUnixEpochAsFileTime + static_cast<uint64_t>(at.tv_sec) * 10000000ULL +
           static_cast<uint64_t>(at.tv_nsec) / 100;
}

SimFile::SimFile(SimFileSystem& files, int fd, std::string host, bool writing, Kind kind)
    : m_files(files),
      m_fd(fd),
      m_host(std::move(host)),
      m_writing(writing),
      m_kind(kind),
      m_removeOnClose(kind == Kind::TemporaryOutput) {}

SimFile::~SimFile() {
    if (m_fd >= 0) (void)close();
}

Result<size_t> SimFile::read(std::span<uint8_t> buffer) {
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "ReadFile");
    size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::read(m_fd, buffer.data() + done, buffer.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Status::failure(windowsErrorFor(errno), "ReadFile");
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

Status SimFile::write(std::span<const uint8_t> bytes) {
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "WriteFile");
    size_t allowed = bytes.size();
    const Status budget = m_files.writeAllowance(bytes.size(), allowed);
    size_t done = 0;
    while (done < allowed) {
        const ssize_t put = ::write(m_fd, bytes.data() + done, allowed - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return Status::failure(windowsErrorFor(errno), "WriteFile");
        done += static_cast<size_t>(put);
        m_wrote = true;
    }
    return budget;
}

Status SimFile::flush() {
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "FlushFileBuffers");
    uint32_t code = 0;
    if (m_files.injected(SimFileSystem::Op::Flush, code)) return Status::failure(code, "FlushFileBuffers");
    if (::fsync(m_fd) != 0) return Status::failure(windowsErrorFor(errno), "FlushFileBuffers");
    return Status::success();
}

// Linux starts the write-back of the dirty pages and returns; the flush then waits for it.
void SimFile::startFlush() {
    if (m_fd >= 0) (void)::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

Result<uint64_t> SimFile::size() {
    struct stat info {};
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "GetFileSizeEx");
    if (::fstat(m_fd, &info) != 0) return Status::failure(windowsErrorFor(errno), "GetFileSizeEx");
    return static_cast<uint64_t>(info.st_size);
}

Result<uint32_t> SimFile::linkCount() {
    struct stat info {};
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "GetFileInformationByHandle");
    if (::fstat(m_fd, &info) != 0) return Status::failure(windowsErrorFor(errno), "GetFileInformationByHandle");
    return static_cast<uint32_t>(info.st_nlink);
}

Result<FileDetails> SimFile::details() {
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "GetFileInformationByHandleEx");
    return m_files.detailsOf(m_host);
}

Status SimFile::rewind() {
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "SetFilePointerEx");
    if (::lseek(m_fd, 0, SEEK_SET) != 0) return Status::failure(windowsErrorFor(errno), "SetFilePointerEx");
    return Status::success();
}

// Only an opening made with the right to delete may; Windows then refuses the mark on a read-only file.
Status SimFile::removeWhenClosed() {
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "SetFileInformationByHandle");
    if (m_kind == Kind::Plain) return Status::failure(errc::kAccessDenied, "SetFileInformationByHandle");
    if (Status may = m_files.mayRemove(m_host); !may.ok()) return may;
    m_removeOnClose = true;
    return Status::success();
}

Status SimFile::keepAs(std::string_view path) {
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "SetFileInformationByHandle");
    if (m_kind != Kind::TemporaryOutput) return Status::failure(errc::kAccessDenied, "SetFileInformationByHandle");
    Result<std::string> named = m_files.renameOpen(m_host, m_writing, path);
    if (!named.ok()) return named.status();
    m_host = named.value();
    m_removeOnClose = false;
    return Status::success();
}

// The descriptor goes whatever happens, as CloseHandle's does; an injected failure is reported all the same.
Status SimFile::close() {
    if (m_fd < 0) return Status::failure(errc::kInvalidHandle, "CloseHandle");
    uint32_t code = 0;
    const bool failing = m_files.injected(SimFileSystem::Op::Close, code);
    // As NTFS does: an opening that wrote sets the last write time when it closes, over one set meanwhile.
    if (m_wrote) {
        const timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
        (void)::futimens(m_fd, times);
    }
    const int result = ::close(m_fd);
    const int error = errno;
    m_fd = -1;
    m_files.fileClosed(m_host, m_writing, m_removeOnClose);
    if (failing) return Status::failure(code, "CloseHandle");
    if (result != 0) return Status::failure(windowsErrorFor(error), "CloseHandle");
    return Status::success();
}

}  // namespace sim
