#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/IFileSystem.h"

// The details record an ".ob7" file of version 2 holds at the start of its plain stream, sealed with the file's
// bytes: attributes, times, security descriptor and named streams (docs/ob7-format.md).
namespace ob7 {

constexpr size_t kLengthSize = 4;
constexpr size_t kMaxSecurityBytes = 256 * 1024;
constexpr size_t kMaxStreams = 4096;
constexpr size_t kMaxStreamNameBytes = 1024;
constexpr uint64_t kMaxDetailsSize =
    36 + kMaxSecurityBytes + kMaxStreams * (10 + kMaxStreamNameBytes) + kMaxStreamBytes;

// The length and the record, as they begin the plain stream; nullopt when the details go past a limit above.
std::optional<std::vector<uint8_t>> encodeDetails(const FileDetails& details);
// The record without its length; nullopt when it is damaged, breaks a limit or has bytes left over.
std::optional<FileDetails> parseDetails(std::span<const uint8_t> record);

// Takes the plain stream of a version-2 file in order and splits the length and record off the file's bytes.
class DetailsSplitter {
public:
    // What of `plain` belongs to the file (empty while the record is still coming); nullopt: a length no writer
    // gives.
    std::optional<std::span<const uint8_t>> take(std::span<const uint8_t> plain);
    bool complete() const;
    std::optional<FileDetails> details() const;

private:
    std::vector<uint8_t> m_prefix;
    uint64_t m_wanted = kLengthSize;
};

}  // namespace ob7
