#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"
#include "platform/WindowId.h"

// Windows' file attribute bits, on both backends.
namespace fileattr {
constexpr uint32_t kReadOnly = 0x1;
constexpr uint32_t kHidden = 0x2;
constexpr uint32_t kSystem = 0x4;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kNormal = 0x80;
constexpr uint32_t kReparsePoint = 0x400;  // a symbolic link or a junction: the attributes are the link's own
constexpr uint32_t kNotContentIndexed = 0x2000;
// What a file's details carry: never the kind of item it is (folder, link).
constexpr uint32_t kCarried = kReadOnly | kHidden | kSystem | kArchive | kNotContentIndexed;
}  // namespace fileattr

// One more error number the file operations report, beside those of platform/Status.h.
namespace errc {
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kWriteFault = 29;
constexpr uint32_t kReadFault = 30;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kNotSupported = 50;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kFileTooLarge = 223;
constexpr uint32_t kInvalidSecurityDescriptor = 1338;
}  // namespace errc

// A stream of a file beside its main one, such as "Zone.Identifier", the mark of a downloaded file.
struct NamedStream {
    std::string name;  // without the colons and the stream type
    std::vector<uint8_t> bytes;
    bool operator==(const NamedStream&) const = default;
};

// What a file carries besides the bytes of its main stream. Times are Windows file times; 0 is "not known".
struct FileDetails {
    uint32_t attributes = 0;
    uint64_t created = 0;
    uint64_t lastAccess = 0;
    uint64_t lastWrite = 0;
    std::vector<uint8_t> security;  // self-relative security descriptor: owner, group, DACL; empty: none
    std::vector<NamedStream> streams;
    bool operator==(const FileDetails&) const = default;
};

// An open file. Closing it is part of writing: a late write error shows up there, so writers call close().
class IFile {
public:
    virtual ~IFile() = default;
    // Fewer bytes than asked only at the end of the file; 0 there.
    virtual Result<size_t> read(std::span<uint8_t> buffer) = 0;
    virtual Status write(std::span<const uint8_t> bytes) = 0;
    // Until this succeeds the written bytes may still be lost with the machine's power.
    virtual Status flush() = 0;
    // Asks the system to begin writing to the disk what was written so far, without waiting for it, so that a
    // large file's flush finds little left to do. Only a hint: trouble shows in the flush.
    virtual void startFlush() {}
    virtual Result<uint64_t> size() = 0;
    // The names the file has on its volume (hard links): one for a file of its own.
    virtual Result<uint32_t> linkCount() = 0;
    // What IFileSystem::readDetails gives, read through this opening, so of the very file whose bytes it reads.
    // Only a file opened held (IFileSystem::openHeld) need know its details.
    virtual Result<FileDetails> details() = 0;
    // Back to the first byte, for a second pass through the same opening.
    virtual Status rewind() = 0;
    // A file opened held (IFileSystem::openHeld) is deleted through this opening: it goes when it is closed,
    // or when the process ends, and nobody can open it meanwhile.
    virtual Status removeWhenClosed() = 0;
    // A temporary output (IFileSystem::createTemporaryOutput) is kept after all: it is shown (no longer
    // hidden) and gets this name, beside where it is, through this opening, which stays open. A name already
    // taken is never replaced.
    virtual Status keepAs(std::string_view path) = 0;
    virtual Status close() = 0;
};

struct FileEntry {
    std::string name;
    uint32_t attributes = 0;
};

// Enough to tell a file from the one that was there before, without reading it.
struct FileStamp {
    uint64_t size = 0;
    uint64_t lastWrite = 0;  // Windows' file time: 100-ns steps since 1601-01-01 UTC
    bool operator==(const FileStamp&) const = default;
};

// The most bytes of named streams one file's details may hold, all streams together.
constexpr uint64_t kMaxStreamBytes = 64ull * 1024 * 1024;

// What the shell's folder picker is asked; flags are the shell's BIF_ bits.
struct FolderPickerArgs {
    WindowId owner{};
    uint32_t flags = 0;
    std::optional<std::string> title{};  // nullopt: the picker shows no title text
};

// The machine's files, by full Windows paths in UTF-8 ("C:\Data\report.txt"). Names compare without regard to
// case, as the Windows file system does.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual Result<uint32_t> attributes(std::string_view path) = 0;
    virtual Status setAttributes(std::string_view path, uint32_t attributes) = 0;
    virtual Result<FileStamp> stamp(std::string_view path) = 0;
    // A file or folder gets a new name; an item already under the new name is never replaced.
    virtual Status rename(std::string_view from, std::string_view to) = 0;
    virtual Status deleteFile(std::string_view path) = 0;
    // One new folder inside an existing one; a folder already there counts as made.
    virtual Status createFolder(std::string_view path) = 0;
    // Every file directly inside the folder (no folders), hidden and system ones too, with its attributes.
    virtual Result<std::vector<FileEntry>> listFiles(std::string_view folder) = 0;
    virtual Result<std::unique_ptr<IFile>> openForReading(std::string_view path) = 0;
    // An existing file, emptied first.
    virtual Result<std::unique_ptr<IFile>> openForWriting(std::string_view path) = 0;
    // Attributes, times, security descriptor and named streams; streams over kMaxStreamBytes are refused
    // (kFileTooLarge).
    virtual Result<FileDetails> readDetails(std::string_view path) = 0;
    // Puts details on an existing file: streams, times, the carried attributes, then the security descriptor.
    virtual Status writeDetails(std::string_view path, const FileDetails& details) = 0;
    // The user's own folder for temporary files, which other standard users cannot read or change.
    virtual std::string temporaryFolder() = 0;
    // A new, empty, hidden file under a name no other file in the folder has; its full path.
    virtual Result<std::string> createTemporaryFile(std::string_view folder) = 0;
    // Like openForReading, and the opening may delete the file (IFile::removeWhenClosed). Nobody else may
    // write, rename or delete the file while it is held.
    virtual Result<std::unique_ptr<IFile>> openHeld(std::string_view path) = 0;
    // A new, empty, hidden file in the folder, named "ob7" and four hex digits and ".tmp", open for writing and
    // reading back and shared with nobody. It is marked for deletion from the start: unless it is kept
    // (IFile::keepAs), the system removes it when it is closed or when the process ends, however it ends.
    virtual Result<std::unique_ptr<IFile>> createTemporaryOutput(std::string_view folder) = 0;
    // The shell's picker of a folder (or of a file, with the flag for it); "" when the user cancels or picks
    // something that is not in the file system.
    virtual std::string browseForFolder(const FolderPickerArgs& args) = 0;
    // The system's own sentence for an error number ("The system cannot find the file specified.").
    virtual std::string describeError(uint32_t code) = 0;
};
