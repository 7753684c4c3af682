#include "platform/sim/SimFileSystem.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/sim/SimFile.h"
#include "platform/sim/SimText.h"

namespace fs = std::filesystem;

namespace sim {

namespace {

constexpr uint32_t kInvalidName = 123;  // ERROR_INVALID_NAME
constexpr uint32_t kNotAFolder = 267;   // ERROR_DIRECTORY
constexpr uint32_t kLeftFileAttributes = fileattr::kCarried;

bool isDriveAbsolute(std::string_view path) {
    const bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return path.size() >= 2 && letter && path[1] == ':' && (path.size() == 2 || path[2] == '\\' || path[2] == '/');
}

bool validComponent(std::string_view name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
    });
}

// The folders and name after the drive, with "." and ".." worked out and doubled separators dropped, as
// Windows normalises a full path.
std::optional<std::vector<std::string>> componentsOf(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    auto finish = [&]() -> bool {
        if (current.empty() || current == ".") {
        } else if (current == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!validComponent(current)) {
            return false;
        } else {
            parts.push_back(current);
        }
        current.clear();
        return true;
    };
    for (char c : path.substr(2)) {
        if (c == '\\' || c == '/') {
            if (!finish()) return std::nullopt;
        } else {
            current.push_back(c);
        }
    }
    if (!finish()) return std::nullopt;
    return parts;
}

bool present(const fs::path& host) {
    std::error_code error;
    return fs::exists(fs::symlink_status(host, error));
}

bool isFolder(const fs::path& host) {
    std::error_code error;
    return fs::is_directory(host, error);
}

std::string lastNameOf(std::string_view path) {
    const size_t cut = path.find_last_of("\\/");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string parentOf(std::string_view path) {
    const size_t cut = path.find_last_of("\\/");
    return std::string(cut == std::string_view::npos ? std::string_view() : path.substr(0, cut));
}

}  // namespace

SimFileSystem::~SimFileSystem() {
    if (!m_root) return;
    std::error_code error;
    fs::remove_all(*m_root, error);
}

const fs::path& SimFileSystem::root() {
    if (!m_root) {
        std::string pattern = (fs::temp_directory_path() / "obelon-sim-files-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for the simulated file system");
        m_root = fs::path(pattern);
    }
    return *m_root;
}

// Each folder on the way is found without regard to case; the last name may be missing (about to be made).
SimFileSystem::Resolved SimFileSystem::resolve(std::string_view path) {
    if (path.empty() || !isDriveAbsolute(path)) return {{}, errc::kPathNotFound};
    auto parts = componentsOf(path);
    if (!parts) return {{}, kInvalidName};
    fs::path current = root() / std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(path[0]))));
    std::error_code error;
    fs::create_directory(current, error);
    for (size_t i = 0; i < parts->size(); ++i) {
        const bool last = i + 1 == parts->size();
        if (!isFolder(current)) return {{}, errc::kPathNotFound};
        fs::path exact = current / (*parts)[i];
        if (present(exact)) {
            current = exact;
        } else if (auto match = matchIn(current, (*parts)[i])) {
            current = *match;
        } else if (last) {
            current = exact;
        } else {
            return {{}, errc::kPathNotFound};
        }
    }
    return {current, 0};
}

namespace {

bool modifiedAt(const fs::path& folder, int64_t& seconds, int64_t& nanoseconds) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return false;
    seconds = info.st_mtim.tv_sec;
    nanoseconds = info.st_mtim.tv_nsec;
    return true;
}

}  // namespace

// The host gives a folder a new modification time at every change once the time has been read, however close
// together the changes come, so an unchanged time means unchanged names, whoever changed the folder.
SimFileSystem::FolderNames* SimFileSystem::currentNames(const fs::path& folder) {
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    if (!modifiedAt(folder, seconds, nanoseconds)) {
        m_folderNames.erase(folder.string());
        return nullptr;
    }
    FolderNames& names = m_folderNames[folder.string()];
    if (names.seconds == seconds && names.nanoseconds == nanoseconds) return &names;
    names = FolderNames{.seconds = seconds, .nanoseconds = nanoseconds, .byFolded = {}};
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        names.byFolded.emplace(foldCase(name), std::move(name));
    }
    return &names;
}

// The entry of the folder whose name matches without regard to case, if any.
std::optional<fs::path> SimFileSystem::matchIn(const fs::path& folder, const std::string& name) {
    FolderNames* names = currentNames(folder);
    if (!names) return std::nullopt;
    auto found = names->byFolded.find(foldCase(name));
    if (found == names->byFolded.end()) return std::nullopt;
    return folder / found->second;
}

bool SimFileSystem::namesCurrent(const fs::path& folder) {
    auto names = m_folderNames.find(folder.string());
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    return names != m_folderNames.end() && modifiedAt(folder, seconds, nanoseconds) &&
           names->second.seconds == seconds && names->second.nanoseconds == nanoseconds;
}

// After a change of this file system's own to one name: the folder's names take it when they were current just
// before it, and the folder's new time with it; otherwise they are read again at the next look.
void SimFileSystem::namesChanged(const fs::path& host, bool added, bool wereCurrent) {
    const fs::path folder = host.parent_path();
    auto names = m_folderNames.find(folder.string());
    if (names == m_folderNames.end()) return;
    FolderNames& known = names->second;
    if (!wereCurrent || !modifiedAt(folder, known.seconds, known.nanoseconds)) {
        m_folderNames.erase(names);
        return;
    }
    const std::string name = host.filename().string();
    if (added) {
        known.byFolded[foldCase(name)] = name;
    } else {
        known.byFolded.erase(foldCase(name));
    }
}

bool SimFileSystem::injected(Op op, uint32_t& code) {
    auto queued = m_failures.find(op);
    if (queued == m_failures.end() || queued->second.empty()) return false;
    code = queued->second.front();
    queued->second.pop_front();
    return true;
}

void SimFileSystem::failNext(Op op, uint32_t code) { m_failures[op].push_back(code); }

void SimFileSystem::failWritesAfter(std::optional<uint64_t> bytes, uint32_t code) {
    m_writeBudget = bytes;
    m_writeFailure = code;
}

Status SimFileSystem::writeAllowance(size_t wanted, size_t& allowed) {
    allowed = wanted;
    if (!m_writeBudget) return Status::success();
    allowed = static_cast<size_t>(std::min<uint64_t>(wanted, *m_writeBudget));
    *m_writeBudget -= allowed;
    if (allowed < wanted) return Status::failure(m_writeFailure, "WriteFile");
    return Status::success();
}

void SimFileSystem::fileClosed(const std::string& host, bool writing, bool remove) {
    auto open = m_openFiles.find(host);
    if (open != m_openFiles.end()) m_openFiles.erase(open);
    auto written = m_openForWriting.find(host);
    if (writing && written != m_openForWriting.end()) m_openForWriting.erase(written);
    if (!remove) return;
    const bool namesWereCurrent = namesCurrent(fs::path(host).parent_path());
    if (::unlink(host.c_str()) == 0) {
        m_attributes.erase(host);
        m_details.erase(host);
        namesChanged(host, false, namesWereCurrent);
    }
}

Status SimFileSystem::mayRemove(const std::string& host) {
    uint32_t code = 0;
    if (injected(Op::Delete, code)) return Status::failure(code, "SetFileInformationByHandle");
    if (extraAttributes(host) & fileattr::kReadOnly) return Status::failure(errc::kAccessDenied, "SetFileInformationByHandle");
    return Status::success();
}

// FileRenameInfo without replacing, then FileBasicInfo showing the file: the opening keeps its file.
Result<std::string> SimFileSystem::renameOpen(const std::string& host, bool writing, std::string_view to) {
    uint32_t code = 0;
    if (injected(Op::Keep, code)) return Status::failure(code, "SetFileInformationByHandle");
    const Resolved target = resolve(to);
    if (target.error) return Status::failure(target.error, "SetFileInformationByHandle");
    if (present(target.host)) return Status::failure(errc::kAlreadyExists, "SetFileInformationByHandle");
    const bool fromCurrent = namesCurrent(fs::path(host).parent_path());
    const bool toCurrent = namesCurrent(target.host.parent_path());
    if (::renameat2(AT_FDCWD, host.c_str(), AT_FDCWD, target.host.c_str(), RENAME_NOREPLACE) != 0) {
        return Status::failure(windowsErrorFor(errno), "SetFileInformationByHandle");
    }
    namesChanged(host, false, fromCurrent);
    namesChanged(target.host, true, toCurrent);
    const std::string named = target.host.string();
    fileClosed(host, writing, false);
    m_openFiles.insert(named);
    if (writing) m_openForWriting.insert(named);
    carryDetails(host, named);
    m_attributes[named] = fileattr::kArchive;
    return named;
}

// An open file anywhere below a folder pins the folder too.
bool SimFileSystem::isOpen(const fs::path& host) const {
    const std::string item = host.string();
    return std::any_of(m_openFiles.begin(), m_openFiles.end(), [&](const std::string& open) {
        return open == item || (open.size() > item.size() && open.starts_with(item) && open[item.size()] == '/');
    });
}

uint32_t SimFileSystem::extraAttributes(const fs::path& host) const {
    auto found = m_attributes.find(host.string());
    return found == m_attributes.end() ? fileattr::kArchive : found->second;
}

Result<uint32_t> SimFileSystem::attributes(std::string_view path) {
    uint32_t code = 0;
    if (injected(Op::Attributes, code)) return Status::failure(code, "GetFileAttributesW");
    const Resolved at = resolve(path);
    if (at.error) return Status::failure(at.error, "GetFileAttributesW");
    if (!present(at.host)) return Status::failure(errc::kFileNotFound, "GetFileAttributesW");
    uint32_t bits = extraAttributes(at.host);
    std::error_code error;
    if (fs::is_symlink(at.host, error)) bits |= fileattr::kReparsePoint;
    if (isFolder(at.host)) return fileattr::kDirectory | (bits & ~fileattr::kArchive);
    return bits == 0 ? fileattr::kNormal : bits;
}

Status SimFileSystem::setAttributes(std::string_view path, uint32_t attributes) {
    uint32_t code = 0;
    if (injected(Op::SetAttributes, code)) return Status::failure(code, "SetFileAttributesW");
    const Resolved at = resolve(path);
    if (at.error) return Status::failure(at.error, "SetFileAttributesW");
    if (!present(at.host)) return Status::failure(errc::kFileNotFound, "SetFileAttributesW");
    m_attributes[at.host.string()] = attributes & kLeftFileAttributes;
    return Status::success();
}

// The host's modification time, counted as Windows counts file times.
Result<FileStamp> SimFileSystem::stamp(std::string_view path) {
    uint32_t code = 0;
    if (injected(Op::Stamp, code)) return Status::failure(code, "GetFileAttributesExW");
    const Resolved at = resolve(path);
    if (at.error) return Status::failure(at.error, "GetFileAttributesExW");
    struct stat info {};
    if (::stat(at.host.c_str(), &info) != 0) return Status::failure(windowsErrorFor(errno), "GetFileAttributesExW");
    return FileStamp{.size = isFolder(at.host) ? 0 : static_cast<uint64_t>(info.st_size),
                     .lastWrite = fileTimeOf(info.st_mtim)};
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING: the new name must be free, which renameat2 checks atomically.
Status SimFileSystem::rename(std::string_view from, std::string_view to) {
    uint32_t code = 0;
    if (injected(Op::Rename, code)) return Status::failure(code, "MoveFileExW");
    const Resolved source = resolve(from);
    if (source.error) return Status::failure(source.error, "MoveFileExW");
    if (!present(source.host)) return Status::failure(errc::kFileNotFound, "MoveFileExW");
    const Resolved target = resolve(to);
    if (target.error) return Status::failure(target.error, "MoveFileExW");
    if (isOpen(source.host)) return Status::failure(errc::kSharingViolation, "MoveFileExW");
    std::error_code error;
    const bool sameItem = present(target.host) && fs::equivalent(source.host, target.host, error);
    // Only the case of the name changes: the item keeps its place under the name as given.
    const fs::path destination = sameItem ? target.host.parent_path() / lastNameOf(to) : target.host;
    const bool fromCurrent = namesCurrent(source.host.parent_path());
    const bool toCurrent = namesCurrent(destination.parent_path());
    const int moved = sameItem ? ::rename(source.host.c_str(), destination.c_str())
                               : ::renameat2(AT_FDCWD, source.host.c_str(), AT_FDCWD, destination.c_str(),
                                             RENAME_NOREPLACE);
    if (moved != 0) return Status::failure(windowsErrorFor(errno), "MoveFileExW");
    namesChanged(source.host, false, fromCurrent);
    namesChanged(destination, true, toCurrent);
    carryDetails(source.host.string(), destination.string());
    return Status::success();
}

Status SimFileSystem::deleteFile(std::string_view path) {
    uint32_t code = 0;
    if (injected(Op::Delete, code)) return Status::failure(code, "DeleteFileW");
    const Resolved at = resolve(path);
    if (at.error) return Status::failure(at.error, "DeleteFileW");
    if (!present(at.host)) return Status::failure(errc::kFileNotFound, "DeleteFileW");
    if (isFolder(at.host) || (extraAttributes(at.host) & fileattr::kReadOnly)) {
        return Status::failure(errc::kAccessDenied, "DeleteFileW");
    }
    if (isOpen(at.host)) return Status::failure(errc::kSharingViolation, "DeleteFileW");
    const bool namesWereCurrent = namesCurrent(at.host.parent_path());
    if (::unlink(at.host.c_str()) != 0) return Status::failure(windowsErrorFor(errno), "DeleteFileW");
    namesChanged(at.host, false, namesWereCurrent);
    m_attributes.erase(at.host.string());
    m_details.erase(at.host.string());
    return Status::success();
}

Status SimFileSystem::createFolder(std::string_view path) {
    uint32_t code = 0;
    if (injected(Op::CreateFolder, code)) return Status::failure(code, "CreateDirectoryW");
    const Resolved at = resolve(path);
    if (at.error) return Status::failure(at.error, "CreateDirectoryW");
    if (isFolder(at.host)) return Status::success();
    if (present(at.host)) return Status::failure(errc::kAlreadyExists, "CreateDirectoryW");
    std::error_code error;
    if (!fs::create_directory(at.host, error)) return Status::failure(windowsErrorFor(error.value()), "CreateDirectoryW");
    return Status::success();
}

Result<std::vector<FileEntry>> SimFileSystem::listFiles(std::string_view folder) {
    uint32_t code = 0;
    if (injected(Op::List, code)) return Status::failure(code, "FindFirstFileW");
    const Resolved at = resolve(folder);
    if (at.error || !isFolder(at.host)) return Status::failure(errc::kPathNotFound, "FindFirstFileW");
    std::vector<FileEntry> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(at.host, error)) {
        if (!entry.is_regular_file(error)) continue;
        const uint32_t bits = extraAttributes(entry.path());
        entries.push_back({entry.path().filename().string(), bits == 0 ? fileattr::kNormal : bits});
    }
    if (error) return Status::failure(windowsErrorFor(error.value()), "FindNextFileW");
    std::sort(entries.begin(), entries.end(),
              [](const FileEntry& a, const FileEntry& b) { return lessIgnoringCase(a.name, b.name); });
    return entries;
}

Result<std::unique_ptr<IFile>> SimFileSystem::open(const Resolved& at, bool writing, bool held) {
    if (at.error) return Status::failure(at.error, "CreateFileW");
    if (!present(at.host)) return Status::failure(errc::kFileNotFound, "CreateFileW");
    if (isFolder(at.host)) return Status::failure(errc::kAccessDenied, "CreateFileW");
    if (writing && (extraAttributes(at.host) & fileattr::kReadOnly)) {
        return Status::failure(errc::kAccessDenied, "CreateFileW");
    }
    // Files are opened for writing sharing nothing and for reading sharing reading only, as the Win32 backend
    // opens them. A held file may be deleted through its opening, which no reader shares: it is as exclusive as
    // a file open for writing.
    const std::string host = at.host.string();
    const bool exclusive = writing || held;
    if (m_openForWriting.contains(host) || (exclusive && m_openFiles.contains(host))) {
        return Status::failure(errc::kSharingViolation, "CreateFileW");
    }
    const int fd = ::open(at.host.c_str(), (writing ? O_WRONLY | O_TRUNC : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return Status::failure(windowsErrorFor(errno), "CreateFileW");
    m_openFiles.insert(host);
    if (exclusive) m_openForWriting.insert(host);
    return std::unique_ptr<IFile>(
        std::make_unique<SimFile>(*this, fd, host, exclusive, held ? SimFile::Kind::Held : SimFile::Kind::Plain));
}

Result<std::unique_ptr<IFile>> SimFileSystem::openHeld(std::string_view path) {
    uint32_t code = 0;
    if (injected(Op::OpenRead, code)) return Status::failure(code, "CreateFileW");
    return open(resolve(path), false, true);
}

Result<std::unique_ptr<IFile>> SimFileSystem::openForReading(std::string_view path) {
    uint32_t code = 0;
    if (injected(Op::OpenRead, code)) return Status::failure(code, "CreateFileW");
    return open(resolve(path), false);
}

Result<std::unique_ptr<IFile>> SimFileSystem::openForWriting(std::string_view path) {
    uint32_t code = 0;
    if (injected(Op::OpenWrite, code)) return Status::failure(code, "CreateFileW");
    return open(resolve(path), true);
}

// Named as GetTempFileNameW names them: a prefix, four hex digits, ".tmp". A folder that is not there is
// "not a valid folder name" to it, not "path not found".
std::string SimFileSystem::temporaryFolder() {
    constexpr const char* kFolder = "C:\\Users\\user\\AppData\\Local\\Temp";
    makeFolder(kFolder);
    return kFolder;
}

Result<std::pair<fs::path, int>> SimFileSystem::makeTemporary(const fs::path& folder, int flags, const char* api) {
    for (int attempt = 0; attempt < 0x10000; ++attempt) {
        std::ostringstream name;
        name << "ob7" << std::hex << std::uppercase << ((m_nextTemporary++ & 0xFFFF) | 0x1000) << ".tmp";
        if (matchIn(folder, name.str())) continue;
        const fs::path host = folder / name.str();
        const bool namesWereCurrent = namesCurrent(folder);
        const int fd = ::open(host.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return Status::failure(windowsErrorFor(errno), api);
        namesChanged(host, true, namesWereCurrent);
        madeAfresh(host);
        m_attributes[host.string()] = fileattr::kArchive | fileattr::kHidden;
        return std::pair{host, fd};
    }
    return Status::failure(80, api);  // ERROR_FILE_EXISTS: every name is taken
}

Result<std::string> SimFileSystem::createTemporaryFile(std::string_view folder) {
    uint32_t code = 0;
    if (injected(Op::CreateTemporary, code)) return Status::failure(code, "GetTempFileNameW");
    const Resolved at = resolve(folder);
    if (at.error || !isFolder(at.host)) return Status::failure(kNotAFolder, "GetTempFileNameW");
    Result<std::pair<fs::path, int>> made = makeTemporary(at.host, O_WRONLY, "GetTempFileNameW");
    if (!made.ok()) return made.status();
    ::close(made.value().second);
    std::string full(folder);
    if (!full.ends_with('\\')) full += '\\';
    return full + made.value().first.filename().string();
}

Result<std::unique_ptr<IFile>> SimFileSystem::createTemporaryOutput(std::string_view folder) {
    uint32_t code = 0;
    if (injected(Op::CreateTemporary, code)) return Status::failure(code, "CreateFileW");
    const Resolved at = resolve(folder);
    if (at.error || !isFolder(at.host)) return Status::failure(at.error ? at.error : errc::kPathNotFound, "CreateFileW");
    Result<std::pair<fs::path, int>> made = makeTemporary(at.host, O_RDWR, "CreateFileW");
    if (!made.ok()) return made.status();
    const std::string host = made.value().first.string();
    m_openFiles.insert(host);
    m_openForWriting.insert(host);
    return std::unique_ptr<IFile>(
        std::make_unique<SimFile>(*this, made.value().second, host, true, SimFile::Kind::TemporaryOutput));
}

std::string SimFileSystem::browseForFolder(const FolderPickerArgs& args) {
    m_browses.push_back(args);
    if (m_browseAnswers.empty()) return "";
    std::string answer = std::move(m_browseAnswers.front());
    m_browseAnswers.pop_front();
    return answer;
}

// The sentences of Windows' own message table for the numbers this backend reports.
std::string SimFileSystem::describeError(uint32_t code) {
    static const std::map<uint32_t, const char*> kTexts = {
        {errc::kFileNotFound, "The system cannot find the file specified."},
        {errc::kPathNotFound, "The system cannot find the path specified."},
        {errc::kAccessDenied, "Access is denied."},
        {errc::kInvalidHandle, "The handle is invalid."},
        {errc::kInvalidData, "The data is invalid."},
        {errc::kWriteFault, "The system cannot write to the specified device."},
        {errc::kReadFault, "The system cannot read from the specified device."},
        {31, "A device attached to the system is not functioning."},
        {errc::kSharingViolation, "The process cannot access the file because it is being used by another process."},
        {errc::kNotSupported, "The request is not supported."},
        {80, "The file exists."},
        {errc::kInvalidParameter, "The parameter is incorrect."},
        {errc::kDiskFull, "There is not enough space on the disk."},
        {kInvalidName, "The filename, directory name, or volume label syntax is incorrect."},
        {errc::kAlreadyExists, "Cannot create a file when that file already exists."},
        {206, "The filename or extension is too long."},
        {errc::kFileTooLarge, "The file size exceeds the limit allowed and cannot be saved."},
        {kNotAFolder, "The directory name is invalid."},
        {1009, "The configuration registry database is corrupt."},
        {1223, "The operation was canceled by the user."},
        {errc::kInvalidSecurityDescriptor, "The security descriptor structure is invalid."},
    };
    auto found = kTexts.find(code);
    return found == kTexts.end() ? "Unknown error " + std::to_string(code) + "." : found->second;
}

fs::path SimFileSystem::hostPath(std::string_view path) { return resolve(path).host; }

void SimFileSystem::makeFolder(std::string_view path) {
    auto parts = componentsOf(path);
    if (!isDriveAbsolute(path) || !parts) throw std::invalid_argument("not a full Windows path");
    std::string prefix(path.substr(0, 2));
    for (const std::string& part : *parts) {
        prefix += "\\" + part;
        const Resolved at = resolve(prefix);
        if (at.error) throw std::runtime_error("cannot make the folder " + std::string(path));
        std::error_code error;
        if (!present(at.host)) fs::create_directory(at.host, error);
    }
}

void SimFileSystem::writeFile(std::string_view path, std::string_view bytes) {
    makeFolder(parentOf(path));
    const fs::path host = resolve(path).host;
    if (!present(host)) madeAfresh(host);
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SimFileSystem::makeSymbolicLink(std::string_view link, std::string_view target) {
    fs::create_symlink(resolve(target).host, resolve(link).host);
}

void SimFileSystem::makeHardLink(std::string_view link, std::string_view existing) {
    fs::create_hard_link(resolve(existing).host, resolve(link).host);
}

std::optional<std::string> SimFileSystem::readFile(std::string_view path) {
    const Resolved at = resolve(path);
    if (at.error || !present(at.host) || isFolder(at.host)) return std::nullopt;
    std::ifstream in(at.host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SimFileSystem::exists(std::string_view path) {
    const Resolved at = resolve(path);
    return at.error == 0 && present(at.host);
}

std::vector<std::string> SimFileSystem::namesIn(std::string_view folder) {
    std::vector<std::string> names;
    const Resolved at = resolve(folder);
    if (at.error || !isFolder(at.host)) return names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(at.host, error)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace sim
