#include "folders/Ob7Stream.h"

#include <algorithm>
#include <vector>

namespace ob7 {

namespace {

PassResult failed(Outcome outcome, Status status) {
    return {outcome, std::move(status)};
}

PassResult cipherFailure(Status status) {
    if (status.code() == errc::kInvalidData) return failed(Outcome::Damaged, std::move(status));
    return failed(Outcome::CipherFailed, std::move(status));
}

Result<size_t> readFull(IFile& file, std::span<uint8_t> buffer) {
    return file.read(buffer);
}

}  // namespace

Status sealHeader(ICrypto& crypto, const Key& key, Header& header) {
    const HeaderBody body = headerBody(header);
    const Nonce nonce = nonceFor(header.fileId, kHeaderChunkIndex);
    return crypto.aes256GcmSeal(
        {.key = key, .nonce = nonce, .associatedData = body, .plain = {}, .cipher = {}, .tag = header.tag});
}

PassResult checkHeader(ICrypto& crypto, const Key& key, const Header& header) {
    const HeaderBody body = headerBody(header);
    const Nonce nonce = nonceFor(header.fileId, kHeaderChunkIndex);
    Status opened = crypto.aes256GcmOpen(
        {.key = key, .nonce = nonce, .associatedData = body, .cipher = {}, .tag = header.tag, .plain = {}});
    if (!opened.ok()) return cipherFailure(std::move(opened));
    return {};
}

PassResult openChunks(ICrypto& crypto, const Key& key, const Header& header, uint64_t sealedBytes, IFile& sealed,
                      const PlainSink& sink, const ChunkStep& step) {
    const auto layout = layoutOf(sealedBytes, header.chunkSize);
    if (!layout) return failed(Outcome::Damaged, Status::failure(errc::kInvalidData, "openChunks"));
    const HeaderBody body = headerBody(header);
    std::vector<uint8_t> record(size_t{header.chunkSize} + kTagSize);
    std::vector<uint8_t> plain(header.chunkSize);
    uint64_t done = 0;
    for (uint64_t index = 0; index < layout->chunks; ++index) {
        const bool final = index + 1 == layout->chunks;
        const size_t recordSize = final ? static_cast<size_t>(layout->lastRecord) : record.size();
        Result<size_t> got = readFull(sealed, std::span<uint8_t>(record.data(), recordSize));
        if (!got.ok()) return failed(Outcome::ReadFailed, got.status());
        // The file shrank since its size was taken.
        if (got.value() != recordSize) return failed(Outcome::Damaged, Status::failure(errc::kInvalidData, "ReadFile"));
        const size_t plainSize = recordSize - kTagSize;
        const auto chunkIndex = static_cast<uint32_t>(index);
        const ChunkAad aad = chunkAad(body, chunkIndex, final);
        const Nonce nonce = nonceFor(header.fileId, chunkIndex);
        Status opened = crypto.aes256GcmOpen({.key = key,
                                              .nonce = nonce,
                                              .associatedData = aad,
                                              .cipher = std::span<const uint8_t>(record.data(), plainSize),
                                              .tag = std::span<const uint8_t>(record.data() + plainSize, kTagSize),
                                              .plain = std::span<uint8_t>(plain.data(), plainSize)});
        if (!opened.ok()) return cipherFailure(std::move(opened));
        PassResult taken = sink(std::span<const uint8_t>(plain.data(), plainSize));
        if (taken.outcome != Outcome::Done) return taken;
        done += plainSize;
        if (step && !step(done)) return failed(Outcome::Stopped, Status::success());
    }
    // Bytes appended after the last chunk would otherwise pass unnoticed.
    uint8_t extra = 0;
    Result<size_t> more = readFull(sealed, std::span<uint8_t>(&extra, 1));
    if (!more.ok()) return failed(Outcome::ReadFailed, more.status());
    if (more.value() != 0) return failed(Outcome::Damaged, Status::failure(errc::kInvalidData, "openChunks"));
    return {};
}

PassResult proveCopy(ICrypto& crypto, const Key& key, const Header& header, const CopyToProve& files,
                     const ChunkStep& step) {
    const PassResult mismatch = failed(Outcome::Mismatch, Status::failure(errc::kInvalidData, "proveCopy"));
    Result<uint64_t> sealedSize = files.sealed.size();
    if (!sealedSize.ok()) return failed(Outcome::ReadFailed, sealedSize.status());
    HeaderBytes headerBytes{};
    Result<size_t> got = readFull(files.sealed, headerBytes);
    if (!got.ok()) return failed(Outcome::ReadFailed, got.status());
    const ParsedHeader parsed = parseHeader(std::span<const uint8_t>(headerBytes.data(), got.value()));
    if (parsed.problem != HeaderProblem::None || encodeHeader(parsed.header) != encodeHeader(header)) return mismatch;
    PassResult pass = checkHeader(crypto, key, parsed.header);
    std::vector<uint8_t> buffer(header.chunkSize);
    const PlainSink sameAsOriginal = [&](std::span<const uint8_t> plain) -> PassResult {
        Result<size_t> read = readFull(files.original, std::span<uint8_t>(buffer.data(), plain.size()));
        if (!read.ok()) return failed(Outcome::ReadFailed, read.status());
        if (read.value() != plain.size() || !std::equal(plain.begin(), plain.end(), buffer.begin())) return mismatch;
        return {};
    };
    if (pass.outcome == Outcome::Done) {
        pass = openChunks(crypto, key, parsed.header, sealedSize.value() - kHeaderSize, files.sealed, sameAsOriginal,
                          step);
    }
    if (pass.outcome == Outcome::Damaged) return mismatch;
    if (pass.outcome != Outcome::Done) return pass;
    // The original must end where the sealed copy does.
    uint8_t extra = 0;
    Result<size_t> more = readFull(files.original, std::span<uint8_t>(&extra, 1));
    if (!more.ok()) return failed(Outcome::ReadFailed, more.status());
    return more.value() == 0 ? PassResult{} : mismatch;
}

}  // namespace ob7
