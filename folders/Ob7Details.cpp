#include "folders/Ob7Details.h"

#include <algorithm>
#include <string>

namespace ob7 {

namespace {

constexpr size_t kSmallestRecord = 4 + 3 * 8 + 4 + 4;  // no security descriptor, no streams

class Writer {
public:
    void put(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) m_bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void put(std::span<const uint8_t> bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    std::vector<uint8_t>& bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// Every read is checked against what is left, so a length from a damaged record never reaches past its end.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    bool get(uint64_t& value, int bytes) {
        if (m_bytes.size() - m_at < static_cast<size_t>(bytes)) return false;
        value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | m_bytes[m_at + static_cast<size_t>(i)];
        m_at += static_cast<size_t>(bytes);
        return true;
    }
    bool get(std::vector<uint8_t>& out, uint64_t count) {
        if (m_bytes.size() - m_at < count) return false;
        out.assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at),
                   m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at + count));
        m_at += static_cast<size_t>(count);
        return true;
    }
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
};

// A name that could reach beyond the file it is put on ("..\x", "other:y") is never a stream's.
bool validStreamName(const std::string& name) {
    if (name.empty() || name.size() > kMaxStreamNameBytes) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == ':' || c == '\\' || c == '/';
    });
}

bool withinLimits(const FileDetails& details) {
    if (details.security.size() > kMaxSecurityBytes || details.streams.size() > kMaxStreams) return false;
    uint64_t streamBytes = 0;
    for (const NamedStream& stream : details.streams) {
        if (!validStreamName(stream.name)) return false;
        streamBytes += stream.bytes.size();
    }
    return streamBytes <= kMaxStreamBytes;
}

}  // namespace

// Only the carried attributes go in: a folder's or a link's bit put back on a file would misname it.
std::optional<std::vector<uint8_t>> encodeDetails(const FileDetails& details) {
    if (!withinLimits(details)) return std::nullopt;
    Writer out;
    out.put(0, kLengthSize);
    out.put(details.attributes & fileattr::kCarried, 4);
    out.put(details.created, 8);
    out.put(details.lastAccess, 8);
    out.put(details.lastWrite, 8);
    out.put(details.security.size(), 4);
    out.put(details.security);
    out.put(details.streams.size(), 4);
    for (const NamedStream& stream : details.streams) {
        out.put(stream.name.size(), 2);
        out.put(std::span(reinterpret_cast<const uint8_t*>(stream.name.data()), stream.name.size()));
        out.put(stream.bytes.size(), 8);
        out.put(stream.bytes);
    }
    std::vector<uint8_t>& bytes = out.bytes();
    const uint64_t length = bytes.size() - kLengthSize;
    for (size_t i = 0; i < kLengthSize; ++i) bytes[i] = static_cast<uint8_t>(length >> (8 * i));
    return std::move(bytes);
}

// The same limits as writing: whatever this accepts, a writer of this program could have written.
std::optional<FileDetails> parseDetails(std::span<const uint8_t> record) {
    if (record.size() < kSmallestRecord || record.size() > kMaxDetailsSize) return std::nullopt;
    Reader in(record);
    FileDetails details;
    uint64_t value = 0;
    (void)in.get(value, 4);
    if ((value & ~uint64_t{fileattr::kCarried}) != 0) return std::nullopt;
    details.attributes = static_cast<uint32_t>(value);
    (void)in.get(details.created, 8);
    (void)in.get(details.lastAccess, 8);
    (void)in.get(details.lastWrite, 8);
    if (!in.get(value, 4) || value > kMaxSecurityBytes || !in.get(details.security, value)) return std::nullopt;
    uint64_t count = 0;
    if (!in.get(count, 4) || count > kMaxStreams) return std::nullopt;
    uint64_t streamBytes = 0;
    for (uint64_t i = 0; i < count; ++i) {
        NamedStream stream;
        std::vector<uint8_t> name;
        if (!in.get(value, 2) || !in.get(name, value)) return std::nullopt;
        stream.name.assign(name.begin(), name.end());
        if (!validStreamName(stream.name)) return std::nullopt;
        if (!in.get(value, 8) || value > kMaxStreamBytes - streamBytes || !in.get(stream.bytes, value)) {
            return std::nullopt;
        }
        streamBytes += value;
        details.streams.push_back(std::move(stream));
    }
    if (!in.atEnd()) return std::nullopt;
    return details;
}

std::optional<std::span<const uint8_t>> DetailsSplitter::take(std::span<const uint8_t> plain) {
    while (!complete() && !plain.empty()) {
        const size_t part = static_cast<size_t>(std::min<uint64_t>(plain.size(), m_wanted - m_prefix.size()));
        m_prefix.insert(m_prefix.end(), plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(part));
        plain = plain.subspan(part);
        if (m_prefix.size() == kLengthSize && m_wanted == kLengthSize) {
            uint64_t length = 0;
            for (size_t i = kLengthSize; i-- > 0;) length = (length << 8) | m_prefix[i];
            if (length < kSmallestRecord || length > kMaxDetailsSize) return std::nullopt;
            m_wanted = kLengthSize + length;
        }
    }
    return plain;
}

bool DetailsSplitter::complete() const {
    return m_wanted > kLengthSize && m_prefix.size() == m_wanted;
}

std::optional<FileDetails> DetailsSplitter::details() const {
    if (!complete()) return std::nullopt;
    return parseDetails(std::span<const uint8_t>(m_prefix).subspan(kLengthSize));
}

}  // namespace ob7
