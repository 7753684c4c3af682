// Whatever stops an encryption or decryption part-way, the source stays as it was and nothing half-written
// appears under the destination name; a run stretches its password once, however many files it holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "folders/Ob7Details.h"
#include "folders/PrefixedFile.h"
#include "tests/folders/EncryptionFixture.h"
#include "tests/folders/Ob7Vectors.h"

namespace {

using namespace ob7test;
using Names = std::vector<std::string>;

const std::string kPlainPath = "C:\\Data\\a.txt";
const std::string kSealedPath = "C:\\Data\\a.txt.ob7";
const std::string kPassword = "s3cret";

// Bytes of every value, so that a lost, doubled or reordered chunk shows.
std::string patterned(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class EncryptionSafety : public EncryptionFixture {
protected:
    std::string sealedCopyOf(const std::string& plain) {
        files.writeFile(kPlainPath, plain);
        startRun();
        control.encrypt(kPlainPath, kSealedPath, kPassword);
        EXPECT_TRUE(errors.empty());
        std::string sealed = files.readFile(kSealedPath).value_or("");
        errors.clear();
        return sealed;
    }
};

TEST_F(EncryptionSafety, FullDiskAtAnyByteKeepsTheSourceAndMakesNoDestination) {
    const std::string plain = patterned(100);
    const std::string sealed = sealedCopyOf(plain);
    // The details record (its length, 36 bytes and the simulation's 28-byte descriptor) comes before the file.
    ASSERT_EQ(sealed.size(), 60u + (4u + 36u + 28u + 100u) + 11u * 16u);
    (void)files.deleteFile(kSealedPath);

    for (uint64_t room = 0; room < sealed.size(); ++room) {
        files.writeFile(kPlainPath, plain);
        files.failWritesAfter(room);
        errors.clear();
        startRun();
        control.encrypt(kPlainPath, kSealedPath, kPassword);
        files.failWritesAfter(std::nullopt);
        ASSERT_EQ(errors.size(), 1u) << "room " << room;
        EXPECT_EQ(errors[0].number, static_cast<int32_t>(errc::kDiskFull));
        EXPECT_EQ(files.readFile(kPlainPath), plain) << "room " << room;
        EXPECT_EQ(names(), Names{"a.txt"}) << "room " << room;
    }
    (void)files.deleteFile(kPlainPath);
    for (uint64_t room = 0; room < plain.size(); ++room) {
        files.writeFile(kSealedPath, sealed);
        files.failWritesAfter(room);
        errors.clear();
        startRun();
        control.decrypt(kSealedPath, kPlainPath, kPassword);
        files.failWritesAfter(std::nullopt);
        ASSERT_EQ(errors.size(), 1u) << "room " << room;
        EXPECT_EQ(files.readFile(kSealedPath), sealed) << "room " << room;
        EXPECT_EQ(names(), Names{"a.txt.ob7"}) << "room " << room;
    }
    // Room for exactly the output is enough.
    files.failWritesAfter(plain.size());
    errors.clear();
    control.decrypt(kSealedPath, kPlainPath, kPassword);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(files.readFile(kPlainPath), plain);
}

TEST_F(EncryptionSafety, FailureOfAnyStepBeforeTheNameIsGivenKeepsTheSource) {
    using Op = sim::SimFileSystem::Op;
    const std::string plain = patterned(100);
    const std::string sealed = sealedCopyOf(plain);
    for (Op op : {Op::OpenRead, Op::CreateTemporary, Op::Flush, Op::Keep}) {
        (void)files.deleteFile(kSealedPath);
        files.writeFile(kPlainPath, plain);
        files.failNext(op, errc::kAccessDenied);
        errors.clear();
        startRun();
        control.encrypt(kPlainPath, kSealedPath, kPassword);
        ASSERT_EQ(errors.size(), 1u) << "op " << static_cast<int>(op);
        EXPECT_EQ(errors[0].number, static_cast<int32_t>(errc::kAccessDenied));
        EXPECT_EQ(names(), Names{"a.txt"}) << "op " << static_cast<int>(op);

        (void)files.deleteFile(kPlainPath);
        files.writeFile(kSealedPath, sealed);
        files.failNext(op, errc::kAccessDenied);
        errors.clear();
        control.decrypt(kSealedPath, kPlainPath, kPassword);
        ASSERT_EQ(errors.size(), 1u) << "op " << static_cast<int>(op);
        EXPECT_EQ(files.readFile(kSealedPath), sealed);
        EXPECT_EQ(names(), Names{"a.txt.ob7"}) << "op " << static_cast<int>(op);
    }
    // A source that cannot be removed stays beside its complete result.
    files.failNext(Op::Delete, errc::kAccessDenied);
    errors.clear();
    control.decrypt(kSealedPath, kPlainPath, kPassword);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(files.readFile(kPlainPath), plain);
    EXPECT_EQ(files.readFile(kSealedPath), sealed);

    // Details that cannot be read keep the source; details that cannot be put back keep the .ob7 too.
    (void)files.deleteFile(kSealedPath);
    files.failNext(Op::ReadDetails, errc::kAccessDenied);
    errors.clear();
    control.encrypt(kPlainPath, kSealedPath, kPassword);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].text.find(kPlainPath), std::string::npos) << errors[0].text;
    EXPECT_EQ(names(), Names{"a.txt"});
    (void)files.deleteFile(kPlainPath);
    files.writeFile(kSealedPath, sealed);
    files.failNext(Op::WriteDetails, errc::kAccessDenied);
    errors.clear();
    control.decrypt(kSealedPath, kPlainPath, kPassword);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, static_cast<int32_t>(errc::kAccessDenied));
    EXPECT_NE(errors[0].text.find(kPlainPath), std::string::npos) << errors[0].text;
    EXPECT_EQ(files.readFile(kSealedPath), sealed);
    EXPECT_EQ(files.readFile(kPlainPath), plain);
}

// A cipher whose output goes bad on the way to the disk, as failing memory would spoil it: what it seals, or, asked
// so, what it opens.
class SpoilingCrypto final : public ICrypto {
public:
    explicit SpoilingCrypto(ICrypto& real, bool spoilOpened = false) : m_real(real), m_spoilOpened(spoilOpened) {}
    Result<std::vector<uint8_t>> randomBytes(size_t count) override { return m_real.randomBytes(count); }
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                              uint32_t iterations, size_t length) override {
        return m_real.pbkdf2Sha256(password, salt, iterations, length);
    }
    Status aes256GcmSeal(const GcmSealArgs& args) override {
        Status sealed = m_real.aes256GcmSeal(args);
        if (!m_spoilOpened && ++m_seals == 3) args.tag[0] ^= 1;
        return sealed;
    }
    Status aes256GcmOpen(const GcmOpenArgs& args) override {
        Status opened = m_real.aes256GcmOpen(args);
        if (m_spoilOpened && ++m_opens == 3 && !args.plain.empty()) args.plain[0] ^= 1;
        return opened;
    }

private:
    ICrypto& m_real;
    bool m_spoilOpened;
    int m_seals = 0;
    int m_opens = 0;
};

TEST_F(EncryptionSafety, CopyThatDoesNotReadBackIsDroppedAndTheSourceKept) {
    SpoilingCrypto spoiling(crypto);
    EncryptionControl control(spoiling, files, ui, {.iterations = 1000, .chunkSize = 16, .eventInterval = {}});
    control.onError([this](int32_t number, const std::string& text) { errors.push_back({number, text}); });
    files.writeFile(kPlainPath, patterned(100));
    control.selector(4);
    control.setRunFlag(true);
    control.encrypt(kPlainPath, kSealedPath, kPassword);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, encryptionerror::kVerifyFailed);
    EXPECT_EQ(files.readFile(kPlainPath), patterned(100));
    EXPECT_EQ(names(), Names{"a.txt"});

    // Decryption proves as well: a plain copy that does not match the .ob7 is dropped, and the .ob7 is kept.
    startRun();
    this->control.encrypt(kPlainPath, kSealedPath, kPassword);
    const std::string sealed = files.readFile(kSealedPath).value_or("");
    SpoilingCrypto spoilingOpens(crypto, true);
    EncryptionControl opener(spoilingOpens, files, ui, {.iterations = 1000, .chunkSize = 16, .eventInterval = {}});
    opener.onError([this](int32_t number, const std::string& text) { errors.push_back({number, text}); });
    opener.selector(4);
    opener.setRunFlag(true);
    opener.decrypt(kSealedPath, kPlainPath, kPassword);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].number, encryptionerror::kVerifyFailed);
    EXPECT_EQ(files.readFile(kSealedPath), sealed);
    EXPECT_EQ(names(), Names{"a.txt.ob7"});
}

TEST_F(EncryptionSafety, AbortWhileWritingOrProvingStopsTheRunAndKeepsTheSource) {
    const std::string plain = patterned(1000);  // 63 chunks: written in 63 turns, proved in 63 more
    for (int abortAt : {1, 30, 70, 125}) {
        files.writeFile(kPlainPath, plain);
        files.writeFile("C:\\Data\\b.txt", "next file of the run");
        errors.clear();
        startRun();
        ui.turns = 0;
        ui.onTurn = [&](int turn) {
            if (turn == abortAt) control.abort();
        };
        control.encrypt(kPlainPath, kSealedPath, kPassword);
        control.encrypt("C:\\Data\\b.txt", "C:\\Data\\b.txt.ob7", kPassword);
        ui.onTurn = nullptr;
        ASSERT_EQ(errors.size(), 1u) << "abort at " << abortAt;
        EXPECT_EQ(errors[0].number, encryptionerror::kAborted);
        EXPECT_EQ(ui.turns, abortAt) << "the call went on after the abort";
        EXPECT_EQ(files.readFile(kPlainPath), plain);
        EXPECT_EQ(names(), (Names{"a.txt", "b.txt"})) << "abort at " << abortAt;
    }
    // The next run starts afresh.
    errors.clear();
    startRun();
    control.encrypt(kPlainPath, kSealedPath, kPassword);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(names(), (Names{"a.txt.ob7", "b.txt"}));
    EXPECT_GE(ui.turns, 63 * 2);

    // Decryption, stopped half-way, leaves the encrypted file and no plain one. Meanwhile no other program may
    // write or remove the file being read. A run's first call in a folder removes the hidden output a cut-off
    // run of this program left there, and nothing else.
    for (const char* name : {"ob7A1B2.tmp", "ob7notes.tmp", "OB71234.TMP"}) files.writeFile(std::string("C:\\Data\\") + name, "x");
    ASSERT_TRUE(files.setAttributes("C:\\Data\\ob7A1B2.tmp", fileattr::kHidden).ok());
    ASSERT_TRUE(files.setAttributes("C:\\Data\\ob7notes.tmp", fileattr::kHidden).ok());
    startRun();
    ui.turns = 0;
    uint32_t otherWrite = 0, otherDelete = 0;
    ui.onTurn = [&](int turn) {
        if (turn != 30) return;
        otherWrite = files.openForWriting(kSealedPath).status().code();
        otherDelete = files.deleteFile(kSealedPath).code();
        control.abort();
    };
    control.decrypt(kSealedPath, kPlainPath, kPassword);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, encryptionerror::kAborted);
    EXPECT_EQ(otherWrite, errc::kSharingViolation);
    EXPECT_EQ(otherDelete, errc::kSharingViolation);
    EXPECT_EQ(names(), (Names{"OB71234.TMP", "a.txt.ob7", "b.txt", "ob7notes.tmp"}));
}

// A stretch of the password runs beside the window, which keeps taking events; "Abort" pressed meanwhile ends
// the call before anything is written.
TEST_F(EncryptionSafety, TheWindowKeepsTakingEventsWhileThePasswordIsStretched) {
    std::atomic<bool> released{false};
    crypto.beforeStretch = [&] {
        for (int i = 0; i < 500 && !released; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    for (bool abortIt : {false, true}) {
        files.writeFile(kPlainPath, "plain");
        errors.clear();
        released = false;
        ui.turns = 0;
        startRun();
        ui.onTurn = [&](int turn) {
            if (turn != 3) return;
            if (abortIt) control.abort();
            released = true;
        };
        control.encrypt(kPlainPath, kSealedPath, kPassword);
        EXPECT_TRUE(released) << "no event was taken while the password was stretched";
        if (abortIt) {
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0].number, encryptionerror::kAborted);
            EXPECT_EQ(names(), Names{"a.txt"});
        } else {
            EXPECT_TRUE(errors.empty());
            EXPECT_EQ(names(), Names{"a.txt.ob7"});
            (void)files.deleteFile(kSealedPath);
        }
    }
}

// Events run by the clock, not after each of a large file's chunks (each turn is a round trip to the window
// system), yet at least once in every call.
TEST_F(EncryptionSafety, EventsRunByTheClockAndOnceInEveryCall) {
    EncryptionControl timed(crypto, files, ui, {.iterations = 1000, .chunkSize = 16});
    files.writeFile(kPlainPath, patterned(10000));  // 625 chunks, each written and proved
    files.writeFile("C:\\Data\\b.txt", "b");
    timed.setRunFlag(true);
    ui.turns = 0;
    timed.encrypt(kPlainPath, kSealedPath, kPassword);
    EXPECT_GE(ui.turns, 1);
    EXPECT_LT(ui.turns, 100);
    const int afterFirst = ui.turns;
    timed.encrypt("C:\\Data\\b.txt", "C:\\Data\\b.txt.ob7", kPassword);
    EXPECT_GE(ui.turns, afterFirst + 1);
    EXPECT_EQ(names(), (Names{"a.txt.ob7", "b.txt.ob7"}));
}

// The machine's cipher, counting the chunks sealed and opened from whichever thread does it.
class SealCountingCrypto final : public ICrypto {
public:
    explicit SealCountingCrypto(ICrypto& real) : m_real(real) {}
    Result<std::vector<uint8_t>> randomBytes(size_t count) override { return m_real.randomBytes(count); }
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                              uint32_t iterations, size_t length) override {
        return m_real.pbkdf2Sha256(password, salt, iterations, length);
    }
    Status aes256GcmSeal(const GcmSealArgs& args) override {
        ++seals;
        return m_real.aes256GcmSeal(args);
    }
    Status aes256GcmOpen(const GcmOpenArgs& args) override {
        ++opens;
        return m_real.aes256GcmOpen(args);
    }
    std::atomic<int> seals = 0;
    std::atomic<int> opens = 0;

private:
    ICrypto& m_real;
};

// A file larger than one read is sealed, or opened, on a thread of its own while this one reads, writes and lets
// events run: a full disk, an abort or a spoiled chunk in the middle stops that thread with the call, is reported
// as itself, and keeps the source. Its source's removal, on a thread too, is still heard when it is refused.
TEST_F(EncryptionSafety, LargeFileStoppedMidwayStopsItsCipherThreadToo) {
    const std::string plain = patterned(8 << 20);  // 128 chunks of 64 KiB, 8 reads
    SealCountingCrypto counting(crypto);
    SpoilingCrypto spoiling(crypto);
    auto runWith = [&](ICrypto& cipher, int abortTurn, bool decrypting) {
        EncryptionControl large(cipher, files, ui, {.iterations = 1000, .chunkSize = 64 * 1024, .eventInterval = {}});
        large.onError([this](int32_t number, const std::string& text) { errors.push_back({number, text}); });
        ui.onTurn = [&](int turn) {
            if (turn == abortTurn) large.abort();
        };
        if (!decrypting) files.writeFile(kPlainPath, plain);
        errors.clear();
        ui.turns = 0;
        large.selector(4);
        large.setRunFlag(true);
        if (decrypting) {
            large.decrypt(kSealedPath, kPlainPath, kPassword);
        } else {
            large.encrypt(kPlainPath, kSealedPath, kPassword);
        }
        ui.onTurn = nullptr;
    };
    auto encryptWith = [&](ICrypto& cipher, int abortTurn = 40) { runWith(cipher, abortTurn, false); };
    // The disk fills after 2 MiB: the cipher's thread stopped short of the end of the file, and with the call.
    auto stopsWhenTheDiskIsFull = [&](const std::atomic<int>& cipherCalls, bool decrypting) {
        files.failWritesAfter(2 << 20);
        runWith(counting, 0, decrypting);
        files.failWritesAfter(std::nullopt);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].number, static_cast<int32_t>(errc::kDiskFull));
        const int byThen = cipherCalls;
        EXPECT_LT(byThen, 128) << "the cipher ran on to the end of the file";
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(cipherCalls, byThen) << "the cipher went on after the call returned";
    };

    stopsWhenTheDiskIsFull(counting.seals, false);
    EXPECT_EQ(names(), Names{"a.txt"});

    counting.seals = 0;
    encryptWith(counting);  // the abort comes at the 40th turn, while chunks are being written
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, encryptionerror::kAborted);
    EXPECT_EQ(ui.turns, 40);
    EXPECT_LT(counting.seals, 128);
    EXPECT_EQ(names(), Names{"a.txt"});

    encryptWith(spoiling);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, encryptionerror::kVerifyFailed);
    EXPECT_EQ(files.readFile(kPlainPath), plain);
    EXPECT_EQ(names(), Names{"a.txt"});

    // Every chunk written was opened again first, whichever thread did it.
    counting.seals = 0;
    counting.opens = 0;
    files.failNext(sim::SimFileSystem::Op::Delete, errc::kAccessDenied);
    encryptWith(counting, 0);
    EXPECT_GT(counting.seals, 128);
    EXPECT_GE(counting.opens, counting.seals);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, static_cast<int32_t>(errc::kAccessDenied));
    EXPECT_EQ(files.readFile(kPlainPath), plain);
    EXPECT_EQ(names(), (Names{"a.txt", "a.txt.ob7"}));

    // Decryption opens on a thread of its own and seals each chunk again there; it stops as encryption does.
    ASSERT_TRUE(files.deleteFile(kPlainPath).ok());
    const std::string sealed = files.readFile(kSealedPath).value_or("");
    counting.opens = 0;
    stopsWhenTheDiskIsFull(counting.opens, true);
    runWith(counting, 40, true);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, encryptionerror::kAborted);
    SpoilingCrypto spoilingOpens(crypto, true);
    runWith(spoilingOpens, 0, true);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, encryptionerror::kVerifyFailed);
    EXPECT_EQ(files.readFile(kSealedPath), sealed);
    EXPECT_EQ(names(), Names{"a.txt.ob7"});

    counting.seals = 0;
    counting.opens = 0;
    runWith(counting, 0, true);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(counting.opens, counting.seals + 1) << "every chunk opened was sealed again; the header is opened alone";
    EXPECT_EQ(files.readFile(kPlainPath), plain);
    EXPECT_EQ(names(), Names{"a.txt"});
}

TEST_F(EncryptionSafety, ProgressRisesToOneHundredOnceEachStep) {
    files.writeFile(kPlainPath, patterned(1000));
    startRun();
    control.encrypt(kPlainPath, kSealedPath, kPassword);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()), progress.end()) << "a percentage told twice";
    EXPECT_GT(progress.size(), 50u);
}

TEST_F(EncryptionSafety, FolderRunStretchesThePasswordOnceButGivesEveryFileItsOwnId) {
    const int kFiles = 6;
    startRun();
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = "C:\\Data\\f" + std::to_string(i) + ".txt";
        files.writeFile(path, patterned(static_cast<size_t>(i) * 13));
        control.encrypt(path, path + ".ob7", kPassword);
    }
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(crypto.derivations, 1);
    std::set<std::string> salts;
    std::set<std::string> ids;
    for (int i = 0; i < kFiles; ++i) {
        const std::string sealed = files.readFile("C:\\Data\\f" + std::to_string(i) + ".txt.ob7").value_or("");
        ASSERT_GE(sealed.size(), 60u);
        salts.insert(sealed.substr(16, 16));
        ids.insert(sealed.substr(36, 8));
    }
    EXPECT_EQ(salts.size(), 1u);
    EXPECT_EQ(ids.size(), static_cast<size_t>(kFiles));

    // The next run forgets the keys, the backend's kept copy included.
    const int forgetsBefore = crypto.forgets;
    startRun();
    EXPECT_GT(crypto.forgets, forgetsBefore);
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = "C:\\Data\\f" + std::to_string(i) + ".txt";
        control.decrypt(path + ".ob7", path, kPassword);
        EXPECT_EQ(files.readFile(path), patterned(static_cast<size_t>(i) * 13));
    }
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(crypto.derivations, 2);

    // A new run draws a new salt.
    files.writeFile(kPlainPath, "x");
    startRun();
    control.encrypt(kPlainPath, kSealedPath, kPassword);
    EXPECT_EQ(crypto.derivations, 3);
    EXPECT_EQ(salts.count(files.readFile(kSealedPath).value_or("").substr(16, 16)), 0u);
}

// Names are compared without regard to case, whether the run knew them from its first look at the folder or they
// were taken after it.
TEST_F(EncryptionSafety, TakenDestinationIsSkippedAndBothFilesKept) {
    files.writeFile(kPlainPath, "plain");
    files.writeFile("C:\\Data\\A.TXT.OB7", "someone else's file");
    startRun();
    control.encrypt(kPlainPath, kSealedPath, kPassword);
    control.decrypt(kSealedPath, kPlainPath, kPassword);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].number, encryptionerror::kDestinationExists);
    EXPECT_EQ(errors[1].number, encryptionerror::kDestinationExists);
    EXPECT_EQ(files.readFile(kPlainPath), "plain");
    EXPECT_EQ(files.readFile(kSealedPath), "someone else's file");
    EXPECT_EQ(names(), (Names{"A.TXT.OB7", "a.txt"}));

    // Taken once the run has looked: by a file in another case, and by a folder.
    errors.clear();
    files.writeFile("C:\\Data\\b.txt", "bee");
    files.writeFile("C:\\Data\\c.txt", "sea");
    files.writeFile("C:\\Data\\B.txt.OB7", "taken meanwhile");
    files.makeFolder("C:\\Data\\c.txt.ob7");
    control.encrypt("C:\\Data\\b.txt", "C:\\Data\\b.txt.ob7", kPassword);
    control.encrypt("C:\\Data\\c.txt", "C:\\Data\\c.txt.ob7", kPassword);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].number, encryptionerror::kDestinationExists);
    EXPECT_EQ(errors[1].number, encryptionerror::kDestinationExists);
    EXPECT_EQ(files.readFile("C:\\Data\\b.txt"), "bee");
    EXPECT_EQ(files.readFile("C:\\Data\\B.txt.OB7"), "taken meanwhile");
    EXPECT_EQ(files.readFile("C:\\Data\\c.txt"), "sea");
    EXPECT_EQ(names(), (Names{"A.TXT.OB7", "B.txt.OB7", "a.txt", "b.txt", "c.txt", "c.txt.ob7"}));

    // A name the run itself freed may be taken again in the same run.
    errors.clear();
    files.writeFile("C:\\Data\\d.txt.ob7", "inner");
    startRun();
    control.encrypt("C:\\Data\\d.txt.ob7", "C:\\Data\\d.txt.ob7.ob7", kPassword);
    control.decrypt("C:\\Data\\d.txt.ob7.ob7", "C:\\Data\\d.txt.ob7", kPassword);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(files.readFile("C:\\Data\\d.txt.ob7"), "inner");
}

// What a file carries besides its bytes comes back with them; read-only is no reason to keep the plain source.
TEST_F(EncryptionSafety, ReadOnlyHiddenFileComesBackWithItsTimesStreamAndRules) {
    files.writeFile(kPlainPath, "plain");
    FileDetails details = knownDetails();
    details.attributes = fileattr::kReadOnly | fileattr::kHidden | fileattr::kNotContentIndexed;
    ASSERT_TRUE(files.writeDetails(kPlainPath, details).ok());
    startRun();
    control.encrypt(kPlainPath, kSealedPath, kPassword);
    EXPECT_EQ(names(), Names{"a.txt.ob7"});
    control.decrypt(kSealedPath, kPlainPath, kPassword);
    EXPECT_TRUE(errors.empty()) << errors[0].text;
    EXPECT_EQ(names(), Names{"a.txt"});
    EXPECT_EQ(files.readFile(kPlainPath), "plain");
    EXPECT_EQ(files.readDetails(kPlainPath).value(), details);
}

// A record sealed under the right key but not as this program writes it is refused, and nothing is made.
TEST_F(EncryptionSafety, DamagedDetailsRecordIsRefusedAndTheOb7Kept) {
    const ob7::Salt salt{};
    const auto derived = crypto.pbkdf2Sha256(kPassword, salt, 1000, ob7::kKeySize);
    ASSERT_TRUE(derived.ok());
    ob7::Key key{};
    std::copy(derived.value().begin(), derived.value().end(), key.begin());
    auto sealedWith = [&](std::vector<uint8_t> prefix) {
        files.writeFile("C:\\Data\\empty", "");
        ob7::Header header{.iterations = 1000, .salt = salt, .chunkSize = 16};
        EXPECT_TRUE(ob7::sealHeader(crypto, key, header).ok());
        const ob7::HeaderBytes headerBytes = ob7::encodeHeader(header);
        files.writeFile(kSealedPath, std::string(headerBytes.begin(), headerBytes.end()));
        auto rest = files.openForReading("C:\\Data\\empty");
        auto out = files.openForWriting(kSealedPath);
        PrefixedFile plain(prefix, *rest.value());
        ob7::Digest written{};
        EXPECT_EQ(ob7::sealFile(crypto, key, header, {plain, *out.value()}, {}, written).outcome, ob7::Outcome::Done);
        EXPECT_TRUE(out.value()->close().ok());
        (void)rest.value()->close();
        (void)files.deleteFile("C:\\Data\\empty");
        return files.readFile(kSealedPath).value_or("");
    };
    std::vector<uint8_t> good = *ob7::encodeDetails(knownDetails());
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);  // the stream ends inside the record
    std::vector<uint8_t> folder = good;
    folder[ob7::kLengthSize] |= fileattr::kDirectory;
    std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0x7F};
    startRun();
    for (const auto& prefix : {cut, folder, huge}) {
        const std::string sealed = sealedWith(prefix);
        errors.clear();
        control.decrypt(kSealedPath, kPlainPath, kPassword);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].number, encryptionerror::kDamaged);
        EXPECT_EQ(files.readFile(kSealedPath), sealed);
        EXPECT_EQ(names(), Names{"a.txt.ob7"});
    }
    sealedWith(good);
    errors.clear();
    control.decrypt(kSealedPath, kPlainPath, kPassword);
    EXPECT_TRUE(errors.empty()) << errors[0].text;
    EXPECT_EQ(files.readFile(kPlainPath), "");
}

TEST_F(EncryptionSafety, EmptyChunkSizedAndNonAsciiFilesComeBackByteForByte) {
    const std::string name =
        "C:\\Data\\Gr\xC3\xBC\xC3\x9F"
        "e \xF0\x9F\x94\x92.txt";
    for (size_t size : {0u, 1u, 15u, 16u, 17u, 32u, 4099u}) {
        const std::string plain = patterned(size);
        files.writeFile(name, plain);
        startRun();
        control.encrypt(name, name + ".ob7", kPassword);
        EXPECT_FALSE(files.exists(name));
        control.decrypt(name + ".ob7", name, kPassword);
        EXPECT_EQ(files.readFile(name), plain) << "size " << size;
        EXPECT_FALSE(files.exists(name + ".ob7"));
    }
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(files.openFileCount(), 0);
}

// Encrypting a link would delete the link and leave the target's plain text; a second name of a file would keep
// it. Both are refused, each naming the file, and nothing is touched.
TEST_F(EncryptionSafety, LinksAndFilesWithOtherNamesAreRefusedAndLeftAsTheyAre) {
    files.writeFile("C:\\Data\\target.txt", "secret");
    files.makeSymbolicLink("C:\\Data\\link.txt", "C:\\Data\\target.txt");
    files.makeFolder("C:\\Other");
    files.makeHardLink("C:\\Other\\second name.txt", "C:\\Data\\target.txt");
    startRun();
    control.encrypt("C:\\Data\\link.txt", "C:\\Data\\link.txt.ob7", kPassword);
    control.encrypt("C:\\Data\\target.txt", "C:\\Data\\target.txt.ob7", kPassword);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].number, encryptionerror::kLinked);
    EXPECT_NE(errors[0].text.find("C:\\Data\\link.txt"), std::string::npos);
    EXPECT_EQ(errors[1].number, encryptionerror::kLinked);
    EXPECT_NE(errors[1].text.find("hard links"), std::string::npos);
    EXPECT_EQ(names(), (Names{"link.txt", "target.txt"}));
    EXPECT_EQ(files.readFile("C:\\Other\\second name.txt"), "secret");
}

}  // namespace
