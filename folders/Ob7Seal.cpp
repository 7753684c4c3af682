// Sealing a file: the cipher works on a thread of its own while the caller's thread reads and writes.
#include <algorithm>
#include <memory>
#include <vector>

#include "folders/Ob7Batches.h"
#include "folders/Ob7Stream.h"

namespace ob7 {

namespace {

struct SealParts {
    ICrypto& crypto;
    const Key& key;
    const Header& header;
};

// The caller's thread reads the plain file, writes the sealed records in order, digests exactly what it handed to
// the writes and runs the steps; the sealer's thread seals each batch and opens it again. The cipher alone is
// about as much work as the reads and writes together, and only the sealer calls it while the pass runs.
class SealPipeline {
public:
    SealPipeline(const SealParts& parts, IFile& plain, StorageDigest* digest);
    PassResult run(IFile& sealed, const ChunkStep& step);

private:
    bool readInto(Batch& batch);
    void hand(Batch& batch, bool final);
    PassResult sealBatch(Batch& batch);

    SealParts m_parts;
    IFile& m_plain;
    StorageDigest* m_digest;
    HeaderBody m_body;
    uint64_t m_hint;
    size_t m_chunksPerBatch;
    std::vector<uint8_t> m_opened;  // the sealer's: each chunk opened again
    Batch* m_pending = nullptr;  // read, but not known to be last until the next read
    uint64_t m_nextIndex = 0;
    PassResult m_readResult;
    BatchWorker m_sealer;  // last: its thread may use everything above
};

uint64_t chunksIn(size_t plainSize, uint32_t chunkSize) {
    return plainSize == 0 ? 1 : (plainSize + chunkSize - 1) / chunkSize;
}

uint64_t sizeHint(IFile& plain) {
    Result<uint64_t> size = plain.size();
    return size.ok() ? size.value() : 0;
}

// A byte more than the hint, so that a file of the size it had ends within the first batch.
size_t chunksPerBatch(uint32_t chunk, uint64_t hint) {
    return static_cast<size_t>(std::min<uint64_t>(std::max<size_t>(1, kBatchBytes / chunk), hint / chunk + 1));
}

SealPipeline::SealPipeline(const SealParts& parts, IFile& plain, StorageDigest* digest)
    : m_parts(parts),
      m_plain(plain),
      m_digest(digest),
      m_body(headerBody(parts.header)),
      m_hint(sizeHint(plain)),
      m_chunksPerBatch(chunksPerBatch(parts.header.chunkSize, m_hint)),
      m_opened(parts.header.chunkSize),
      m_sealer([this](Batch& batch) { batch.result = sealBatch(batch); },
               m_hint >= m_chunksPerBatch * parts.header.chunkSize) {}

// Numbers the batch's chunks now that it is known whether it ends the file, and passes it on for sealing.
void SealPipeline::hand(Batch& batch, bool final) {
    batch.final = final;
    batch.firstIndex = m_nextIndex;
    m_nextIndex += chunksIn(batch.plainSize, m_parts.header.chunkSize);
    m_sealer.hand(batch);
}

// Reads one batch. Only a read that comes back short shows where the file ends, which the last chunk's associated
// data must say: a full batch waits as pending until the next read. False once nothing more is to be read.
bool SealPipeline::readInto(Batch& batch) {
    const size_t capacity = m_chunksPerBatch * m_parts.header.chunkSize;
    if (!batch.plain) {
        batch.plain = std::make_unique_for_overwrite<uint8_t[]>(capacity);
        batch.sealed = std::make_unique_for_overwrite<uint8_t[]>(capacity + m_chunksPerBatch * kTagSize);
    }
    Result<size_t> got = m_plain.read(std::span<uint8_t>(batch.plain.get(), capacity));
    if (!got.ok()) {
        m_readResult = failed(Outcome::ReadFailed, got.status());
        m_sealer.release(batch);
        return false;
    }
    batch.plainSize = got.value();
    Batch* earlier = std::exchange(m_pending, nullptr);
    if (batch.plainSize == capacity) {
        m_pending = &batch;
        if (earlier) hand(*earlier, false);
        return true;
    }
    // An empty file still has its one empty chunk.
    if (batch.plainSize == 0 && earlier) {
        m_sealer.release(batch);
        hand(*earlier, true);
        return false;
    }
    if (earlier) hand(*earlier, false);
    hand(batch, true);
    return false;
}

// Each chunk is opened again from its record and compared with its plain text: a fault of the cipher (of the
// machine or of the library) shows here, before anything of it reaches the disk.
PassResult SealPipeline::sealBatch(Batch& batch) {
    // The header's own nonce index must never be a chunk's.
    if (batch.firstIndex + chunksIn(batch.plainSize, m_parts.header.chunkSize) > kHeaderChunkIndex) {
        return failed(Outcome::CipherFailed, Status::failure(errc::kInvalidParameter, "sealFile"));
    }
    const size_t chunk = m_parts.header.chunkSize;
    const uint64_t chunks = chunksIn(batch.plainSize, m_parts.header.chunkSize);
    size_t sealedAt = 0;
    for (uint64_t i = 0; i < chunks; ++i) {
        const size_t plainAt = static_cast<size_t>(i) * chunk;
        const size_t size = std::min(chunk, batch.plainSize - plainAt);
        const auto index = static_cast<uint32_t>(batch.firstIndex + i);
        const ChunkAad aad = chunkAad(m_body, index, batch.final && i + 1 == chunks);
        const Nonce nonce = nonceFor(m_parts.header.fileId, index);
        const std::span<const uint8_t> plain(batch.plain.get() + plainAt, size);
        const std::span<uint8_t> cipher(batch.sealed.get() + sealedAt, size);
        const std::span<uint8_t> tag(batch.sealed.get() + sealedAt + size, kTagSize);
        Status sealed = m_parts.crypto.aes256GcmSeal(
            {.key = m_parts.key, .nonce = nonce, .associatedData = aad, .plain = plain, .cipher = cipher, .tag = tag});
        if (!sealed.ok()) return failed(Outcome::CipherFailed, std::move(sealed));
        const std::span<uint8_t> again = std::span<uint8_t>(m_opened).first(size);
        Status reopened = m_parts.crypto.aes256GcmOpen(
            {.key = m_parts.key, .nonce = nonce, .associatedData = aad, .cipher = cipher, .tag = tag, .plain = again});
        if (!reopened.ok() || !std::equal(again.begin(), again.end(), plain.begin())) {
            return failed(Outcome::Mismatch, Status::failure(errc::kInvalidData, "sealFile"));
        }
        sealedAt += size + kTagSize;
    }
    batch.sealedSize = sealedAt;
    return {};
}

// Reads run ahead while batches are free; batches are written in the order they were read. A step follows each
// chunk written, as it would with one write a chunk.
PassResult SealPipeline::run(IFile& sealed, const ChunkStep& step) {
    const size_t chunk = m_parts.header.chunkSize;
    bool reading = true;
    uint64_t done = 0;
    FlushAhead flushAhead(sealed);
    for (;;) {
        while (reading) {
            Batch* free = m_sealer.takeFree();
            if (!free) break;
            reading = readInto(*free);
        }
        if (m_readResult.outcome != Outcome::Done) return m_readResult;
        Batch* batch = m_sealer.nextDone();
        if (batch->result.outcome != Outcome::Done) return batch->result;
        const std::span<const uint8_t> record(batch->sealed.get(), batch->sealedSize);
        if (Status written = sealed.write(record); !written.ok()) return failed(Outcome::WriteFailed, std::move(written));
        if (m_digest) m_digest->add(record);
        flushAhead.wrote(record.size());
        if (batch->final) flushAhead.finished();
        const uint64_t batchEnd = done + batch->plainSize;
        const bool last = batch->final;
        m_sealer.release(*batch);
        do {
            done = std::min<uint64_t>(done + chunk, batchEnd);
            if (step && !step(done)) return failed(Outcome::Stopped, Status::success());
        } while (done < batchEnd);
        if (last) return {};
    }
}

}  // namespace

PassResult sealFile(ICrypto& crypto, const Key& key, const Header& header, const SealFiles& files,
                    const ChunkStep& step, Digest& written) {
    // The header's tag is proved as the chunks are: a header that would not open is never written.
    if (PassResult opened = checkHeader(crypto, key, header); opened.outcome != Outcome::Done) {
        return opened.outcome == Outcome::Damaged ? failed(Outcome::Mismatch, std::move(opened.status)) : opened;
    }
    StorageDigest digest(header);
    const HeaderBytes headerBytes = encodeHeader(header);
    if (Status put = files.sealed.write(headerBytes); !put.ok()) return failed(Outcome::WriteFailed, std::move(put));
    digest.add(headerBytes);
    PassResult pass;
    {
        SealPipeline pipeline({crypto, key, header}, files.plain, &digest);
        pass = pipeline.run(files.sealed, step);
    }
    if (pass.outcome == Outcome::Done) written = digest.finish();
    return pass;
}

}  // namespace ob7
