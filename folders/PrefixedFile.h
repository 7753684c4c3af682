#pragma once
#include <cstdint>
#include <span>

#include "platform/IFileSystem.h"

// Reads as bytes held in memory followed by an open file: the plain stream of an ".ob7" file, whose details
// record comes before the file's own bytes. Only for reading; the bytes and the file stay the caller's.
class PrefixedFile final : public IFile {
public:
    PrefixedFile(std::span<const uint8_t> prefix, IFile& rest) : m_prefix(prefix), m_rest(rest) {}

    Result<size_t> read(std::span<uint8_t> buffer) override;
    Status write(std::span<const uint8_t> bytes) override;
    Status flush() override;
    Result<uint64_t> size() override;
    Result<uint32_t> linkCount() override;
    Result<FileDetails> details() override;
    Status rewind() override;
    Status removeWhenClosed() override;
    Status keepAs(std::string_view path) override;
    Status close() override;

private:
    std::span<const uint8_t> m_prefix;
    size_t m_at = 0;
    IFile& m_rest;
};
