// The ".ob7" file on disk: the bytes one small file becomes, and that no change to them goes unnoticed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "folders/Ob7Batches.h"
#include "folders/Ob7Details.h"
#include "folders/Ob7Stream.h"
#include "tests/folders/EncryptionFixture.h"
#include "tests/folders/Ob7Vectors.h"

namespace {

using namespace ob7test;
using Ob7File = EncryptionFixture;

const std::string kSource = "C:\\Data\\known.txt";
const std::string kSealed = "C:\\Data\\known.txt.ob7";

std::string repositoryFile(const std::string& relative) {
    std::ifstream in(std::string(OBELON_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

FileDetails someDetails() {
    FileDetails details;
    details.attributes = fileattr::kReadOnly | fileattr::kHidden | fileattr::kNotContentIndexed;
    details.created = 0x01CC000012345670ULL;
    details.lastAccess = 0x01CC000022345670ULL;
    details.lastWrite = 0x01CC000032345670ULL;
    details.security = {1, 0, 0x04, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 2, 0, 8, 0, 0, 0, 0, 0};
    details.streams.push_back({"Zone.Identifier", {'[', 'Z', ']', 0, 0xFF}});
    details.streams.push_back({"\xC3\xBC", {}});
    return details;
}

std::vector<uint8_t> recordOf(const std::vector<uint8_t>& prefix) {
    return {prefix.begin() + ob7::kLengthSize, prefix.end()};
}

// The record is read from a decrypted stream whose key a hostile writer may hold: no cut, flip or length in it
// may crash the parse or make it allocate what the record does not hold (run under AddressSanitizer).
TEST(Ob7Details, RecordComesBackAsWrittenAndNoCutFlipOrForgedLengthGetsThrough) {
    FileDetails details = someDetails();
    details.attributes |= fileattr::kDirectory | fileattr::kNormal;  // never carried
    const auto prefix = ob7::encodeDetails(details);
    ASSERT_TRUE(prefix);
    const std::vector<uint8_t> record = recordOf(*prefix);
    EXPECT_EQ(ob7::parseDetails(record), someDetails());
    for (size_t length = 0; length < record.size(); ++length) {
        EXPECT_FALSE(ob7::parseDetails(std::span(record).first(length))) << "cut to " << length;
    }
    std::vector<uint8_t> longer = record;
    longer.push_back(0);
    EXPECT_FALSE(ob7::parseDetails(longer));
    for (size_t at = 0; at < record.size(); ++at) {
        std::vector<uint8_t> flipped = record;
        flipped[at] = static_cast<uint8_t>(~flipped[at]);
        (void)ob7::parseDetails(flipped);
    }
    // The first stream's length (after its 2-byte name length and 15-byte name) claims all the room there is.
    const size_t streamLength = 28 + 4 + details.security.size() + 4 + 2 + 15;
    std::vector<uint8_t> forged = record;
    for (size_t i = 0; i < 8; ++i) forged[streamLength + i] = 0xFF;
    EXPECT_FALSE(ob7::parseDetails(forged));
    forged = record;
    forged[streamLength - 15 + 4] = ':';  // "Zone:Identifier" would reach another stream
    EXPECT_FALSE(ob7::parseDetails(forged));
    forged = record;
    forged[1] |= 0x04;  // a reparse point
    EXPECT_FALSE(ob7::parseDetails(forged));

    FileDetails tooMuch;
    tooMuch.streams.push_back({"a", std::vector<uint8_t>(kMaxStreamBytes / 2)});
    tooMuch.streams.push_back({"b", std::vector<uint8_t>(kMaxStreamBytes / 2 + 1)});
    EXPECT_FALSE(ob7::encodeDetails(tooMuch));
    tooMuch.streams = {{"..\\other", {}}};
    EXPECT_FALSE(ob7::encodeDetails(tooMuch));
}

// The plain stream arrives in chunks of any size; the record may end inside one, and its length is bounded
// before any of it is kept.
TEST(Ob7Details, SplitterHandsOnTheFileBytesWhereverTheChunksEnd) {
    const auto prefix = ob7::encodeDetails(someDetails());
    ASSERT_TRUE(prefix);
    std::vector<uint8_t> stream = *prefix;
    const std::string file = "the file's own bytes";
    stream.insert(stream.end(), file.begin(), file.end());
    for (size_t piece = 1; piece <= stream.size(); piece += 5) {
        ob7::DetailsSplitter splitter;
        std::string passed;
        for (size_t at = 0; at < stream.size(); at += piece) {
            auto rest = splitter.take(std::span(stream).subspan(at, std::min(piece, stream.size() - at)));
            ASSERT_TRUE(rest);
            passed.append(rest->begin(), rest->end());
        }
        EXPECT_EQ(passed, file) << "pieces of " << piece;
        EXPECT_TRUE(splitter.complete());
        EXPECT_EQ(splitter.details(), someDetails());
    }
    ob7::DetailsSplitter cut;
    ASSERT_TRUE(cut.take(std::span(stream).first(prefix->size() - 1)));
    EXPECT_FALSE(cut.complete());
    EXPECT_FALSE(cut.details());
    const std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3};
    EXPECT_FALSE(ob7::DetailsSplitter().take(huge));
    const std::vector<uint8_t> tiny = {3, 0, 0, 0, 1, 2, 3};
    EXPECT_FALSE(ob7::DetailsSplitter().take(tiny));
}

// The file's bytes and its details, written as computed outside this program and put back in full; a file of
// the first version, which had no details, still opens.
TEST_F(Ob7File, SmallFileIsWrittenAsTheIndependentlyComputedBytes) {
    ScriptedRandom scripted(crypto);
    scripted.next(counting(0x00, 16));  // the run's salt
    scripted.next(counting(0xA0, 8));   // the file's id
    EncryptionControl fixed(scripted, files, ui, {.iterations = kIterations, .chunkSize = kChunkSize, .eventInterval = {}});
    fixed.onError([this](int32_t number, const std::string& text) { errors.push_back({number, text}); });
    files.writeFile(kSource, kPlain);
    ASSERT_TRUE(files.writeDetails(kSource, knownDetails()).ok());
    fixed.selector(4);
    fixed.setRunFlag(true);
    fixed.encrypt(kSource, kSealed, std::string(kPassword));

    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(files.readFile(kSealed), fromHex(kSealedV2Hex));
    EXPECT_EQ(names(), std::vector<std::string>{"known.txt.ob7"});

    startRun();
    control.decrypt(kSealed, kSource, std::string(kPassword));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(files.readFile(kSource), std::string(kPlain));
    EXPECT_EQ(files.readDetails(kSource).value(), knownDetails());
    EXPECT_EQ(names(), std::vector<std::string>{"known.txt"});

    ASSERT_TRUE(files.deleteFile(kSource).ok());
    files.writeFile(kSealed, fromHex(kSealedHex));
    control.decrypt(kSealed, kSource, std::string(kPassword));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(files.readFile(kSource), std::string(kPlain));
    EXPECT_TRUE(files.readDetails(kSource).value().streams.empty());
}

TEST_F(Ob7File, EveryBitFlipEveryTruncationAndAnAppendedByteAreRefused) {
    const std::string sealed = fromHex(kSealedV2Hex);
    startRun();
    auto refused = [&](const std::string& bytes) {
        files.writeFile(kSealed, bytes);
        const size_t before = errors.size();
        control.decrypt(kSealed, kSource, std::string(kPassword));
        const bool untouched = files.readFile(kSealed) == bytes && names() == std::vector<std::string>{"known.txt.ob7"};
        return errors.size() == before + 1 && untouched;
    };
    for (size_t bit = 0; bit < sealed.size() * 8; ++bit) {
        std::string flipped = sealed;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        EXPECT_TRUE(refused(flipped)) << "bit " << bit;
    }
    for (size_t length = 0; length < sealed.size(); ++length) {
        EXPECT_TRUE(refused(sealed.substr(0, length))) << "cut to " << length;
    }
    EXPECT_TRUE(refused(sealed + '\0'));

    // The same file undamaged opens: the refusals above were the damage, not the file.
    files.writeFile(kSealed, sealed);
    control.decrypt(kSealed, kSource, std::string(kPassword));
    EXPECT_EQ(files.readFile(kSource), std::string(kPlain));
}

// What a proof reads back must be exactly what was handed to the writes: a bit changed, two blocks swapped, the
// file cut or grown each show, in an .ob7 and in a decrypted file alike, in a file read in one piece and in one
// read in batches while a thread of its own digests the batches before.
TEST_F(Ob7File, ReadBackShowsAnyChangeToWhatWasWritten) {
    const auto span = [](const std::string& text) {
        return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    std::vector<uint64_t> steps;
    uint64_t stopAt = 0;
    const auto proof = [&](const ob7::Header& header, const ob7::Digest& written, const std::string& stored,
                           ob7::WrittenAs as) {
        files.writeFile("C:\\Data\\out.bin", stored);
        auto file = files.openForReading("C:\\Data\\out.bin");
        steps.clear();
        const auto step = [&](uint64_t done) {
            steps.push_back(done);
            return done != stopAt;
        };
        return file.ok() ? ob7::proveWritten(header, *file.value(), written, as, step).outcome : ob7::Outcome::ReadFailed;
    };
    const size_t batch = ob7::kBatchBytes;
    for (const auto& [size, chunk] : {std::pair<size_t, uint32_t>{5000, 1024}, {3 * batch + 100, 65536}}) {
        ob7::Header header{.chunkSize = chunk};
        header.fileId[0] = 7;
        std::string bytes(size, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + i / 256);
        ob7::StorageDigest digest(header);
        digest.add(span(bytes).first(1000));  // handed over in pieces that do not fall on blocks
        digest.add(span(bytes).subspan(1000));
        const ob7::Digest written = digest.finish();
        const auto proved = [&](const std::string& stored, ob7::WrittenAs as) {
            return proof(header, written, stored, as) == ob7::Outcome::Done;
        };
        for (const ob7::WrittenAs as : {ob7::WrittenAs::Sealed, ob7::WrittenAs::Plain}) {
            EXPECT_TRUE(proved(bytes, as));
            for (const size_t at : {size_t{0}, size_t{15}, size_t{16}, size / 2, batch - 1, batch, size - 1}) {
                if (at >= size) continue;
                std::string changed = bytes;
                changed[at] = static_cast<char>(changed[at] ^ 0x10);
                EXPECT_FALSE(proved(changed, as)) << size << " bytes, changed at " << at;
            }
            std::string swapped = bytes;
            std::swap_ranges(swapped.begin() + 16, swapped.begin() + 32, swapped.begin() + 48);
            EXPECT_FALSE(proved(swapped, as));
            EXPECT_FALSE(proved(bytes.substr(0, bytes.size() - 1), as));
            EXPECT_FALSE(proved(bytes + '\0', as));
        }
        // A decrypted file comes back a chunk at a time, as it was written, and a step may stop the proof.
        ASSERT_TRUE(proved(bytes, ob7::WrittenAs::Plain));
        const uint64_t chunks = (size + chunk - 1) / chunk;
        ASSERT_EQ(steps.size(), chunks);
        for (uint64_t i = 0; i < chunks; ++i) EXPECT_EQ(steps[i], (i + 1) * chunk);
        stopAt = 2 * uint64_t{chunk};
        EXPECT_EQ(proof(header, written, bytes, ob7::WrittenAs::Plain), ob7::Outcome::Stopped);
        EXPECT_EQ(steps.size(), 2u);
        stopAt = 0;
    }
}

TEST_F(Ob7File, WrongPasswordIsToldBeforeAnyOutputIsMade) {
    files.writeFile(kSealed, fromHex(kSealedHex));
    // Were an output file made before the password is proved, this failure would be what the event reports.
    files.failNext(sim::SimFileSystem::Op::CreateTemporary, errc::kAccessDenied);
    startRun();
    control.decrypt(kSealed, kSource, "passwörd");

    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, encryptionerror::kWrongPassword);
    EXPECT_EQ(errors[0].text, "Wrong password, or the file is damaged: " + kSealed);
    EXPECT_EQ(files.readFile(kSealed), fromHex(kSealedHex));
    EXPECT_EQ(names(), std::vector<std::string>{"known.txt.ob7"});
}

TEST_F(Ob7File, FileWrittenByTheWindowsBuildOpensHere) {
    const std::string written = repositoryFile("tests/folders/data/WrittenByWindows.ob7");
    ASSERT_FALSE(written.empty());
    files.writeFile("C:\\Data\\cross.txt.ob7", written);
    startRun();
    control.decrypt("C:\\Data\\cross.txt.ob7", "C:\\Data\\cross.txt", std::string(kCrossPassword));
    EXPECT_TRUE(errors.empty()) << errors[0].text;
    EXPECT_EQ(files.readFile("C:\\Data\\cross.txt"), std::string(kCrossPlain));
}

}  // namespace
