// The ".ob7" file on disk: the bytes one small file becomes, and that no change to them goes unnoticed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

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

TEST_F(Ob7File, SmallFileIsWrittenAsTheIndependentlyComputedBytes) {
    ScriptedRandom scripted(crypto);
    scripted.next(counting(0x00, 16));  // the run's salt
    scripted.next(counting(0xA0, 8));   // the file's id
    EncryptionControl fixed(scripted, files, ui, {.iterations = kIterations, .chunkSize = kChunkSize});
    fixed.onError([this](int32_t number, const std::string& text) { errors.push_back({number, text}); });
    files.writeFile(kSource, kPlain);
    fixed.selector(4);
    fixed.setRunFlag(true);
    fixed.encrypt(kSource, kSealed, std::string(kPassword));

    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(files.readFile(kSealed), fromHex(kSealedHex));
    EXPECT_EQ(names(), std::vector<std::string>{"known.txt.ob7"});

    startRun();
    control.decrypt(kSealed, kSource, std::string(kPassword));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(files.readFile(kSource), std::string(kPlain));
    EXPECT_EQ(names(), std::vector<std::string>{"known.txt"});
}

TEST_F(Ob7File, EveryBitFlipEveryTruncationAndAnAppendedByteAreRefused) {
    const std::string sealed = fromHex(kSealedHex);
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
