#pragma once
#include <windows.h>

#include <future>

#include "platform/IFileSystem.h"
#include "platform/win32/UniqueHandle.h"

// One open file handle.
class WinFile final : public IFile {
public:
    explicit WinFile(UniqueKernelHandle handle) : m_handle(std::move(handle)) {}
    // Marks or unmarks the file for deletion when its last opening closes (FileDispositionInfo); needs DELETE.
    Status markForDeletion(bool remove);
    Result<size_t> read(std::span<uint8_t> buffer) override;
    Status write(std::span<const uint8_t> bytes) override;
    Status flush() override;
    void startFlush() override;
    Result<uint64_t> size() override;
    Result<uint32_t> linkCount() override;
    Status rewind() override;
    Status removeWhenClosed() override;
    Status keepAs(std::string_view path) override;
    Status close() override;

private:
    void awaitStartedFlush();

    UniqueKernelHandle m_handle;
    // A flush started ahead on a thread of its own; it is over before the handle goes (this is destroyed first).
    std::future<void> m_flushing;
};
