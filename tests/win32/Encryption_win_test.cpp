// The encryption control on Windows' CNG and real files (under Wine in CI): the independently computed files, a
// file the Linux build wrote, a wrong password, a file of many chunks back byte for byte with its details, a file
// in a folder deeper than MAX_PATH, and a file with a second name refused.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "folders/EncryptionControl.h"
#include "platform/win32/WinCrypto.h"
#include "platform/win32/WinFileSystem.h"
#include "tests/folders/Ob7Vectors.h"
#include "tests/win32/RemoveTree.h"

namespace {

using namespace ob7test;

class QuietToolkit final : public ui::Toolkit {
public:
    std::unique_ptr<ui::Form> createForm(const ui::FormSpec&) override { return nullptr; }
    void processEvents() override { ++turns; }
    bool waitForEvent() override { return true; }
    void watchForeground(ui::Handler) override {}
    int turns = 0;
};

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeAll(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Past MAX_PATH the test plants and reads with "\\?\" itself, so what it sees does not rest on the backend.
std::wstring extended(const std::string& path) {
    return L"\\\\?\\" + std::filesystem::path(path).wstring();
}

void plantLong(const std::string& path, std::string_view bytes) {
    HANDLE file = ::CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD put = 0;
    EXPECT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr));
    ::CloseHandle(file);
}

std::string readLong(const std::string& path) {
    HANDLE file =
        ::CreateFileW(extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(not there: " + std::to_string(::GetLastError()) + ")";
    std::string bytes(4096, '\0');
    DWORD got = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

class EncryptionUnderCng : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder =
            std::filesystem::temp_directory_path() / ("ob7-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { wintest::removeTree(extended(folder())); }
    std::filesystem::path at(const char* name) const { return m_folder / name; }
    std::string path(const char* name) const { return at(name).string(); }
    std::string folder() const { return m_folder.string(); }
    // Every file in the folder, hidden ones too: a temporary file left behind shows up here.
    std::vector<std::string> names() { return namesIn(folder()); }
    std::vector<std::string> namesIn(const std::string& folder) {
        std::vector<std::string> found;
        Result<std::vector<FileEntry>> listed = files.listFiles(folder);
        if (listed.ok()) {
            for (const FileEntry& entry : listed.value()) found.push_back(entry.name);
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    void watch(EncryptionControl& control) {
        control.onError([this](int32_t number, const std::string&) { errors.push_back(number); });
        control.selector(4);
        control.setRunFlag(true);
    }

    WinCrypto crypto;
    WinFileSystem files;
    QuietToolkit ui;
    std::vector<int32_t> errors;

private:
    std::filesystem::path m_folder;
};

// Both versions of the independently computed file open. The second carries a named stream: a volume without
// streams (Wine's) cannot take it, so the .ob7 stays beside the plain file and the error says why.
TEST_F(EncryptionUnderCng, IndependentlyComputedFilesOfBothVersionsOpen) {
    EncryptionControl control(crypto, files, ui);
    watch(control);
    writeAll(at("v1.txt.ob7"), fromHex(kSealedHex));
    control.decrypt(path("v1.txt.ob7"), path("v1.txt"), std::string(kPassword));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(readAll(at("v1.txt")), std::string(kPlain));

    writeAll(at("v2.txt.ob7"), fromHex(kSealedV2Hex));
    control.decrypt(path("v2.txt.ob7"), path("v2.txt"), std::string(kPassword));
    EXPECT_EQ(readAll(at("v2.txt")), std::string(kPlain));
    Result<FileDetails> details = files.readDetails(path("v2.txt"));
    ASSERT_TRUE(details.ok());
    if (errors.empty()) {
        EXPECT_EQ(details.value().streams, knownDetails().streams);
        EXPECT_EQ(details.value().lastWrite, knownDetails().lastWrite);
        EXPECT_EQ(names(), (std::vector<std::string>{"v1.txt", "v2.txt"}));
    } else {
        EXPECT_EQ(errors, std::vector<int32_t>{ERROR_NOT_SUPPORTED});
        EXPECT_EQ(names(), (std::vector<std::string>{"v1.txt", "v2.txt", "v2.txt.ob7"}));
    }
}

TEST_F(EncryptionUnderCng, FileWrittenByTheLinuxBuildOpensWithItsPasswordOnly) {
    std::string source = OBELON_SOURCE_DIR "/tests/folders/data/WrittenByLinux.ob7";
    std::replace(source.begin(), source.end(), '/', '\\');
    const std::string written = readAll("Z:" + source);
    ASSERT_FALSE(written.empty());
    writeAll(at("cross.txt.ob7"), written);
    EncryptionControl control(crypto, files, ui);
    watch(control);

    control.decrypt(path("cross.txt.ob7"), path("cross.txt"), "cross-buil");
    ASSERT_EQ(errors, std::vector<int32_t>{encryptionerror::kWrongPassword});
    EXPECT_EQ(names(), std::vector<std::string>{"cross.txt.ob7"});

    control.decrypt(path("cross.txt.ob7"), path("cross.txt"), std::string(kCrossPassword));
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(readAll(at("cross.txt")), std::string(kCrossPlain));
    EXPECT_EQ(names(), std::vector<std::string>{"cross.txt"});
}

TEST_F(EncryptionUnderCng, FileOfManyChunksComesBackByteForByteWithNothingLeftBehind) {
    std::string plain(3 * 65536 + 1000, '\0');
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>((i * 31 + i / 65536) & 0xFF);
    writeAll(at("big.bin"), plain);
    // Read-only and hidden, last written in 2011: the times and attributes come back too.
    FileDetails old;
    old.attributes = fileattr::kReadOnly | fileattr::kHidden;
    old.lastAccess = 129400000000000000ULL;
    old.lastWrite = 129500000000000000ULL;
    ASSERT_TRUE(files.writeDetails(path("big.bin"), old).ok());
    EncryptionControl control(crypto, files, ui, {.iterations = 1000, .eventInterval = {}});
    watch(control);
    control.encrypt(path("big.bin"), path("big.bin.ob7"), "s3cret");
    EXPECT_EQ(names(), std::vector<std::string>{"big.bin.ob7"});
    control.decrypt(path("big.bin.ob7"), path("big.bin"), "s3cret");
    EXPECT_TRUE(errors.empty());
    // Before the file is read here, which may move its last access time.
    Result<FileDetails> back = files.readDetails(path("big.bin"));
    EXPECT_EQ(readAll(at("big.bin")), plain);
    EXPECT_EQ(names(), std::vector<std::string>{"big.bin"});
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.value().attributes & (fileattr::kReadOnly | fileattr::kHidden), old.attributes);
    EXPECT_EQ(back.value().lastAccess, old.lastAccess);
    EXPECT_EQ(back.value().lastWrite, old.lastWrite);
    ASSERT_TRUE(files.setAttributes(path("big.bin"), fileattr::kNormal).ok());  // for the clean-up
    EXPECT_GE(ui.turns, 8) << "the window was not let through between chunks";
}

// Folders nested past MAX_PATH, made through the backend and named to it as a person may type them ("/", doubled
// separators, "." and ".."); the file inside goes to .ob7 and back with nothing left beside it, and the folder
// is locked and unlocked.
TEST_F(EncryptionUnderCng, FileInAFolderDeeperThanMaxPathComesBackWhole) {
    std::string clean = folder();
    std::string typed = folder();
    for (int level = 0; clean.size() <= MAX_PATH + 20; ++level) {
        const std::string name = "nested folder number " + std::to_string(level);
        clean += "\\" + name;
        typed += (level % 2 ? "/" : "\\.\\") + name + (level == 3 ? "\\..\\" + name : "");
        ASSERT_TRUE(files.createFolder(level == 1 ? typed + "//" : typed).ok()) << typed;
    }
    const std::string file = typed + "\\deep.txt";
    plantLong(clean + "\\deep.txt", kPlain);
    EncryptionControl control(crypto, files, ui, {.iterations = 1000});
    watch(control);
    control.encrypt(file, file + ".ob7", "s3cret");
    EXPECT_EQ(namesIn(typed), std::vector<std::string>{"deep.txt.ob7"});
    control.decrypt(file + ".ob7", file, "s3cret");
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(readLong(clean + "\\deep.txt"), kPlain);
    EXPECT_EQ(namesIn(typed), std::vector<std::string>{"deep.txt"});
    // Locked and unlocked as the Files/Folders page does it, by renaming the folder.
    ASSERT_TRUE(files.rename(typed, typed + ".{lock}").ok());
    EXPECT_EQ(readLong(clean + ".{lock}\\deep.txt"), kPlain);
    ASSERT_TRUE(files.rename(typed + ".{lock}", typed).ok());
}

// A second name of a file would keep its plain text: the file is refused and both names keep what they held.
// (A symbolic link to a file cannot be shown under Wine 8: CreateSymbolicLinkW makes nothing and answers
// success, and a Unix link to a file looks like the file itself, with no reparse-point bit.)
TEST_F(EncryptionUnderCng, FileWithASecondNameIsRefusedAndBothNamesKeepTheirText) {
    writeAll(at("first.txt"), "shared text");
    ASSERT_TRUE(::CreateHardLinkW(at("second.txt").wstring().c_str(), at("first.txt").wstring().c_str(), nullptr))
        << ::GetLastError();
    EncryptionControl control(crypto, files, ui, {.iterations = 1000});
    watch(control);
    control.encrypt(path("second.txt"), path("second.txt.ob7"), "s3cret");
    EXPECT_EQ(errors, std::vector<int32_t>{encryptionerror::kLinked});
    EXPECT_EQ(readAll(at("first.txt")), "shared text");
    EXPECT_EQ(readAll(at("second.txt")), "shared text");
    EXPECT_EQ(names(), (std::vector<std::string>{"first.txt", "second.txt"}));
}

}  // namespace
