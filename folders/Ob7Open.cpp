// Opening a file: the cipher works on a thread of its own while the caller's thread reads and hands on the plain
// text.
#include <algorithm>
#include <memory>
#include <vector>

#include "folders/Ob7Batches.h"
#include "folders/Ob7Stream.h"

namespace ob7 {

namespace {

PassResult damaged(const char* where) {
    return failed(Outcome::Damaged, Status::failure(errc::kInvalidData, where));
}

// The caller's thread reads the records and hands the plain text on in order; the opener's thread opens each
// batch and seals it again.
class OpenPipeline {
public:
    OpenPipeline(ICrypto& crypto, const Key& key, const Header& header, const Layout& layout, IFile& sealed);
    PassResult run(const PlainSink& sink, const ChunkStep& step);

private:
    bool readInto(Batch& batch);
    PassResult endsHere();
    PassResult openBatch(Batch& batch);
    size_t recordSize(uint64_t index) const;
    uint64_t chunksIn(const Batch& batch) const { return (batch.sealedSize + m_record - 1) / m_record; }

    ICrypto& m_crypto;
    const Key& m_key;
    const Header& m_header;
    const Layout m_layout;
    IFile& m_sealed;
    const HeaderBody m_body;
    const size_t m_record;
    const uint64_t m_chunksPerBatch;
    std::vector<uint8_t> m_again;  // the opener's: each chunk sealed again
    uint64_t m_nextIndex = 0;
    PassResult m_readResult;
    BatchWorker m_opener;  // last: its thread may use everything above
};

OpenPipeline::OpenPipeline(ICrypto& crypto, const Key& key, const Header& header, const Layout& layout,
                           IFile& sealed)
    : m_crypto(crypto),
      m_key(key),
      m_header(header),
      m_layout(layout),
      m_sealed(sealed),
      m_body(headerBody(header)),
      m_record(size_t{header.chunkSize} + kTagSize),
      m_chunksPerBatch(std::min<uint64_t>(std::max<uint64_t>(1, kBatchBytes / m_record), layout.chunks)),
      m_again(m_record),
      m_opener([this](Batch& batch) { batch.result = openBatch(batch); }, layout.chunks > m_chunksPerBatch) {}

size_t OpenPipeline::recordSize(uint64_t index) const {
    return index + 1 == m_layout.chunks ? static_cast<size_t>(m_layout.lastRecord) : m_record;
}

// Reads the next batch's records and hands it on. False once the last is read or a read failed; a file that
// shrank since its size was taken, or holds more after its last chunk, is damage.
bool OpenPipeline::readInto(Batch& batch) {
    if (!batch.sealed) {
        batch.sealed = std::make_unique_for_overwrite<uint8_t[]>(m_chunksPerBatch * m_record);
        batch.plain = std::make_unique_for_overwrite<uint8_t[]>(m_chunksPerBatch * m_header.chunkSize);
    }
    batch.firstIndex = m_nextIndex;
    const uint64_t chunks = std::min(m_chunksPerBatch, m_layout.chunks - m_nextIndex);
    batch.final = batch.firstIndex + chunks == m_layout.chunks;
    const size_t bytes = static_cast<size_t>(chunks - 1) * m_record + recordSize(batch.firstIndex + chunks - 1);
    batch.sealedSize = bytes;
    Result<size_t> got = m_sealed.read(std::span<uint8_t>(batch.sealed.get(), bytes));
    if (!got.ok()) {
        m_readResult = failed(Outcome::ReadFailed, got.status());
    } else if (got.value() != bytes) {
        m_readResult = damaged("ReadFile");
    } else if (batch.final) {
        m_readResult = endsHere();
    }
    if (m_readResult.outcome != Outcome::Done) {
        m_opener.release(batch);
        return false;
    }
    m_nextIndex += chunks;
    m_opener.hand(batch);
    return !batch.final;
}

// Bytes appended after the last chunk would otherwise pass unnoticed.
PassResult OpenPipeline::endsHere() {
    uint8_t extra = 0;
    Result<size_t> more = m_sealed.read(std::span<uint8_t>(&extra, 1));
    if (!more.ok()) return failed(Outcome::ReadFailed, more.status());
    if (more.value() != 0) return damaged("openChunks");
    return {};
}

// Each chunk, once its tag has proved it, is sealed again from the plain text it gave and compared with its
// record: a fault of the cipher (of the machine or of the library) shows here, before the plain text is handed on.
PassResult OpenPipeline::openBatch(Batch& batch) {
    const size_t chunk = m_header.chunkSize;
    batch.plainSize = 0;
    for (uint64_t i = 0; i < chunksIn(batch); ++i) {
        const uint64_t index = batch.firstIndex + i;
        const uint8_t* record = batch.sealed.get() + static_cast<size_t>(i) * m_record;
        const size_t size = recordSize(index) - kTagSize;
        const auto chunkIndex = static_cast<uint32_t>(index);
        const ChunkAad aad = chunkAad(m_body, chunkIndex, index + 1 == m_layout.chunks);
        const Nonce nonce = nonceFor(m_header.fileId, chunkIndex);
        const std::span<uint8_t> plain(batch.plain.get() + static_cast<size_t>(i) * chunk, size);
        Status status = m_crypto.aes256GcmOpen({.key = m_key,
                                                .nonce = nonce,
                                                .associatedData = aad,
                                                .cipher = std::span<const uint8_t>(record, size),
                                                .tag = std::span<const uint8_t>(record + size, kTagSize),
                                                .plain = plain});
        if (!status.ok()) return openFailure(std::move(status));
        status = m_crypto.aes256GcmSeal({.key = m_key,
                                         .nonce = nonce,
                                         .associatedData = aad,
                                         .plain = plain,
                                         .cipher = std::span<uint8_t>(m_again.data(), size),
                                         .tag = std::span<uint8_t>(m_again.data() + size, kTagSize)});
        if (!status.ok()) return failed(Outcome::CipherFailed, std::move(status));
        if (!std::equal(m_again.begin(), m_again.begin() + static_cast<ptrdiff_t>(size + kTagSize), record)) {
            return failed(Outcome::Mismatch, Status::failure(errc::kInvalidData, "openChunks"));
        }
        batch.plainSize += size;
    }
    return {};
}

// Reads run ahead while batches are free; the plain text is handed on in the order it was read. A step follows
// each chunk handed on, as it would with one chunk at a time.
PassResult OpenPipeline::run(const PlainSink& sink, const ChunkStep& step) {
    bool reading = true;
    uint64_t done = 0;
    for (;;) {
        while (reading) {
            Batch* free = m_opener.takeFree();
            if (!free) break;
            reading = readInto(*free);
        }
        if (m_readResult.outcome != Outcome::Done) return m_readResult;
        Batch* batch = m_opener.nextDone();
        if (batch->result.outcome != Outcome::Done) return batch->result;
        if (PassResult taken = sink(std::span<const uint8_t>(batch->plain.get(), batch->plainSize));
            taken.outcome != Outcome::Done) {
            return taken;
        }
        const uint64_t first = batch->firstIndex;
        const uint64_t chunks = chunksIn(*batch);
        const bool last = batch->final;
        m_opener.release(*batch);
        for (uint64_t index = first; index < first + chunks; ++index) {
            done += recordSize(index) - kTagSize;
            if (step && !step(done)) return failed(Outcome::Stopped, Status::success());
        }
        if (last) return {};
    }
}

}  // namespace

PassResult openChunks(ICrypto& crypto, const Key& key, const Header& header, uint64_t sealedBytes, IFile& sealed,
                      const PlainSink& sink, const ChunkStep& step) {
    const auto layout = layoutOf(sealedBytes, header.chunkSize);
    if (!layout) return damaged("openChunks");
    OpenPipeline pipeline(crypto, key, header, *layout, sealed);
    return pipeline.run(sink, step);
}

}  // namespace ob7
