#include "folders/Ob7Digest.h"

#include <algorithm>
#include <cstring>

namespace ob7 {

namespace {

// splitmix64: spreads the seed's bits over every key word.
uint64_t nextKey(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

uint64_t load64(const uint8_t* at) {
    uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

}  // namespace

StorageDigest::StorageDigest(const Header& header) {
    uint64_t state = load64(header.fileId.data()) ^ load64(header.salt.data()) ^ load64(header.salt.data() + 8);
    for (uint64_t& key : m_keys) key = nextKey(state);
    m_keys[4] |= 1;
}

// Each 16-byte block adds two full 128-bit products to the sums. A change to one word of a block changes a
// product unless the block's other, keyed word is zero in both, which for keys unknown to the storage happens
// with a chance of 2^-128; the position key makes a block moved to another place count as a change.
inline void StorageDigest::addBlock(uint64_t first, uint64_t second) {
    m_position += m_keys[4];
    m_sumA += static_cast<unsigned __int128>(first ^ m_keys[0] ^ m_position) * (second ^ m_keys[1]);
    m_sumB += static_cast<unsigned __int128>(second ^ m_keys[2] ^ m_position) * (first ^ m_keys[3]);
}

void StorageDigest::add(std::span<const uint8_t> bytes) {
    m_length += bytes.size();
    const uint8_t* at = bytes.data();
    size_t left = bytes.size();
    if (m_tailSize != 0) {
        const size_t taken = std::min(left, m_tail.size() - m_tailSize);
        std::memcpy(m_tail.data() + m_tailSize, at, taken);
        m_tailSize += taken;
        at += taken;
        left -= taken;
        if (m_tailSize < m_tail.size()) return;
        addBlock(load64(m_tail.data()), load64(m_tail.data() + 8));
        m_tailSize = 0;
    }
    // The sums and keys stay in registers over the run of whole blocks: stored through the members, each block
    // would wait for the last one's stores, as the bytes read may alias them.
    if (left >= 16) {
        const uint64_t k0 = m_keys[0], k1 = m_keys[1], k2 = m_keys[2], k3 = m_keys[3], k4 = m_keys[4];
        unsigned __int128 sumA = m_sumA, sumB = m_sumB;
        uint64_t position = m_position;
        for (; left >= 16; at += 16, left -= 16) {
            const uint64_t first = load64(at), second = load64(at + 8);
            position += k4;
            sumA += static_cast<unsigned __int128>(first ^ k0 ^ position) * (second ^ k1);
            sumB += static_cast<unsigned __int128>(second ^ k2 ^ position) * (first ^ k3);
        }
        m_sumA = sumA;
        m_sumB = sumB;
        m_position = position;
    }
    std::memcpy(m_tail.data(), at, left);
    m_tailSize = left;
}

// A short last block is padded with zeros; the length tells such a stream from one that has the zeros.
Digest StorageDigest::finish() {
    if (m_tailSize != 0) {
        std::fill(m_tail.begin() + static_cast<ptrdiff_t>(m_tailSize), m_tail.end(), uint8_t{0});
        addBlock(load64(m_tail.data()), load64(m_tail.data() + 8));
        m_tailSize = 0;
    }
    return {static_cast<uint64_t>(m_sumA), static_cast<uint64_t>(m_sumA >> 64), static_cast<uint64_t>(m_sumB),
            static_cast<uint64_t>(m_sumB >> 64), m_length};
}

}  // namespace ob7
