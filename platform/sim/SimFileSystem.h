#pragma once
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/IFileSystem.h"

namespace sim {

// The machine's files, kept in a real temporary folder (made on first use, removed with the object): drive C:
// is its sub-folder "c". Names match without regard to case and keep the case they were made with; the
// attributes Linux has no room for (read-only, hidden, system) are kept beside. As on Windows, an open file can
// be neither deleted nor renamed, one open for writing is shared with no other opening and one open for reading
// only with readers, and a rename never replaces.
class SimFileSystem final : public IFileSystem {
public:
    enum class Op {
        Attributes, SetAttributes, Stamp, Rename, Delete, CreateFolder, List, OpenRead, OpenWrite, CreateTemporary,
        Flush, Close, Keep, ReadDetails, WriteDetails
    };

    SimFileSystem() = default;
    ~SimFileSystem() override;
    SimFileSystem(const SimFileSystem&) = delete;
    SimFileSystem& operator=(const SimFileSystem&) = delete;

    Result<uint32_t> attributes(std::string_view path) override;
    Status setAttributes(std::string_view path, uint32_t attributes) override;
    Result<FileStamp> stamp(std::string_view path) override;
    Status rename(std::string_view from, std::string_view to) override;
    Status deleteFile(std::string_view path) override;
    Status createFolder(std::string_view path) override;
    Result<std::vector<FileEntry>> listFiles(std::string_view folder) override;
    Result<std::unique_ptr<IFile>> openForReading(std::string_view path) override;
    Result<std::unique_ptr<IFile>> openForWriting(std::string_view path) override;
    Result<FileDetails> readDetails(std::string_view path) override;
    Status writeDetails(std::string_view path, const FileDetails& details) override;
    // Made on first use, as Windows makes it with the user's profile.
    std::string temporaryFolder() override;
    Result<std::string> createTemporaryFile(std::string_view folder) override;
    Result<std::unique_ptr<IFile>> openHeld(std::string_view path) override;
    Result<std::unique_ptr<IFile>> createTemporaryOutput(std::string_view folder) override;
    std::string browseForFolder(const FolderPickerArgs& args) override;
    std::string describeError(uint32_t code) override;

    // Fault injection, as a full disk: every write past this many more bytes (all files together) fails with the
    // code, after writing what still fits. nullopt: no limit.
    void failWritesAfter(std::optional<uint64_t> bytes, uint32_t code = errc::kDiskFull);
    // The next call of this kind fails once with the code; several calls queue up.
    void failNext(Op op, uint32_t code);
    // The folder picker's coming answers, in order; a picker with none scripted is cancelled ("").
    void answerNextBrowse(std::string path) { m_browseAnswers.push_back(std::move(path)); }
    const std::vector<FolderPickerArgs>& browses() const { return m_browses; }

    // Test helpers on Windows paths; folders on the way are made as needed.
    void makeFolder(std::string_view path);
    void writeFile(std::string_view path, std::string_view bytes);
    // A symbolic link at `link` to `target`, or a second name (hard link) of an existing file.
    void makeSymbolicLink(std::string_view link, std::string_view target);
    void makeHardLink(std::string_view link, std::string_view existing);
    std::optional<std::string> readFile(std::string_view path);
    bool exists(std::string_view path);
    // Names directly inside a folder, files and folders, as they are spelt on disk, sorted.
    std::vector<std::string> namesIn(std::string_view folder);
    int openFileCount() const { return static_cast<int>(m_openFiles.size()); }
    std::filesystem::path hostPath(std::string_view path);

    // For the open files.
    Status writeAllowance(size_t wanted, size_t& allowed);
    void fileClosed(const std::string& host, bool writing, bool remove);
    // Deleting through an opening; fails as a failNext(Op::Delete) asks, or for a read-only file.
    Status mayRemove(const std::string& host);
    // An open file's new name, given through its opening; the host path it then has.
    Result<std::string> renameOpen(const std::string& host, bool writing, std::string_view to);
    // readDetails of an open file, by its host path.
    Result<FileDetails> detailsOf(const std::string& host);
    bool injected(Op op, uint32_t& code);

private:
    struct Resolved {
        std::filesystem::path host;
        uint32_t error = 0;  // the path itself is malformed or a folder on the way is missing
    };
    // A folder's names folded to lower case, with the folder's modification time when they were read: a name
    // looked up without regard to case costs no listing of the folder while the folder has not changed.
    struct FolderNames {
        int64_t seconds = 0;
        int64_t nanoseconds = 0;
        std::unordered_map<std::string, std::string> byFolded;
    };
    const std::filesystem::path& root();
    Resolved resolve(std::string_view path);
    std::optional<std::filesystem::path> matchIn(const std::filesystem::path& folder, const std::string& name);
    FolderNames* currentNames(const std::filesystem::path& folder);
    bool namesCurrent(const std::filesystem::path& folder);
    void namesChanged(const std::filesystem::path& host, bool added, bool wereCurrent);
    bool isOpen(const std::filesystem::path& host) const;
    uint32_t extraAttributes(const std::filesystem::path& host) const;
    Result<std::unique_ptr<IFile>> open(const Resolved& at, bool writing, bool held = false);
    // A free "ob7XXXX.tmp" in the folder, made empty and hidden; its host path and descriptor.
    Result<std::pair<std::filesystem::path, int>> makeTemporary(const std::filesystem::path& folder, int flags,
                                                               const char* api);
    // What Linux has no room for, by host path; a file without an entry was made outside the simulation.
    struct Details {
        uint64_t created = 0;
        std::optional<uint64_t> lastAccess;
        std::vector<uint8_t> security;
        std::vector<NamedStream> streams;
    };
    void madeAfresh(const std::filesystem::path& host);
    void carryDetails(const std::string& from, const std::string& to);

    std::optional<std::filesystem::path> m_root;
    std::map<std::string, uint32_t> m_attributes;  // by host path: read-only, hidden, system, archive
    std::map<std::string, Details> m_details;
    std::multiset<std::string> m_openFiles;         // host paths
    std::multiset<std::string> m_openForWriting;    // those of them open for writing or held
    std::optional<uint64_t> m_writeBudget;
    uint32_t m_writeFailure = errc::kDiskFull;
    std::map<Op, std::deque<uint32_t>> m_failures;
    std::deque<std::string> m_browseAnswers;
    std::vector<FolderPickerArgs> m_browses;
    uint32_t m_nextTemporary = 0;
    std::unordered_map<std::string, FolderNames> m_folderNames;  // by host folder
};

}  // namespace sim
