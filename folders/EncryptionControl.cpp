#include "folders/EncryptionControl.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <cctype>
#include <optional>

#include "folders/LowerCased.h"
#include "folders/Ob7Details.h"
#include "folders/PrefixedFile.h"

namespace {

// Key bytes are overwritten through a volatile pointer, which the compiler may not drop as a dead store.
void wipe(std::span<uint8_t> bytes) {
    volatile uint8_t* at = bytes.data();
    for (size_t i = 0; i < bytes.size(); ++i) at[i] = 0;
}

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return "";
    // "C:\a.txt" lies in "C:\", not in "C:".
    return path.substr(0, cut == 2 && path[1] == ':' ? cut + 1 : cut);
}

std::string nameOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// "ob7", four hex digits, ".tmp": how the file system names the control's temporary output.
bool isLeftoverName(const std::string& name) {
    if (name.size() != 11) return false;
    const std::string folded = lowerCased(name);
    if (!folded.starts_with("ob7") || !folded.ends_with(".tmp")) return false;
    return std::all_of(folded.begin() + 3, folded.begin() + 7, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// How long the window may go without taking events while the control waits.
constexpr std::chrono::milliseconds kEventTurn{20};
// From this size on, the flush of a file, or its removal (the system freeing its blocks and cached pages), can
// outlast a turn of events; below it, a thread would cost more than the work itself.
constexpr uint64_t kLongWork = 8u << 20;

constexpr const char* kStoppedText = "Stopped before the end; the file was left as it was";
constexpr const char* kDamagedText = "The encrypted file is damaged or incomplete";

}  // namespace

// One encrypt or decrypt call: marks the control busy for its length and turns failures into error events.
class EncryptionControl::Call {
public:
    explicit Call(EncryptionControl& control) : m_control(control) { m_control.m_busy = true; }
    ~Call() { m_control.m_busy = false; }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    void refuse(int32_t number, const char* sentence, const std::string& path) {
        m_control.report(number, std::string(sentence) + ": " + path);
    }
    void failed(const Status& status, const char* doing, const std::string& path) {
        m_control.report(static_cast<int32_t>(status.code()),
                         std::string(doing) + " " + path + ": " + m_control.m_files.describeError(status.code()));
    }
    void keyFailed(const Status& status, const std::string& source) {
        if (status.code() == static_cast<uint32_t>(encryptionerror::kAborted)) {
            return refuse(encryptionerror::kAborted, kStoppedText, source);
        }
        failed(status, "Could not make the key for", source);
    }
    // What went wrong in a pass over the chunks, told in the words of the file it concerns.
    void passFailed(const ob7::PassResult& result, const std::string& source, const std::string& output) {
        switch (result.outcome) {
            case ob7::Outcome::Done:
                return;
            case ob7::Outcome::Stopped:
                return refuse(encryptionerror::kAborted, kStoppedText, source);
            case ob7::Outcome::ReadFailed:
                return failed(result.status, "Could not read", source);
            case ob7::Outcome::WriteFailed:
                return failed(result.status, "Could not write beside", output);
            case ob7::Outcome::Damaged:
                return refuse(encryptionerror::kDamaged, kDamagedText, source);
            case ob7::Outcome::Mismatch:
                return refuse(encryptionerror::kVerifyFailed,
                              "The encrypted copy did not read back as the original, which was kept", source);
            case ob7::Outcome::CipherFailed:
                return failed(result.status, "Could not encrypt or decrypt", source);
        }
    }
    // As passFailed, but a decrypted copy that does not match keeps the .ob7 and says so.
    void decryptionFailed(const ob7::PassResult& result, const std::string& source, const std::string& output) {
        if (result.outcome != ob7::Outcome::Mismatch) return passFailed(result, source, output);
        refuse(encryptionerror::kVerifyFailed,
               "The decrypted copy did not read back as the encrypted file, which was kept", source);
    }

private:
    EncryptionControl& m_control;
};

EncryptionControl::EncryptionControl(ICrypto& crypto, IFileSystem& files, ui::Toolkit& ui, EncryptionOptions options)
    : m_crypto(crypto), m_files(files), m_ui(ui), m_options(options) {}

EncryptionControl::~EncryptionControl() {
    forgetKeys();
}

// The only value the program passes is 4; the control has nothing to choose.
void EncryptionControl::selector(int32_t) {}

void EncryptionControl::setRunFlag(bool on) {
    if (m_busy) return;
    forgetKeys();
    m_aborted = false;
    m_folders.clear();
    (void)on;
}

void EncryptionControl::abort() {
    m_aborted = true;
}

// The crypto backend's kept key object goes too: the key must not outlive the control's own copies.
void EncryptionControl::forgetKeys() {
    m_crypto.forgetKeys();
    for (DerivedKey& derived : m_keys) wipe(derived.key);
    m_keys.clear();
    std::fill(m_keysPassword.begin(), m_keysPassword.end(), '\0');
    m_keysPassword.clear();
    m_haveOwnSalt = false;
}

void EncryptionControl::report(int32_t number, const std::string& text) {
    if (m_onError) m_onError(number, text);
}

// A call during another one (from a handler run while the first lets events through) is refused: two passes
// over the same files at once could only get in each other's way.
bool EncryptionControl::startCall() {
    if (m_busy) {
        report(encryptionerror::kBusy, "Another file is being encrypted or decrypted; try again when it is done");
        return false;
    }
    if (m_aborted) return false;
    m_lastPercent = -1;
    m_lastTurn.reset();
    progress(0, 1);
    return true;
}

void EncryptionControl::progress(uint64_t done, uint64_t total) {
    const int percent = total == 0 ? 100 : static_cast<int>(std::min<uint64_t>(done * 100 / total, 100));
    if (percent == m_lastPercent) return;
    m_lastPercent = percent;
    if (m_onProgress) m_onProgress(percent);
}

// Between chunks the window gets to repaint the bar and to take a click on "Abort".
// By the clock, not by the chunk: a turn costs a round trip to the window system, and a large file has thousands
// of chunks.
bool EncryptionControl::step(uint64_t done, uint64_t total) {
    progress(done, total);
    const auto now = std::chrono::steady_clock::now();
    if (m_lastTurn && now - *m_lastTurn < m_options.eventInterval) return !m_aborted;
    m_lastTurn = now;
    m_ui.processEvents();
    return !m_aborted;
}

// With no salt given, the run's own: made with the first file the run writes, so all its files share one key.
const EncryptionControl::DerivedKey* EncryptionControl::keyFor(const std::string& password, const ob7::Salt* salt,
                                                               uint32_t iterations, Status& failure) {
    if (password != m_keysPassword) {
        forgetKeys();
        m_keysPassword = password;
    }
    if (!salt) {
        if (!m_haveOwnSalt) {
            Result<std::vector<uint8_t>> fresh = m_crypto.randomBytes(ob7::kSaltSize);
            if (!fresh.ok()) {
                failure = fresh.status();
                return nullptr;
            }
            std::copy(fresh.value().begin(), fresh.value().end(), m_ownSalt.begin());
            m_haveOwnSalt = true;
        }
        salt = &m_ownSalt;
    }
    for (const DerivedKey& known : m_keys) {
        if (known.salt == *salt && known.iterations == iterations) return &known;
    }
    Result<std::vector<uint8_t>> key = stretch(password, *salt, iterations);
    if (m_aborted) {
        if (key.ok()) wipe(key.value());
        failure = Status::failure(encryptionerror::kAborted, "pbkdf2Sha256");
        return nullptr;
    }
    if (!key.ok() || key.value().size() != ob7::kKeySize) {
        failure = key.ok() ? Status::failure(errc::kInvalidData, "pbkdf2Sha256") : key.status();
        return nullptr;
    }
    DerivedKey derived{.salt = *salt, .iterations = iterations};
    std::copy(key.value().begin(), key.value().end(), derived.key.begin());
    wipe(key.value());
    m_keys.push_back(derived);
    wipe(derived.key);
    return &m_keys.back();
}

// Work that may take longer than a turn of events (a stretch of the password, the flush of a large file) runs on
// a thread of its own while the window keeps taking events: the bar, "Abort", the watch.
template <class Work>
auto EncryptionControl::beside(Work work) -> decltype(work()) {
    auto job = std::async(std::launch::async, std::move(work));
    while (job.wait_for(kEventTurn) != std::future_status::ready) m_ui.processEvents();
    return job.get();
}

// A folder of files from different runs needs one stretch per file, each the better part of a second.
Result<std::vector<uint8_t>> EncryptionControl::stretch(const std::string& password, const ob7::Salt& salt,
                                                        uint32_t iterations) {
    return beside([this, &password, &salt, iterations] {
        return m_crypto.pbkdf2Sha256(password, salt, iterations, ob7::kKeySize);
    });
}

namespace {

// Holds a copy of the run's key for one call, wiped when the call ends however it ends.
struct CallKey {
    ob7::Key bytes{};
    ~CallKey() { wipe(bytes); }
};

}  // namespace

// A file already under the destination name is never touched: the call skips the file and says so. A name the
// run's look at the folder did not show is taken as free: one taken since, or by a folder, is caught when the
// output is given its name. A name it did show is looked up again, as it may have gone since.
bool EncryptionControl::destinationFree(Call& call, const std::string& destination, const FolderNames& folder) {
    if (folder.listed && !folder.names.contains(lowerCased(nameOf(destination)))) return true;
    Result<uint32_t> there = m_files.attributes(destination);
    if (there.ok()) {
        call.refuse(encryptionerror::kDestinationExists,
                    "A file of that name is already there, so this one was skipped and both were kept", destination);
        return false;
    }
    const uint32_t code = there.status().code();
    if (code == errc::kFileNotFound || code == errc::kPathNotFound) return true;
    call.failed(there.status(), "Could not look at", destination);
    return false;
}

// Until the output is on the disk, a power cut could leave the named file short.
bool EncryptionControl::settle(Call& call, IFile& output, const std::string& destination) {
    const Result<uint64_t> written = output.size();
    const bool large = !written.ok() || written.value() >= kLongWork;
    const Status done = large ? beside([&output] { return output.flush(); }) : output.flush();
    if (!done.ok()) call.failed(done, "Could not write beside", destination);
    return done.ok();
}

// The finished output is shown and given its name through its own opening; a name taken meanwhile is not
// replaced. Until this succeeds, the system removes the output should the program end.
bool EncryptionControl::publish(Call& call, IFile& output, const std::string& destination) {
    const Status named = output.keepAs(destination);
    if (named.ok()) {
        noteName(destination, true);
        return true;
    }
    if (named.code() == errc::kAlreadyExists || named.code() == 80) {
        call.refuse(encryptionerror::kDestinationExists,
                    "A file or folder of that name is there now, so this one was skipped and both were kept",
                    destination);
    } else {
        call.failed(named, "Could not name", destination);
    }
    return false;
}

// Encrypting a link would delete the link and leave its target's plain text; a file with other names (hard links)
// would keep its plain text under them. Either is refused, naming the file.
bool EncryptionControl::onlyName(Call& call, IFile& source, const std::string& path) {
    const Result<uint32_t> bits = m_files.attributes(path);
    if (bits.ok() && (bits.value() & fileattr::kReparsePoint) != 0) {
        call.refuse(encryptionerror::kLinked, "This is a link to another file, not a file of its own; it was left as it is",
                    path);
        return false;
    }
    const Result<uint32_t> names = source.linkCount();
    if (names.ok() && names.value() > 1) {
        call.refuse(encryptionerror::kLinked,
                    "This file has other names (hard links) that would keep its plain text; it was left as it is", path);
        return false;
    }
    return true;
}

// Only now that the output stands complete under its name may the source go. It goes through the opening that
// has held it since it was first read, so no other program's write can have come in between and be lost. Removing
// a large file takes the system a while (20-80 ms for 256 MiB here, freeing its blocks and cached pages), so the
// window's events go on meanwhile.
void EncryptionControl::removeSource(Call& call, IFile& held, const std::string& source, uint64_t size) {
    const auto remove = [&held] {
        Status removed = held.removeWhenClosed();
        return removed.ok() ? held.close() : removed;
    };
    const Status removed = size >= kLongWork ? beside(remove) : remove();
    if (!removed.ok()) return call.failed(removed, "The result is complete, but could not remove", source);
    noteName(source, false);
}

// Output left behind by a run that was cut off (a power cut while the system could not remove it) is plain text
// or a half-written copy: the first call of a run in a folder removes such files of this program's own naming.
// A file still open by another run is refused by the system and stays. The names the listing shows are kept for
// the run's destination checks.
const EncryptionControl::FolderNames& EncryptionControl::sweepLeftovers(const std::string& folder) {
    for (const FolderNames& known : m_folders) {
        if (known.folder == folder) return known;
    }
    FolderNames& names = m_folders.emplace_back();
    names.folder = folder;
    Result<std::vector<FileEntry>> entries = m_files.listFiles(folder);
    if (!entries.ok()) return names;
    names.listed = true;
    for (const FileEntry& entry : entries.value()) {
        const std::string path = folder.ends_with('\\') ? folder + entry.name : folder + "\\" + entry.name;
        const bool leftover = (entry.attributes & fileattr::kHidden) != 0 && isLeftoverName(entry.name);
        if (!leftover || !m_files.deleteFile(path).ok()) names.names.insert(lowerCased(entry.name));
    }
    return names;
}

void EncryptionControl::noteName(const std::string& path, bool present) {
    for (FolderNames& known : m_folders) {
        if (!known.listed || known.folder != folderOf(path)) continue;
        if (present) {
            known.names.insert(lowerCased(nameOf(path)));
        } else {
            known.names.erase(lowerCased(nameOf(path)));
        }
    }
}

void EncryptionControl::encrypt(const std::string& source, const std::string& destination,
                                const std::string& password) {
    if (!startCall()) return;
    Call call(*this);
    if (!destinationFree(call, destination, sweepLeftovers(folderOf(destination)))) return;
    Result<std::unique_ptr<IFile>> plain = m_files.openHeld(source);
    if (!plain.ok()) return call.failed(plain.status(), "Could not open", source);
    if (!onlyName(call, *plain.value(), source)) return;
    Result<uint64_t> size = plain.value()->size();
    if (!size.ok()) return call.failed(size.status(), "Could not read", source);
    const std::optional<SourceDetails> details = detailsOf(call, *plain.value(), source);
    if (!details) return;
    PrefixedFile stream(details->record, *plain.value());
    const uint64_t streamSize = details->record.size() + size.value();

    Status failure;
    const DerivedKey* derived = keyFor(password, nullptr, m_options.iterations, failure);
    if (!derived) return call.keyFailed(failure, source);
    CallKey key;
    key.bytes = derived->key;
    ob7::Header header{.iterations = m_options.iterations, .salt = derived->salt, .chunkSize = m_options.chunkSize};
    Result<std::vector<uint8_t>> fileId = m_crypto.randomBytes(ob7::kFileIdSize);
    if (!fileId.ok() || fileId.value().size() != ob7::kFileIdSize) {
        return call.failed(fileId.ok() ? Status::failure(errc::kInvalidData, "randomBytes") : fileId.status(),
                           "Could not encrypt", source);
    }
    std::copy(fileId.value().begin(), fileId.value().end(), header.fileId.begin());
    if (Status sealed = ob7::sealHeader(m_crypto, key.bytes, header); !sealed.ok()) {
        return call.failed(sealed, "Could not encrypt", source);
    }

    Result<std::unique_ptr<IFile>> output = m_files.createTemporaryOutput(folderOf(destination));
    if (!output.ok()) return call.failed(output.status(), "Could not write beside", destination);
    IFile& out = *output.value();
    // Writing and reading back go over every byte once each; the bar covers both. The details record is sealed and
    // proved with the bytes: what decryption will put back is proved too.
    const uint64_t work = streamSize * 2;
    ob7::Digest written{};
    const ob7::PassResult pass = ob7::sealFile(m_crypto, key.bytes, header, {stream, out},
                                               [&](uint64_t done) { return step(done, work); }, written);
    if (pass.outcome != ob7::Outcome::Done) return call.passFailed(pass, source, destination);
    if (!proveWritten(call, {header, out, written, destination, source, streamSize, ob7::WrittenAs::Sealed})) return;
    if (!settle(call, out, destination)) return;
    if (!publish(call, out, destination)) return;
    removeSealedSource(call, *plain.value(), source, details->details.attributes, size.value());
    progress(1, 1);
}

// Reads the output back through its own opening: it must hold exactly the bytes handed to its writes, whose
// chunks were checked against the cipher in memory as they were sealed or opened. Together that proves as much as
// decrypting the .ob7 again (docs/ob7-format.md, "Why the proof is enough").
bool EncryptionControl::proveWritten(Call& call, const WrittenCopy& copy) {
    if (Status rewound = copy.output.rewind(); !rewound.ok()) {
        call.failed(rewound, "Could not read back", copy.path);
        return false;
    }
    const uint64_t total = copy.plainSize;
    const ob7::PassResult pass =
        ob7::proveWritten(copy.header, copy.output, copy.digest, copy.as, [&](uint64_t done) {
            return step(total + std::min(done, total), total * 2);
        });
    if (pass.outcome == ob7::Outcome::Done) return true;
    if (copy.as == ob7::WrittenAs::Plain) {
        call.decryptionFailed(pass, copy.source, copy.path);
    } else {
        call.passFailed(pass, copy.source, copy.path);
    }
    return false;
}

void EncryptionControl::decrypt(const std::string& source, const std::string& destination,
                                const std::string& password) {
    if (!startCall()) return;
    Call call(*this);
    if (!destinationFree(call, destination, sweepLeftovers(folderOf(destination)))) return;
    Result<std::unique_ptr<IFile>> sealed = m_files.openHeld(source);
    if (!sealed.ok()) return call.failed(sealed.status(), "Could not open", source);
    Result<uint64_t> size = sealed.value()->size();
    if (!size.ok()) return call.failed(size.status(), "Could not read", source);
    ob7::HeaderBytes headerBytes{};
    Result<size_t> got = sealed.value()->read(headerBytes);
    if (!got.ok()) return call.failed(got.status(), "Could not read", source);
    const ob7::ParsedHeader parsed = ob7::parseHeader(std::span<const uint8_t>(headerBytes.data(), got.value()));
    switch (parsed.problem) {
        case ob7::HeaderProblem::None:
            break;
        case ob7::HeaderProblem::NotOb7:
            return call.refuse(encryptionerror::kNotEncrypted, "This is not a file encrypted by this program", source);
        case ob7::HeaderProblem::UnsupportedVersion:
            return call.refuse(encryptionerror::kUnsupported,
                               "This file was encrypted by a newer version of this program", source);
        case ob7::HeaderProblem::BadParameters:
            return call.refuse(encryptionerror::kDamaged, kDamagedText, source);
    }
    const ob7::Header& header = parsed.header;
    const auto layout = ob7::layoutOf(size.value() - ob7::kHeaderSize, header.chunkSize);
    if (!layout) return call.refuse(encryptionerror::kDamaged, kDamagedText, source);

    Status failure;
    const DerivedKey* derived = keyFor(password, &header.salt, header.iterations, failure);
    if (!derived) return call.keyFailed(failure, source);
    CallKey key;
    key.bytes = derived->key;
    // The header's tag proves the password before anything is written.
    ob7::PassResult pass = ob7::checkHeader(m_crypto, key.bytes, header);
    if (pass.outcome == ob7::Outcome::Damaged) {
        return call.refuse(encryptionerror::kWrongPassword, "Wrong password, or the file is damaged", source);
    }
    if (pass.outcome != ob7::Outcome::Done) return call.passFailed(pass, source, destination);

    const uint64_t plainSize = size.value() - ob7::kHeaderSize - layout->chunks * ob7::kTagSize;
    Result<std::unique_ptr<IFile>> output = m_files.createTemporaryOutput(folderOf(destination));
    if (!output.ok()) return call.failed(output.status(), "Could not write beside", destination);
    IFile& plain = *output.value();
    // A file of the first version is its plain stream; later ones begin with the details record.
    const bool withDetails = header.version != ob7::kVersionWithoutDetails;
    ob7::DetailsSplitter splitter;
    ob7::FlushAhead flushAhead(plain);
    ob7::StorageDigest digest(header);
    pass = ob7::openChunks(
        m_crypto, key.bytes, header, size.value() - ob7::kHeaderSize, *sealed.value(),
        [&](std::span<const uint8_t> bytes) -> ob7::PassResult {
            if (withDetails) {
                const std::optional<std::span<const uint8_t>> rest = splitter.take(bytes);
                if (!rest) return {ob7::Outcome::Damaged, Status::failure(errc::kInvalidData, "DetailsSplitter")};
                bytes = *rest;
            }
            if (Status written = plain.write(bytes); !written.ok()) return {ob7::Outcome::WriteFailed, std::move(written)};
            digest.add(bytes);
            flushAhead.wrote(bytes.size());
            return {};
        },
        [&](uint64_t done) { return step(done, plainSize * 2); });
    if (pass.outcome != ob7::Outcome::Done) return call.decryptionFailed(pass, source, destination);
    // A stream that ends inside its record, or a record not as this program writes it, is damage.
    const std::optional<FileDetails> details = withDetails ? splitter.details() : std::nullopt;
    if (withDetails && !details) return call.refuse(encryptionerror::kDamaged, kDamagedText, source);
    flushAhead.finished();
    // As encryption does: the .ob7 goes only once the plain file has been proved and is on the disk. The proof goes
    // first, while the disk is still taking the end of the file.
    const ob7::Digest written = digest.finish();
    if (!proveWritten(call, {header, plain, written, destination, source, plainSize, ob7::WrittenAs::Plain})) return;
    if (!settle(call, plain, destination)) return;
    if (!publish(call, plain, destination)) return;
    if (details && !putDetailsBack(call, plain, destination, *details)) return;
    removeSource(call, *sealed.value(), source, size.value());
    progress(1, 1);
}

// A file whose details cannot be read, or are more than an .ob7 can carry, is left as it is. They are read through
// the opening that holds the source: no second opening, and the details of the very file whose bytes are sealed.
std::optional<EncryptionControl::SourceDetails> EncryptionControl::detailsOf(Call& call, IFile& held,
                                                                             const std::string& source) {
    Result<FileDetails> details = held.details();
    if (!details.ok()) {
        call.failed(details.status(), "Could not read the attributes, times, access rules or named streams of", source);
        return std::nullopt;
    }
    std::optional<std::vector<uint8_t>> record = ob7::encodeDetails(details.value());
    if (!record) {
        call.refuse(encryptionerror::kUnsupported,
                    "This file has more named streams or access rules than an encrypted file can carry; it was left "
                    "as it is",
                    source);
        return std::nullopt;
    }
    return SourceDetails{std::move(details.value()), std::move(*record)};
}

// Once the plain file has its name, and after its opening is closed: closing an opening that wrote sets the last
// write time, which would undo the one put back. The .ob7 stays unless all the file carried is back on it.
bool EncryptionControl::putDetailsBack(Call& call, IFile& output, const std::string& destination,
                                       const FileDetails& details) {
    Status put = output.close();
    if (put.ok()) put = m_files.writeDetails(destination, details);
    if (!put.ok()) {
        call.failed(put,
                    "The encrypted file was kept: could not put back the attributes, times, access rules or named "
                    "streams of",
                    destination);
    }
    return put.ok();
}

// A read-only source would refuse to go; the .ob7 carries the attribute, and a source that stays gets it back.
void EncryptionControl::removeSealedSource(Call& call, IFile& held, const std::string& source, uint32_t attributes,
                                           uint64_t size) {
    const bool readOnly = (attributes & fileattr::kReadOnly) != 0;
    const uint32_t writable = attributes & fileattr::kCarried & ~fileattr::kReadOnly;
    if (readOnly) (void)m_files.setAttributes(source, writable ? writable : fileattr::kNormal);
    removeSource(call, held, source, size);
    if (readOnly && m_files.attributes(source).ok()) {
        (void)m_files.setAttributes(source, attributes & fileattr::kCarried);
    }
}
