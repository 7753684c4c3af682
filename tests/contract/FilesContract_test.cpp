// What the folder locks and the encryption control rely on from IFileSystem and IFile, held against the
// simulation and the real file system alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tests/contract/StorageBackends.h"

namespace {

std::span<const uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

constexpr uint32_t kLooked = fileattr::kReadOnly | fileattr::kHidden | fileattr::kSystem | fileattr::kDirectory;

class FilesContract : public ::testing::Test {
protected:
    std::string at(std::string_view name) const { return m_folder + "\\" + std::string(name); }
    static uint32_t codeOf(const Status& status) { return status.code(); }
    template <class T>
    static uint32_t codeOf(const Result<T>& result) {
        return result.ok() ? 0 : result.status().code();
    }
    // The names directly inside the folder with the attributes the logic looks at, in one order whatever the
    // side lists them in. (Wine shows every file as "archive" whatever was set, Windows shows what was set.)
    std::vector<std::string> listing() {
        auto entries = m_files.listFiles(m_folder);
        EXPECT_TRUE(entries.ok()) << codeOf(entries);
        std::vector<std::string> shown;
        if (entries.ok()) {
            for (const FileEntry& e : entries.value())
                shown.push_back(e.name + " " + std::to_string(e.attributes & kLooked));
        }
        std::sort(shown.begin(), shown.end());
        return shown;
    }

    std::unique_ptr<contract::FilesSide> m_side = contract::makeFilesSide();
    IFileSystem& m_files = m_side->files();
    const std::string m_folder = m_side->scratchFolder();
};

// A lock or a finished encryption never takes the place of something already there, whatever the case.
TEST_F(FilesContract, RenameAndCreateFolderNeverReplaceWhatIsThere) {
    m_side->plantFile(at("a.txt"), "A");
    m_side->plantFile(at("b.txt"), "B");
    EXPECT_EQ(codeOf(m_files.rename(at("a.txt"), at("b.txt"))), errc::kAlreadyExists);
    EXPECT_EQ(codeOf(m_files.rename(at("a.txt"), at("B.TXT"))), errc::kAlreadyExists);
    EXPECT_EQ(m_side->readBack(at("a.txt")), "A");
    EXPECT_EQ(m_side->readBack(at("b.txt")), "B");

    ASSERT_TRUE(m_files.rename(at("a.txt"), at("Ünïcode \xF0\x9F\x98\x80.txt")).ok());
    EXPECT_EQ(m_side->readBack(at("Ünïcode \xF0\x9F\x98\x80.txt")), "A");
    // Windows then spells the name as given, Wine keeps the old spelling; either way it is the same file.
    ASSERT_TRUE(m_files.rename(at("b.txt"), at("B.TXT")).ok());
    EXPECT_EQ(m_side->readBack(at("b.txt")), "B");
    EXPECT_EQ(listing().size(), 2u);
    EXPECT_EQ(codeOf(m_files.rename(at("a.txt"), at("c.txt"))), errc::kFileNotFound);

    ASSERT_TRUE(m_files.createFolder(at("Locked")).ok());
    EXPECT_TRUE(m_files.createFolder(at("LOCKED")).ok());
    m_side->plantFile(at("Locked\\inside.txt"), "kept");
    EXPECT_EQ(codeOf(m_files.rename(at("B.TXT"), at("locked"))), errc::kAlreadyExists);
    EXPECT_EQ(codeOf(m_files.createFolder(at("B.TXT"))), errc::kAlreadyExists);
    EXPECT_EQ(codeOf(m_files.createFolder(at("no\\such"))), errc::kPathNotFound);
    ASSERT_TRUE(m_files.rename(at("Locked"), at("Locked.{lock}")).ok());
    EXPECT_EQ(m_side->readBack(at("locked.{LOCK}\\INSIDE.txt")), "kept");
}

TEST_F(FilesContract, TemporaryFilesAreEmptyHiddenAndEachHasItsOwnName) {
    std::set<std::string> names;
    for (int i = 0; i < 3; ++i) {
        Result<std::string> made = m_files.createTemporaryFile(m_folder);
        ASSERT_TRUE(made.ok()) << codeOf(made);
        EXPECT_TRUE(made.value().starts_with(m_folder + "\\")) << made.value();
        EXPECT_EQ(m_side->readBack(made.value()), "");
        Result<uint32_t> bits = m_files.attributes(made.value());
        ASSERT_TRUE(bits.ok());
        EXPECT_EQ(bits.value() & (fileattr::kHidden | fileattr::kDirectory), fileattr::kHidden);
        names.insert(made.value());
    }
    EXPECT_EQ(names.size(), 3u);
    EXPECT_EQ(listing().size(), 3u);
    EXPECT_EQ(codeOf(m_files.createTemporaryFile(at("missing"))), 267u);  // ERROR_DIRECTORY
}

// A temporary output is gone when closed unless kept, and is kept only under a free name; a held file can be
// neither changed nor opened by others, and goes through its own opening.
TEST_F(FilesContract, TemporaryOutputGoesUnlessKeptAndAHeldFileGoesThroughItsOpening) {
    std::vector<uint8_t> buffer(16);
    {
        auto dropped = m_files.createTemporaryOutput(m_folder);
        ASSERT_TRUE(dropped.ok()) << codeOf(dropped);
        ASSERT_TRUE(dropped.value()->write(bytesOf("secret")).ok());
        dropped.value()->startFlush();  // may still be going when the opening is dropped
        ASSERT_TRUE(dropped.value()->rewind().ok());
        EXPECT_EQ(dropped.value()->read(buffer).value(), 6u);
        ASSERT_EQ(listing().size(), 1u);
        EXPECT_TRUE(listing()[0].starts_with("ob7")) << listing()[0];
        EXPECT_TRUE(listing()[0].ends_with(".tmp " + std::to_string(fileattr::kHidden))) << listing()[0];
    }
    EXPECT_EQ(listing().size(), 0u);  // never closed by the caller, as when the process is ended

    m_side->plantFile(at("taken.txt"), "T");
    auto kept = m_files.createTemporaryOutput(m_folder);
    ASSERT_TRUE(kept.ok()) << codeOf(kept);
    ASSERT_TRUE(kept.value()->write(bytesOf("plain")).ok());
    kept.value()->startFlush();  // the writes, the renames and the close go on beside a flush started ahead
    EXPECT_EQ(codeOf(kept.value()->keepAs(at("Taken.txt"))), errc::kAlreadyExists);
    ASSERT_TRUE(kept.value()->keepAs(at("kept.txt")).ok());
    ASSERT_TRUE(kept.value()->write(bytesOf("!")).ok());  // the opening goes on with its file
    kept.value()->startFlush();
    ASSERT_TRUE(kept.value()->flush().ok());
    kept.value()->startFlush();
    ASSERT_TRUE(kept.value()->close().ok());
    EXPECT_EQ(listing(), (std::vector<std::string>{"kept.txt 0", "taken.txt 0"}));
    EXPECT_EQ(m_side->readBack(at("kept.txt")), "plain!");
    EXPECT_EQ(m_side->readBack(at("taken.txt")), "T");
    EXPECT_EQ(codeOf(m_files.createTemporaryOutput(at("missing"))), errc::kPathNotFound);

    auto held = m_files.openHeld(at("KEPT.txt"));
    ASSERT_TRUE(held.ok()) << codeOf(held);
    EXPECT_EQ(codeOf(m_files.openForWriting(at("kept.txt"))), errc::kSharingViolation);
    EXPECT_EQ(codeOf(m_files.openForReading(at("kept.txt"))), errc::kSharingViolation);
    EXPECT_EQ(codeOf(m_files.deleteFile(at("kept.txt"))), errc::kSharingViolation);
    EXPECT_EQ(codeOf(m_files.rename(at("kept.txt"), at("other.txt"))), errc::kSharingViolation);
    EXPECT_EQ(held.value()->read(buffer).value(), 6u);
    ASSERT_TRUE(held.value()->rewind().ok());
    EXPECT_EQ(held.value()->read(buffer).value(), 6u);
    ASSERT_TRUE(held.value()->removeWhenClosed().ok());
    ASSERT_TRUE(held.value()->close().ok());
    EXPECT_EQ(listing(), (std::vector<std::string>{"taken.txt 0"}));

    // Windows will not delete a read-only file through an opening either.
    ASSERT_TRUE(m_files.setAttributes(at("taken.txt"), fileattr::kReadOnly).ok());
    auto readOnly = m_files.openHeld(at("taken.txt"));
    ASSERT_TRUE(readOnly.ok()) << codeOf(readOnly);
    EXPECT_EQ(codeOf(readOnly.value()->removeWhenClosed()), errc::kAccessDenied);
    ASSERT_TRUE(readOnly.value()->close().ok());
    EXPECT_EQ(m_side->readBack(at("taken.txt")), "T");
    ASSERT_TRUE(m_files.setAttributes(at("taken.txt"), fileattr::kNormal).ok());
}

// Names are found whatever the case of their letters, accented and Cyrillic ones too.
TEST_F(FilesContract, ReadingGivesEveryByteThenZeroAtTheEnd) {
    const std::string ten = "\xC3\x84rger \xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87.bin";  // Ärger Ключ.bin
    m_side->plantFile(at(ten), std::string("0123\0\xFF"
                                           "6789",
                                           10));
    m_side->plantFile(at("empty.bin"), "");
    auto file = m_files.openForReading(at("\xC3\xA4RGER \xD0\xBA\xD0\x9B\xD0\xAE\xD0\xA7.BIN"));  // äRGER кЛЮЧ.BIN
    ASSERT_TRUE(file.ok()) << codeOf(file);
    EXPECT_EQ(file.value()->size().value(), 10u);
    EXPECT_EQ(file.value()->linkCount().value(), 1u);  // a file of its own has one name
    std::vector<uint8_t> buffer(100);
    EXPECT_EQ(file.value()->read(std::span(buffer).first(4)).value(), 4u);
    EXPECT_EQ(file.value()->read(buffer).value(), 6u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0xFF);
    EXPECT_EQ(buffer[5], '9');
    EXPECT_EQ(file.value()->read(buffer).value(), 0u);
    EXPECT_EQ(file.value()->read(buffer).value(), 0u);
    EXPECT_EQ(codeOf(file.value()->write(bytesOf("x"))), errc::kAccessDenied);
    EXPECT_TRUE(file.value()->close().ok());

    auto empty = m_files.openForReading(at("empty.bin"));
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.value()->read(buffer).value(), 0u);
}

// The logic tells "nothing there" (skip or go on) from "a folder on the way is missing" and from a refusal.
TEST_F(FilesContract, MissingItemsAndRefusalsGiveTheirOwnErrors) {
    EXPECT_EQ(codeOf(m_files.openForReading(at("missing.txt"))), errc::kFileNotFound);
    EXPECT_EQ(codeOf(m_files.openForWriting(at("missing.txt"))), errc::kFileNotFound);
    EXPECT_FALSE(m_side->readBack(at("missing.txt")));  // opening for writing made nothing
    EXPECT_EQ(codeOf(m_files.attributes(at("missing.txt"))), errc::kFileNotFound);
    EXPECT_EQ(codeOf(m_files.deleteFile(at("missing.txt"))), errc::kFileNotFound);
    EXPECT_EQ(codeOf(m_files.openForReading(at("no folder\\missing.txt"))), errc::kPathNotFound);
    EXPECT_EQ(codeOf(m_files.attributes(at("no folder\\missing.txt"))), errc::kPathNotFound);
    EXPECT_EQ(codeOf(m_files.listFiles(at("no folder"))), errc::kPathNotFound);

    ASSERT_TRUE(m_files.createFolder(at("sub")).ok());
    EXPECT_EQ(codeOf(m_files.openForReading(at("sub"))), errc::kAccessDenied);
    EXPECT_EQ(codeOf(m_files.deleteFile(at("sub"))), errc::kAccessDenied);
    m_side->plantFile(at("kept.txt"), "kept");
    ASSERT_TRUE(m_files.setAttributes(at("kept.txt"), fileattr::kReadOnly).ok());
    EXPECT_EQ(codeOf(m_files.deleteFile(at("kept.txt"))), errc::kAccessDenied);
    EXPECT_EQ(m_side->readBack(at("kept.txt")), "kept");
}

// A file that was tried once is told from its replacement by its size and last-write time alone.
TEST_F(FilesContract, AStampHoldsTheSizeAndTheLastWriteTimeAsWindowsCountsIt) {
    m_side->plantFile(at("a.reg"), "0123456789");
    auto planted = m_files.stamp(at("a.reg"));
    ASSERT_TRUE(planted.ok()) << codeOf(planted);
    EXPECT_EQ(planted.value().size, 10u);
    // 100-ns steps since 1601: within a day of this machine's clock.
    const int64_t now = 116444736000000000LL + std::chrono::duration_cast<std::chrono::microseconds>(
                                                   std::chrono::system_clock::now().time_since_epoch())
                                                       .count() * 10;
    EXPECT_LT(std::llabs(static_cast<int64_t>(planted.value().lastWrite) - now), 864000000000LL);

    auto out = m_files.openForWriting(at("a.reg"));
    ASSERT_TRUE(out.ok());
    ASSERT_TRUE(out.value()->write(bytesOf("abc")).ok());
    ASSERT_TRUE(out.value()->close().ok());
    auto rewritten = m_files.stamp(at("a.reg"));
    ASSERT_TRUE(rewritten.ok());
    EXPECT_EQ(rewritten.value().size, 3u);
    EXPECT_GE(rewritten.value().lastWrite, planted.value().lastWrite);
    EXPECT_EQ(codeOf(m_files.stamp(at("missing.reg"))), errc::kFileNotFound);
}

TEST_F(FilesContract, AReadOnlyFileIsNotOpenedForWriting) {
    if (!m_side->refusesWritesToReadOnlyFiles()) GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
    m_side->plantFile(at("kept.txt"), "kept");
    ASSERT_TRUE(m_files.setAttributes(at("kept.txt"), fileattr::kReadOnly).ok());
    EXPECT_EQ(codeOf(m_files.openForWriting(at("kept.txt"))), errc::kAccessDenied);
    EXPECT_EQ(m_side->readBack(at("kept.txt")), "kept");
}

TEST_F(FilesContract, AttributesAreKeptAsSetAndListingsHoldOnlyFiles) {
    m_side->plantFile(at("secret.txt"), "s");
    m_side->plantFile(at("plain.txt"), "p");
    ASSERT_TRUE(m_files.createFolder(at("folder")).ok());
    ASSERT_TRUE(m_files.setAttributes(at("secret.txt"), fileattr::kHidden | fileattr::kSystem).ok());
    ASSERT_TRUE(m_files.setAttributes(at("plain.txt"), fileattr::kNormal).ok());
    EXPECT_EQ(m_files.attributes(at("secret.txt")).value() & kLooked, fileattr::kHidden | fileattr::kSystem);
    EXPECT_EQ(m_files.attributes(at("plain.txt")).value() & kLooked, 0u);
    EXPECT_EQ(m_files.attributes(at("folder")).value() & fileattr::kDirectory, fileattr::kDirectory);
    EXPECT_EQ(listing(), (std::vector<std::string>{"plain.txt 0", "secret.txt 6"}));
    EXPECT_EQ(codeOf(m_files.setAttributes(at("missing.txt"), fileattr::kHidden)), errc::kFileNotFound);
}

// An open file cannot be taken away, and one being written cannot be read half-way by anyone.
TEST_F(FilesContract, AnOpenFileKeepsItsNameAndAFileBeingWrittenIsNotShared) {
    m_side->plantFile(at("open.txt"), "data");
    {
        auto reading = m_files.openForReading(at("open.txt"));
        ASSERT_TRUE(reading.ok());
        EXPECT_EQ(codeOf(m_files.deleteFile(at("open.txt"))), errc::kSharingViolation);
        EXPECT_EQ(codeOf(m_files.rename(at("open.txt"), at("moved.txt"))), errc::kSharingViolation);
        EXPECT_EQ(codeOf(m_files.openForWriting(at("open.txt"))), errc::kSharingViolation);
        EXPECT_TRUE(m_files.openForReading(at("open.txt")).ok());
    }
    {
        auto writing = m_files.openForWriting(at("open.txt"));
        ASSERT_TRUE(writing.ok());
        EXPECT_EQ(codeOf(m_files.openForReading(at("open.txt"))), errc::kSharingViolation);
        EXPECT_EQ(codeOf(m_files.openForWriting(at("open.txt"))), errc::kSharingViolation);
    }
    EXPECT_TRUE(m_files.deleteFile(at("open.txt")).ok());
}

// Writers call close() because a failure can show up there first; a closed file refuses everything.
TEST_F(FilesContract, WritingEmptiesTheFileFirstAndCloseReportsALateFailure) {
    m_side->plantFile(at("out.bin"), "0123456789");
    ASSERT_TRUE(m_files.setAttributes(at("out.bin"), fileattr::kHidden).ok());
    auto out = m_files.openForWriting(at("out.bin"));
    ASSERT_TRUE(out.ok()) << codeOf(out);
    EXPECT_EQ(out.value()->size().value(), 0u);
    ASSERT_TRUE(out.value()->write(bytesOf("abc")).ok());
    ASSERT_TRUE(out.value()->flush().ok());
    EXPECT_TRUE(out.value()->close().ok());
    EXPECT_EQ(codeOf(out.value()->close()), errc::kInvalidHandle);
    EXPECT_EQ(codeOf(out.value()->write(bytesOf("x"))), errc::kInvalidHandle);
    EXPECT_EQ(m_side->readBack(at("out.bin")), "abc");

    auto failing = m_side->openWithFailingClose(at("out.bin"));
    ASSERT_TRUE(failing.ok()) << codeOf(failing);
    const Status closed = failing.value()->close();
    EXPECT_FALSE(closed.ok());
    EXPECT_EQ(closed.api(), "CloseHandle");
    EXPECT_EQ(codeOf(failing.value()->close()), errc::kInvalidHandle);
}

// A file's details go onto another file and come back as put there, stay through a rename, and never turn a file
// into a folder. (Wine keeps no creation time of its own and no "not content indexed"; Windows and the simulation
// do, which the encryption scenarios show.)
TEST_F(FilesContract, DetailsPutOnAFileReadBackAndStayThroughARename) {
    m_side->plantFile(at("source.txt"), "s");
    m_side->plantFile(at("copy.txt"), "c");
    m_side->plantFile(at("copy.txt.bak"), "b");  // its name begins with the renamed one's: it keeps its own
    Result<FileDetails> source = m_files.readDetails(at("source.txt"));
    ASSERT_TRUE(source.ok()) << codeOf(source);
    EXPECT_FALSE(source.value().security.empty());
    FileDetails put = source.value();
    // Not read-only here: Wine shows that attribute in the DACL it reads back, Windows keeps the two apart.
    put.attributes = fileattr::kSystem | fileattr::kHidden | fileattr::kDirectory;
    put.lastAccess = 129000000000000000ULL;  // 2009
    put.lastWrite = 129500000000000000ULL;   // 2011
    put.created = 0;                         // left as it is
    ASSERT_TRUE(m_files.writeDetails(at("copy.txt"), put).ok());
    ASSERT_TRUE(m_files.setAttributes(at("copy.txt.bak"), fileattr::kHidden).ok());
    ASSERT_TRUE(m_files.rename(at("copy.txt"), at("moved.txt")).ok());
    EXPECT_EQ(m_files.attributes(at("copy.txt.bak")).value() & kLooked, fileattr::kHidden);

    Result<FileDetails> moved = m_files.readDetails(at("moved.txt"));
    ASSERT_TRUE(moved.ok()) << codeOf(moved);
    EXPECT_EQ(moved.value().attributes & kLooked, fileattr::kSystem | fileattr::kHidden);
    EXPECT_EQ(moved.value().lastAccess, put.lastAccess);
    EXPECT_EQ(moved.value().lastWrite, put.lastWrite);
    EXPECT_EQ(moved.value().security, source.value().security);
    EXPECT_EQ(m_files.stamp(at("moved.txt")).value().lastWrite, put.lastWrite);
    // The same through an opening that holds the file, as encryption reads them (before a read moves the last
    // access time).
    Result<std::unique_ptr<IFile>> held = m_files.openHeld(at("moved.txt"));
    ASSERT_TRUE(held.ok()) << codeOf(held);
    Result<FileDetails> through = held.value()->details();
    ASSERT_TRUE(through.ok()) << codeOf(through);
    EXPECT_EQ(through.value(), moved.value());
    ASSERT_TRUE(held.value()->close().ok());
    EXPECT_EQ(m_side->readBack(at("moved.txt")), "c");
    EXPECT_EQ(codeOf(m_files.readDetails(at("missing.txt"))), errc::kFileNotFound);
    EXPECT_EQ(codeOf(m_files.writeDetails(at("missing.txt"), put)), errc::kFileNotFound);

    put.security = {1, 0, 0, 0};  // too short to be a descriptor
    EXPECT_EQ(codeOf(m_files.writeDetails(at("source.txt"), put)), errc::kInvalidSecurityDescriptor);
}

// A named stream comes back beside the file's own bytes; a volume without streams refuses it and makes nothing
// (under Wine "file:name" would otherwise be a file of that name).
TEST_F(FilesContract, ANamedStreamIsKeptBesideTheFileOrRefusedWhereTheVolumeHasNone) {
    m_side->plantFile(at("download.pdf"), "pdf");
    FileDetails marked;
    marked.streams.push_back({"Zone.Identifier", {'[', 'Z', 'o', 'n', 'e', ']', 0, 0xFF}});
    marked.streams.push_back({"\xC3\xBC", {}});  // ü, empty
    const Status put = m_files.writeDetails(at("download.pdf"), marked);
    if (put.code() == errc::kNotSupported) {
        EXPECT_EQ(listing().size(), 1u);
        GTEST_SKIP() << "this volume has no named streams";
    }
    ASSERT_TRUE(put.ok()) << codeOf(put);
    Result<FileDetails> back = m_files.readDetails(at("download.pdf"));
    ASSERT_TRUE(back.ok()) << codeOf(back);
    EXPECT_EQ(back.value().streams, marked.streams);
    Result<std::unique_ptr<IFile>> held = m_files.openHeld(at("download.pdf"));
    ASSERT_TRUE(held.ok()) << codeOf(held);
    EXPECT_EQ(held.value()->details().value().streams, marked.streams);
    ASSERT_TRUE(held.value()->close().ok());
    EXPECT_EQ(m_side->readBack(at("download.pdf")), "pdf");
    EXPECT_EQ(listing().size(), 1u);
}

// A new file has times of its own.
TEST_F(FilesContract, ANewFileHasFreshTimes) {
    Result<std::string> temporary = m_files.createTemporaryFile(m_folder);
    ASSERT_TRUE(temporary.ok());
    const int64_t now = 116444736000000000LL + std::chrono::duration_cast<std::chrono::microseconds>(
                                                   std::chrono::system_clock::now().time_since_epoch())
                                                       .count() * 10;
    Result<FileDetails> fresh = m_files.readDetails(temporary.value());
    ASSERT_TRUE(fresh.ok()) << codeOf(fresh);
    EXPECT_LT(std::llabs(static_cast<int64_t>(fresh.value().created) - now), 864000000000LL);
    EXPECT_LT(std::llabs(static_cast<int64_t>(fresh.value().lastWrite) - now), 864000000000LL);
    EXPECT_TRUE(fresh.value().streams.empty());
}

}  // namespace
