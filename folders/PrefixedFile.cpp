#include "folders/PrefixedFile.h"

#include <algorithm>

// Fewer bytes than asked only at the end, as IFile promises: a read across the seam takes from both.
Result<size_t> PrefixedFile::read(std::span<uint8_t> buffer) {
    const size_t fromPrefix = std::min(buffer.size(), m_prefix.size() - m_at);
    std::copy_n(m_prefix.begin() + static_cast<std::ptrdiff_t>(m_at), fromPrefix, buffer.begin());
    m_at += fromPrefix;
    if (fromPrefix == buffer.size()) return fromPrefix;
    Result<size_t> rest = m_rest.read(buffer.subspan(fromPrefix));
    if (!rest.ok()) return rest.status();
    return fromPrefix + rest.value();
}

Status PrefixedFile::write(std::span<const uint8_t>) {
    return Status::failure(errc::kAccessDenied, "WriteFile");
}

Status PrefixedFile::flush() {
    return Status::success();
}

Result<uint64_t> PrefixedFile::size() {
    Result<uint64_t> rest = m_rest.size();
    if (!rest.ok()) return rest.status();
    return m_prefix.size() + rest.value();
}

Result<uint32_t> PrefixedFile::linkCount() {
    return m_rest.linkCount();
}

Result<FileDetails> PrefixedFile::details() {
    return m_rest.details();
}

Status PrefixedFile::rewind() {
    m_at = 0;
    return m_rest.rewind();
}

// What becomes of the file is decided through its own opening, not through this view of it.
Status PrefixedFile::removeWhenClosed() {
    return Status::failure(errc::kAccessDenied, "SetFileInformationByHandle");
}

Status PrefixedFile::keepAs(std::string_view) {
    return Status::failure(errc::kAccessDenied, "SetFileInformationByHandle");
}

// The file is the caller's to close.
Status PrefixedFile::close() {
    return Status::success();
}
