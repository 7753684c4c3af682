// The simulated file system keeps a file's details where Windows keeps them, and drops them where Windows does.
#include <gtest/gtest.h>

#include "platform/sim/SimFileSystem.h"

namespace {

constexpr uint64_t k2011 = 129500000000000000ULL;

// The creation time and the streams belong to the file, not to its name or its bytes.
TEST(SimFileDetails, ARenamedOrRewrittenFileKeepsItsDetailsAndANewOneUnderItsNameHasNone) {
    sim::SimFileSystem files;
    files.writeFile("C:\\Data\\a.txt", "a");
    FileDetails put;
    put.created = put.lastAccess = put.lastWrite = k2011;
    put.streams.push_back({"Zone.Identifier", {'3'}});
    ASSERT_TRUE(files.writeDetails("C:\\Data\\a.txt", put).ok());
    ASSERT_TRUE(files.rename("C:\\Data\\a.txt", "C:\\Data\\b.txt").ok());
    ASSERT_TRUE(files.createFolder("C:\\Data\\Sub").ok());
    ASSERT_TRUE(files.rename("C:\\Data\\b.txt", "C:\\Data\\Sub\\b.txt").ok());
    ASSERT_TRUE(files.rename("C:\\Data\\Sub", "C:\\Data\\Sub.{lock}").ok());
    {
        auto out = files.openForWriting("C:\\Data\\Sub.{lock}\\b.txt");
        ASSERT_TRUE(out.ok());
        ASSERT_TRUE(out.value()->write(std::vector<uint8_t>{'b'}).ok());
        ASSERT_TRUE(out.value()->close().ok());
    }
    Result<FileDetails> moved = files.readDetails("C:\\Data\\Sub.{lock}\\b.txt");
    ASSERT_TRUE(moved.ok());
    EXPECT_EQ(moved.value().created, k2011);
    EXPECT_EQ(moved.value().lastAccess, k2011);
    EXPECT_GT(moved.value().lastWrite, k2011);  // the write moved it
    EXPECT_EQ(moved.value().streams, put.streams);

    ASSERT_TRUE(files.deleteFile("C:\\Data\\Sub.{lock}\\b.txt").ok());
    files.writeFile("C:\\Data\\Sub.{lock}\\b.txt", "new");
    Result<FileDetails> fresh = files.readDetails("C:\\Data\\Sub.{lock}\\b.txt");
    ASSERT_TRUE(fresh.ok());
    EXPECT_GT(fresh.value().created, k2011);
    EXPECT_TRUE(fresh.value().streams.empty());
}

// Why the details go on in their order: a stream written moves the last write time, and a read-only file takes
// no stream.
TEST(SimFileDetails, AStreamMovesTheLastWriteTimeAndAReadOnlyFileTakesNone) {
    sim::SimFileSystem files;
    files.writeFile("C:\\Data\\a.txt", "a");
    FileDetails times;
    times.lastWrite = k2011;
    ASSERT_TRUE(files.writeDetails("C:\\Data\\a.txt", times).ok());
    FileDetails stream;
    stream.streams.push_back({"s", {1}});
    stream.attributes = fileattr::kReadOnly;
    ASSERT_TRUE(files.writeDetails("C:\\Data\\a.txt", stream).ok());
    EXPECT_GT(files.stamp("C:\\Data\\a.txt").value().lastWrite, k2011);
    EXPECT_EQ(files.writeDetails("C:\\Data\\a.txt", stream).code(), errc::kAccessDenied);

    files.writeFile("C:\\Data\\big.bin", "");
    FileDetails big;
    big.streams.push_back({"a", std::vector<uint8_t>(kMaxStreamBytes)});
    big.streams.push_back({"b", std::vector<uint8_t>(1)});
    ASSERT_TRUE(files.writeDetails("C:\\Data\\big.bin", big).ok());
    EXPECT_EQ(files.readDetails("C:\\Data\\big.bin").status().code(), errc::kFileTooLarge);
}

}  // namespace
