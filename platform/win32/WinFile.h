#pragma once
#include <windows.h>

#include <future>
#include <string>

#include "platform/IFileSystem.h"
#include "platform/win32/UniqueHandle.h"

// One open file handle.
class WinFile final : public IFile {
public:
    explicit WinFile(UniqueKernelHandle handle) : m_handle(std::move(handle)) {}
    // An opening that knows its path can read its named streams, which are opened by name.
    WinFile(UniqueKernelHandle handle, std::wstring path) : m_handle(std::move(handle)), m_path(std::move(path)) {}
    // Marks or unmarks the file for deletion when its last opening closes (FileDispositionInfo); needs DELETE.
    Status markForDeletion(bool remove);
    Result<size_t> read(std::span<uint8_t> buffer) override;
    Status write(std::span<const uint8_t> bytes) override;
    Status flush() override;
    void startFlush() override;
    Result<uint64_t> size() override;
    Result<uint32_t> linkCount() override;
    // In WinFileDetails.cpp.
    Result<FileDetails> details() override;
    Status rewind() override;
    Status removeWhenClosed() override;
    Status keepAs(std::string_view path) override;
    Status close() override;

private:
    void awaitStartedFlush();

    UniqueKernelHandle m_handle;
    std::wstring m_path;  // as opened; empty if not known
    // A flush started ahead on a thread of its own; it is over before the handle goes (this is destroyed first).
    std::future<void> m_flushing;
};
