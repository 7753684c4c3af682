#pragma once
#include <ctime>
#include <string>

#include "platform/IFileSystem.h"

namespace sim {

class SimFileSystem;

// errno as the Windows error number of the same failure.
uint32_t windowsErrorFor(int error);
// A host file time as Windows counts file times: 100-ns steps since 1601-01-01 UTC.
uint64_t fileTimeOf(const timespec& at);

// An open file of the simulated file system: a real descriptor, whose writes count against the disk's room.
class SimFile final : public IFile {
public:
    // How the file was opened: `removable` openings may delete it, a temporary output starts marked for it.
    enum class Kind { Plain, Held, TemporaryOutput };
    SimFile(SimFileSystem& files, int fd, std::string host, bool writing, Kind kind = Kind::Plain);
    ~SimFile() override;
    SimFile(const SimFile&) = delete;
    SimFile& operator=(const SimFile&) = delete;

    Result<size_t> read(std::span<uint8_t> buffer) override;
    Status write(std::span<const uint8_t> bytes) override;
    Status flush() override;
    void startFlush() override;
    Result<uint64_t> size() override;
    Result<uint32_t> linkCount() override;
    Result<FileDetails> details() override;
    Status rewind() override;
    Status removeWhenClosed() override;
    Status keepAs(std::string_view path) override;
    Status close() override;

private:
    SimFileSystem& m_files;
    int m_fd;
    std::string m_host;
    bool m_writing;  // or held: shared with nobody
    Kind m_kind;
    bool m_removeOnClose;
    bool m_wrote = false;
};

}  // namespace sim
