#include "folders/Ob7Format.h"

#include <algorithm>
#include <cstring>

namespace ob7 {

namespace {

constexpr std::array<uint8_t, 8> kMagic = {'O', 'B', '7', 'C', 'R', 'Y', 'P', 'T'};
constexpr uint8_t kKdfPbkdf2Sha256 = 1;
constexpr uint8_t kCipherAes256Gcm = 1;

void putLe(uint8_t* at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t getLe(const uint8_t* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

void putBe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * (3 - i)));
}

}  // namespace

HeaderBody headerBody(const Header& header) {
    HeaderBody body{};
    std::copy(kMagic.begin(), kMagic.end(), body.begin());
    putLe(&body[8], header.version, 2);
    body[10] = kKdfPbkdf2Sha256;
    body[11] = kCipherAes256Gcm;
    putLe(&body[12], header.iterations, 4);
    std::copy(header.salt.begin(), header.salt.end(), body.begin() + 16);
    putLe(&body[32], header.chunkSize, 4);
    std::copy(header.fileId.begin(), header.fileId.end(), body.begin() + 36);
    return body;
}

HeaderBytes encodeHeader(const Header& header) {
    HeaderBytes bytes{};
    const HeaderBody body = headerBody(header);
    std::copy(body.begin(), body.end(), bytes.begin());
    std::copy(header.tag.begin(), header.tag.end(), bytes.begin() + kHeaderBodySize);
    return bytes;
}

// The limits keep a damaged or hostile header from making the program derive a key for minutes or allocate
// gigabytes before its tag could prove it wrong.
ParsedHeader parseHeader(std::span<const uint8_t> bytes) {
    ParsedHeader parsed;
    if (bytes.size() < kHeaderSize || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) {
        parsed.problem = HeaderProblem::NotOb7;
        return parsed;
    }
    const uint64_t version = getLe(&bytes[8], 2);
    if (version < kVersionWithoutDetails || version > kVersion || bytes[10] != kKdfPbkdf2Sha256 ||
        bytes[11] != kCipherAes256Gcm) {
        parsed.problem = HeaderProblem::UnsupportedVersion;
        return parsed;
    }
    Header& header = parsed.header;
    header.version = static_cast<uint16_t>(version);
    header.iterations = static_cast<uint32_t>(getLe(&bytes[12], 4));
    std::copy_n(bytes.begin() + 16, kSaltSize, header.salt.begin());
    header.chunkSize = static_cast<uint32_t>(getLe(&bytes[32], 4));
    std::copy_n(bytes.begin() + 36, kFileIdSize, header.fileId.begin());
    std::copy_n(bytes.begin() + kHeaderBodySize, kTagSize, header.tag.begin());
    if (header.iterations < 1 || header.iterations > kMaxIterations || header.chunkSize < 1 ||
        header.chunkSize > kMaxChunkSize) {
        parsed.problem = HeaderProblem::BadParameters;
    }
    return parsed;
}

Nonce nonceFor(const FileId& fileId, uint32_t chunkIndex) {
    Nonce nonce{};
    std::copy(fileId.begin(), fileId.end(), nonce.begin());
    putBe32(&nonce[kFileIdSize], chunkIndex);
    return nonce;
}

ChunkAad chunkAad(const HeaderBody& body, uint32_t chunkIndex, bool final) {
    ChunkAad aad{};
    std::copy(body.begin(), body.end(), aad.begin());
    putBe32(&aad[kHeaderBodySize], chunkIndex);
    aad[kHeaderBodySize + 4] = final ? 1 : 0;
    return aad;
}

// Every chunk but the last is full; the last holds 0 to chunkSize bytes; each carries its tag.
std::optional<Layout> layoutOf(uint64_t bytesAfterHeader, uint32_t chunkSize) {
    if (chunkSize == 0) return std::nullopt;
    const uint64_t record = uint64_t{chunkSize} + kTagSize;
    const uint64_t full = bytesAfterHeader / record;
    const uint64_t rest = bytesAfterHeader % record;
    Layout layout;
    if (rest == 0) {
        if (full == 0) return std::nullopt;
        layout = {full, record};
    } else {
        if (rest < kTagSize) return std::nullopt;
        layout = {full + 1, rest};
    }
    if (layout.chunks > kHeaderChunkIndex) return std::nullopt;
    return layout;
}

uint64_t chunkCountFor(uint64_t plainBytes, uint32_t chunkSize) {
    if (plainBytes == 0) return 1;
    return (plainBytes + chunkSize - 1) / chunkSize;
}

}  // namespace ob7
