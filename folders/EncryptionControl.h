#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "folders/Ob7Stream.h"
#include "platform/ICrypto.h"
#include "platform/IFileSystem.h"
#include "platform/ui/Toolkit.h"

struct EncryptionOptions {
    uint32_t iterations = ob7::kDefaultIterations;  // for files it writes; a file read names its own
    uint32_t chunkSize = ob7::kDefaultChunkSize;
    // The longest a pass goes on without letting the window's events run; zero: after every chunk. Each call
    // lets them run once at its start whatever this says.
    std::chrono::milliseconds eventInterval{20};
};

// The numbers the error event reports for the control's own refusals; failures of the machine carry the
// system's error number instead.
namespace encryptionerror {
constexpr int32_t kWrongPassword = 1001;
constexpr int32_t kDamaged = 1002;
constexpr int32_t kNotEncrypted = 1003;
constexpr int32_t kUnsupported = 1004;
constexpr int32_t kDestinationExists = 1005;
constexpr int32_t kAborted = 1006;
constexpr int32_t kVerifyFailed = 1007;
constexpr int32_t kBusy = 1008;
constexpr int32_t kLinked = 1009;  // a link, or a file with more than one name
}  // namespace encryptionerror

// The encryption control `RSPEncrypt1`: encrypts a file into an ".ob7" file and back, one file per call,
// reporting through its progress and error events. It never loses a file: the output is written under a
// temporary name, proved, flushed, and only then given its name, which must be free; the source goes last.
class EncryptionControl final {
public:
    EncryptionControl(ICrypto& crypto, IFileSystem& files, ui::Toolkit& ui, EncryptionOptions options = {});
    ~EncryptionControl();
    EncryptionControl(const EncryptionControl&) = delete;
    EncryptionControl& operator=(const EncryptionControl&) = delete;

    void selector(int32_t value);
    // True starts a run: the password is stretched once per run, not once per file.
    void setRunFlag(bool on);
    void encrypt(const std::string& source, const std::string& destination, const std::string& password);
    void decrypt(const std::string& source, const std::string& destination, const std::string& password);
    // Ends the running call early; the rest of the run's calls then do nothing.
    void abort();
    void onProgress(std::function<void(int32_t percent)> handler) { m_onProgress = std::move(handler); }
    void onError(std::function<void(int32_t number, const std::string& text)> handler) {
        m_onError = std::move(handler);
    }
    // How many times a password was stretched into a key since the control was made.

private:
    struct DerivedKey {
        ob7::Salt salt{};
        uint32_t iterations = 0;
        ob7::Key key{};
    };
    // The source's details, and the record of them that begins the plain stream.
    struct SourceDetails {
        FileDetails details;
        std::vector<uint8_t> record;
    };
    // An output, the .ob7 of an encryption or the plain file of a decryption, and what was handed to its writes,
    // for the read-back that proves it.
    struct WrittenCopy {
        const ob7::Header& header;
        IFile& output;
        const ob7::Digest& digest;
        const std::string& path;
        const std::string& source;
        uint64_t plainSize;
        ob7::WrittenAs as;
    };
    class Call;
    // A folder as the run first found it: the names of its files in lower case (ASCII letters; a name that differs
    // only in the case of other letters is caught when the output is given its name), with those the run gave and
    // removed there since. Saves looking each free destination up, which on some systems means reading the whole
    // folder.
    struct FolderNames {
        std::string folder;
        bool listed = false;
        std::unordered_set<std::string> names;
    };

    const DerivedKey* keyFor(const std::string& password, const ob7::Salt* salt, uint32_t iterations, Status& failure);
    template <class Work>
    auto beside(Work work) -> decltype(work());
    Result<std::vector<uint8_t>> stretch(const std::string& password, const ob7::Salt& salt, uint32_t iterations);
    void forgetKeys();
    bool startCall();
    void progress(uint64_t done, uint64_t total);
    bool step(uint64_t done, uint64_t total);
    bool destinationFree(Call& call, const std::string& destination, const FolderNames& there);
    bool proveWritten(Call& call, const WrittenCopy& copy);
    bool onlyName(Call& call, IFile& source, const std::string& path);
    bool settle(Call& call, IFile& output, const std::string& destination);
    bool publish(Call& call, IFile& output, const std::string& destination);
    void removeSource(Call& call, IFile& held, const std::string& source, uint64_t size);
    const FolderNames& sweepLeftovers(const std::string& folder);
    void noteName(const std::string& path, bool present);
    std::optional<SourceDetails> detailsOf(Call& call, IFile& held, const std::string& source);
    bool putDetailsBack(Call& call, IFile& output, const std::string& destination, const FileDetails& details);
    void removeSealedSource(Call& call, IFile& held, const std::string& source, uint32_t attributes, uint64_t size);
    void report(int32_t number, const std::string& text);

    ICrypto& m_crypto;
    IFileSystem& m_files;
    ui::Toolkit& m_ui;
    EncryptionOptions m_options;
    std::function<void(int32_t)> m_onProgress;
    std::function<void(int32_t, const std::string&)> m_onError;
    std::string m_keysPassword;
    std::vector<DerivedKey> m_keys;
    bool m_haveOwnSalt = false;
    ob7::Salt m_ownSalt{};  // the salt of the files this run writes
    std::deque<FolderNames> m_folders;  // this run's
    bool m_busy = false;
    bool m_aborted = false;
    int m_lastPercent = -1;
    std::optional<std::chrono::steady_clock::time_point> m_lastTurn;  // this call's
};
