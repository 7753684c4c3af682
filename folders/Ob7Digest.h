#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "folders/Ob7Format.h"

namespace ob7 {

// Two 128-bit sums and the length: equal for equal streams, different for a stream changed by the storage.
using Digest = std::array<uint64_t, 5>;

// A fast digest of a byte stream fed in pieces of any size, for telling whether the bytes read back from a
// written file are those handed to the writes. It guards against the storage, not against a person: see "Why
// the proof is enough" in docs/ob7-format.md.
class StorageDigest {
public:
    // The keys come from the file's own random id and salt, so they are independent of anything the storage does.
    explicit StorageDigest(const Header& header);
    void add(std::span<const uint8_t> bytes);
    Digest finish();

private:
    void addBlock(uint64_t first, uint64_t second);

    std::array<uint64_t, 5> m_keys{};
    unsigned __int128 m_sumA = 0;
    unsigned __int128 m_sumB = 0;
    uint64_t m_position = 0;  // the block's index times an odd key: each block is mixed with its place
    uint64_t m_length = 0;
    std::array<uint8_t, 16> m_tail{};
    size_t m_tailSize = 0;
};

}  // namespace ob7
