#pragma once
#include <array>
#include <functional>
#include <utility>

#include "folders/Ob7Digest.h"
#include "folders/Ob7Format.h"
#include "platform/ICrypto.h"
#include "platform/IFileSystem.h"

// Sealing and opening the chunks of an ".ob7" file, between open files.
namespace ob7 {

using Key = std::array<uint8_t, kKeySize>;

enum class Outcome { Done, Stopped, ReadFailed, WriteFailed, Damaged, Mismatch, CipherFailed };
struct PassResult {
    Outcome outcome = Outcome::Done;
    Status status{};
};
// A pass that ended in `outcome`, with the system's word on why.
inline PassResult failed(Outcome outcome, Status status) {
    return {outcome, std::move(status)};
}

// Called after each chunk with the plain bytes done so far; false stops the pass.
using ChunkStep = std::function<bool(uint64_t plainDone)>;
// Takes the plain text of the chunks whose tags have proved it: whole chunks, in order, several at a time.
using PlainSink = std::function<PassResult(std::span<const uint8_t> plain)>;

// Fills in the header's tag, which proves the password before any chunk is read.
Status sealHeader(ICrypto& crypto, const Key& key, Header& header);
// Done: the key is right and the header whole; Damaged: one of them is not.
PassResult checkHeader(ICrypto& crypto, const Key& key, const Header& header);
// A failed opening: Damaged when the tag did not match, CipherFailed when the cipher itself failed.
PassResult openFailure(Status status);

// Asks the system every few MiB to start putting a long output on the disk (IFile::startFlush), so that the disk
// works while the rest is sealed or opened and the flush at the end waits for little more than the last piece. A
// file too short for that is flushed at its end, as a whole.
class FlushAhead {
public:
    explicit FlushAhead(IFile& output) : m_output(output) {}
    void wrote(uint64_t bytes) {
        m_unflushed += bytes;
        if (m_unflushed < kStep) return;
        m_output.startFlush();
        m_unflushed = 0;
        m_started = true;
    }
    void finished() {
        if (m_started && m_unflushed != 0) m_output.startFlush();
    }

private:
    static constexpr uint64_t kStep = uint64_t{4} << 20;
    IFile& m_output;
    uint64_t m_unflushed = 0;
    bool m_started = false;
};

struct SealFiles {
    IFile& plain;   // at its start
    IFile& sealed;  // empty
};
// Writes the header and then every chunk of the plain file sealed, each chunk opened again in memory and compared
// with its plain text first (Mismatch if it differs). `written` gets the digest of every byte handed to the writes.
PassResult sealFile(ICrypto& crypto, const Key& key, const Header& header, const SealFiles& files,
                    const ChunkStep& step, Digest& written);
// What a proof reads back: an .ob7 (the header, then records of a chunk and its tag) or a decrypted file (its
// plain text, chunk after chunk).
enum class WrittenAs { Sealed, Plain };
// Reads the written file back from its start to its end; Mismatch unless it holds exactly the bytes the digest
// was taken of. The step counts the plain bytes of the chunks that have come back, once per chunk.
PassResult proveWritten(const Header& header, IFile& output, const Digest& written, WrittenAs as,
                        const ChunkStep& step);
// Reads the `sealedBytes` after the header from `sealed` (positioned there), proving every chunk and the end. Each
// chunk, once its tag has proved it, is sealed again in memory from the plain text it gave and compared with its
// record (Mismatch if it differs), so that a fault of the cipher never reaches the sink.
PassResult openChunks(ICrypto& crypto, const Key& key, const Header& header, uint64_t sealedBytes, IFile& sealed,
                      const PlainSink& sink, const ChunkStep& step);

}  // namespace ob7
