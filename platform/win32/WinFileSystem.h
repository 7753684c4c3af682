#pragma once
#include <windows.h>

#include "platform/IFileSystem.h"

// The machine's files through kernel32's wide calls, and the shell's folder picker.
class WinFileSystem final : public IFileSystem {
public:
    Result<uint32_t> attributes(std::string_view path) override;
    Status setAttributes(std::string_view path, uint32_t attributes) override;
    Result<FileStamp> stamp(std::string_view path) override;
    Status rename(std::string_view from, std::string_view to) override;
    Status deleteFile(std::string_view path) override;
    Status createFolder(std::string_view path) override;
    Result<std::vector<FileEntry>> listFiles(std::string_view folder) override;
    Result<std::unique_ptr<IFile>> openForReading(std::string_view path) override;
    Result<std::unique_ptr<IFile>> openForWriting(std::string_view path) override;
    // In WinFileDetails.cpp.
    Result<FileDetails> readDetails(std::string_view path) override;
    Status writeDetails(std::string_view path, const FileDetails& details) override;
    std::string temporaryFolder() override;
    Result<std::string> createTemporaryFile(std::string_view folder) override;
    Result<std::unique_ptr<IFile>> openHeld(std::string_view path) override;
    Result<std::unique_ptr<IFile>> createTemporaryOutput(std::string_view folder) override;
    std::string browseForFolder(const FolderPickerArgs& args) override;
    std::string describeError(uint32_t code) override;
};
