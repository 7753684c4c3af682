#include "folders/Ob7Stream.h"

#include <algorithm>
#include <memory>

#include "folders/Ob7Batches.h"

namespace ob7 {

PassResult openFailure(Status status) {
    const Outcome outcome = status.code() == errc::kInvalidData ? Outcome::Damaged : Outcome::CipherFailed;
    return {outcome, std::move(status)};
}

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
    if (!opened.ok()) return openFailure(std::move(opened));
    return {};
}

// The caller's thread reads the next batch while a thread of its own digests the one before (whatever was written,
// in the batch's `plain` buffer): reading and digesting cost about the same.
PassResult proveWritten(const Header& header, IFile& output, const Digest& written, WrittenAs as,
                        const ChunkStep& step) {
    StorageDigest digest(header);
    const uint64_t expected = written[4];
    const size_t capacity = static_cast<size_t>(std::min<uint64_t>(kBatchBytes, expected + 1));
    const bool sealed = as == WrittenAs::Sealed;
    const uint64_t lead = sealed ? kHeaderSize : 0;
    const uint64_t record = uint64_t{header.chunkSize} + (sealed ? kTagSize : 0);
    BatchWorker digester([&digest](Batch& batch) { digest.add({batch.plain.get(), batch.plainSize}); },
                         expected >= capacity);
    uint64_t read = 0;
    uint64_t recordsBack = 0;
    size_t onTheirWay = 0;
    bool reading = true;
    for (;;) {
        for (Batch* batch = nullptr; reading && (batch = digester.takeFree()) != nullptr;) {
            if (!batch->plain) batch->plain = std::make_unique_for_overwrite<uint8_t[]>(capacity);
            Result<size_t> got = output.read(std::span<uint8_t>(batch->plain.get(), capacity));
            if (!got.ok()) return failed(Outcome::ReadFailed, got.status());
            batch->plainSize = got.value();
            if (got.value() == 0) {
                digester.release(*batch);
                reading = false;
                break;
            }
            digester.hand(*batch);
            ++onTheirWay;
            read += got.value();
            // A file grown past what was written differs in length: no need to read the rest of it.
            reading = read <= expected;
            const uint64_t body = read > lead ? read - lead : 0;
            const uint64_t records = read == expected ? (body + record - 1) / record : body / record;
            for (; reading && recordsBack < records; ++recordsBack) {
                if (step && !step((recordsBack + 1) * header.chunkSize)) {
                    return failed(Outcome::Stopped, Status::success());
                }
            }
        }
        if (onTheirWay == 0) break;
        digester.release(*digester.nextDone());
        --onTheirWay;
    }
    if (digest.finish() != written) return failed(Outcome::Mismatch, Status::failure(errc::kInvalidData, "proveWritten"));
    return {};
}

}  // namespace ob7
