#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// The layout of an ".ob7" file (docs/ob7-format.md): a header, then the file in chunks, each sealed with
// AES-256-GCM under a key derived from the password.
namespace ob7 {

constexpr size_t kHeaderSize = 60;
constexpr size_t kHeaderBodySize = 44;  // what the header's own tag covers
constexpr size_t kTagSize = 16;
constexpr size_t kKeySize = 32;
constexpr size_t kSaltSize = 16;
constexpr size_t kFileIdSize = 8;
constexpr size_t kNonceSize = 12;
constexpr uint16_t kVersion = 2;            // written: the plain stream begins with the details record
constexpr uint16_t kVersionWithoutDetails = 1;  // still read: the plain stream is the file alone
constexpr uint32_t kDefaultChunkSize = 64 * 1024;
constexpr uint32_t kDefaultIterations = 600000;
constexpr uint32_t kMaxIterations = 2000000;
constexpr uint32_t kMaxChunkSize = 16 * 1024 * 1024;
constexpr uint32_t kHeaderChunkIndex = 0xFFFFFFFF;  // the header's own nonce; never a chunk's

using Salt = std::array<uint8_t, kSaltSize>;
using FileId = std::array<uint8_t, kFileIdSize>;
using Nonce = std::array<uint8_t, kNonceSize>;
using Tag = std::array<uint8_t, kTagSize>;
using HeaderBytes = std::array<uint8_t, kHeaderSize>;
using HeaderBody = std::array<uint8_t, kHeaderBodySize>;
using ChunkAad = std::array<uint8_t, kHeaderBodySize + 5>;

struct Header {
    uint16_t version = kVersion;
    uint32_t iterations = kDefaultIterations;
    Salt salt{};
    uint32_t chunkSize = kDefaultChunkSize;
    FileId fileId{};
    Tag tag{};
};

enum class HeaderProblem { None, NotOb7, UnsupportedVersion, BadParameters };

struct ParsedHeader {
    Header header;
    HeaderProblem problem = HeaderProblem::None;
};

HeaderBody headerBody(const Header& header);
HeaderBytes encodeHeader(const Header& header);
// Too short is "not ob7": a file of this program always has the whole header.
ParsedHeader parseHeader(std::span<const uint8_t> bytes);

Nonce nonceFor(const FileId& fileId, uint32_t chunkIndex);
ChunkAad chunkAad(const HeaderBody& body, uint32_t chunkIndex, bool final);

// How the bytes after the header split into sealed chunks; nullopt when no file of this format has that size.
struct Layout {
    uint64_t chunks = 0;
    uint64_t lastRecord = 0;  // bytes of the final chunk with its tag
};
std::optional<Layout> layoutOf(uint64_t bytesAfterHeader, uint32_t chunkSize);
uint64_t chunkCountFor(uint64_t plainBytes, uint32_t chunkSize);

}  // namespace ob7
