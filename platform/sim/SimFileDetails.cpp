// A simulated file's details: what Windows keeps with a file beside its bytes. The last write time is the host
// file's own (writes move it); the rest is kept beside, follows a rename and goes with a delete.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/sim/SimFile.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimText.h"

namespace fs = std::filesystem;

namespace sim {

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr uint8_t kSecurityRevision = 1;
constexpr uint16_t kSelfRelative = 0x8000;  // SE_SELF_RELATIVE in the descriptor's control word
constexpr size_t kSecurityHeaderSize = 20;

// What a new file gets from its folder here: a self-relative descriptor with an empty DACL and no owner.
const std::vector<uint8_t> kInheritedSecurity = {1, 0, 0x04, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                 0, 0, 20,   0,    0, 0, 2, 0, 8, 0, 0, 0, 0, 0};

timespec timespecOf(uint64_t fileTime) {
    const uint64_t since1970 = fileTime > kUnixEpochAsFileTime ? fileTime - kUnixEpochAsFileTime : 0;
    return {static_cast<time_t>(since1970 / 10000000ULL), static_cast<long>(since1970 % 10000000ULL) * 100};
}

uint64_t now() {
    const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
    return kUnixEpochAsFileTime +
           static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count()) / 100;
}

// Windows refuses a descriptor that is not a self-relative one of the one revision there is.
bool wellFormed(const std::vector<uint8_t>& security) {
    return security.size() >= kSecurityHeaderSize && security[0] == kSecurityRevision &&
           (static_cast<uint16_t>(security[2] | (security[3] << 8)) & kSelfRelative) != 0;
}

Status setTimes(const fs::path& host, timespec access, timespec write, const char* api) {
    const timespec both[2] = {access, write};
    if (::utimensat(AT_FDCWD, host.c_str(), both, 0) != 0) return Status::failure(windowsErrorFor(errno), api);
    return Status::success();
}

}  // namespace

// A new file has times of its own and no streams or rules of its own, whatever a deleted namesake had.
void SimFileSystem::madeAfresh(const fs::path& host) {
    m_attributes.erase(host.string());
    m_details[host.string()] =
        Details{.created = now(), .lastAccess = {}, .security = kInheritedSecurity, .streams = {}};
}

// A renamed file or folder keeps what it had, and so does everything inside a folder.
void SimFileSystem::carryDetails(const std::string& from, const std::string& to) {
    // Keys that begin with `from` lie together from `from` on, so a rename walks only its own entries, not every
    // file the simulation has seen.
    auto moveKeys = [&](auto& map) {
        std::remove_reference_t<decltype(map)> moved;
        for (auto it = map.lower_bound(from); it != map.end() && it->first.starts_with(from);) {
            if (it->first.size() == from.size() || it->first[from.size()] == '/') {
                moved[to + it->first.substr(from.size())] = std::move(it->second);
                it = map.erase(it);
            } else {
                ++it;
            }
        }
        map.merge(moved);
    };
    moveKeys(m_attributes);
    moveKeys(m_details);
}

Result<FileDetails> SimFileSystem::readDetails(std::string_view path) {
    const Resolved at = resolve(path);
    if (at.error) return Status::failure(at.error, "CreateFileW");
    return detailsOf(at.host.string());
}

Result<FileDetails> SimFileSystem::detailsOf(const std::string& host) {
    uint32_t code = 0;
    if (injected(Op::ReadDetails, code)) return Status::failure(code, "GetFileInformationByHandleEx");
    struct stat info {};
    if (::stat(host.c_str(), &info) != 0) return Status::failure(windowsErrorFor(errno), "CreateFileW");
    FileDetails details;
    const uint32_t bits = extraAttributes(host);
    details.attributes = bits == 0 ? fileattr::kNormal : bits;
    details.lastWrite = fileTimeOf(info.st_mtim);
    details.lastAccess = fileTimeOf(info.st_atim);
    details.created = details.lastWrite;
    details.security = kInheritedSecurity;
    auto kept = m_details.find(host);
    if (kept == m_details.end()) return details;
    details.created = kept->second.created;
    if (kept->second.lastAccess) details.lastAccess = *kept->second.lastAccess;
    details.security = kept->second.security;
    uint64_t streamBytes = 0;
    for (const NamedStream& stream : kept->second.streams) streamBytes += stream.bytes.size();
    if (streamBytes > kMaxStreamBytes) return Status::failure(errc::kFileTooLarge, "FindNextStreamW");
    details.streams = kept->second.streams;
    return details;
}

// In the order Windows needs: a stream written moves the last write time, a read-only file takes no stream, and
// rules that shut this user out would stop what comes after them.
Status SimFileSystem::writeDetails(std::string_view path, const FileDetails& details) {
    uint32_t code = 0;
    if (injected(Op::WriteDetails, code)) return Status::failure(code, "SetFileSecurityW");
    const Resolved at = resolve(path);
    if (at.error) return Status::failure(at.error, "CreateFileW");
    struct stat info {};
    if (::stat(at.host.c_str(), &info) != 0) return Status::failure(windowsErrorFor(errno), "CreateFileW");
    Details& kept = m_details
                        .try_emplace(at.host.string(), Details{.created = fileTimeOf(info.st_mtim),
                                                               .lastAccess = {},
                                                               .security = kInheritedSecurity,
                                                               .streams = {}})
                        .first->second;
    if (!details.streams.empty()) {
        if (extraAttributes(at.host) & fileattr::kReadOnly) return Status::failure(errc::kAccessDenied, "CreateFileW");
        if (isOpen(at.host)) return Status::failure(errc::kSharingViolation, "CreateFileW");
        for (const NamedStream& stream : details.streams) {
            auto same = std::find_if(kept.streams.begin(), kept.streams.end(), [&](const NamedStream& there) {
                return foldCase(there.name) == foldCase(stream.name);
            });
            if (same == kept.streams.end()) {
                kept.streams.push_back(stream);
            } else {
                same->bytes = stream.bytes;
            }
        }
        if (Status moved = setTimes(at.host, {0, UTIME_OMIT}, {0, UTIME_NOW}, "WriteFile"); !moved.ok()) return moved;
    }
    if (details.created != 0) kept.created = details.created;
    if (details.lastAccess != 0) kept.lastAccess = details.lastAccess;
    if (details.lastWrite != 0) {
        const timespec omit{0, UTIME_OMIT};
        if (Status set = setTimes(at.host, omit, timespecOf(details.lastWrite), "SetFileTime"); !set.ok()) return set;
    }
    m_attributes[at.host.string()] = details.attributes & fileattr::kCarried;
    if (!details.security.empty()) {
        if (!wellFormed(details.security)) return Status::failure(errc::kInvalidSecurityDescriptor, "SetFileSecurityW");
        kept.security = details.security;
    }
    return Status::success();
}

}  // namespace sim
