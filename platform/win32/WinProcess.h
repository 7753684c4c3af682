#pragma once
#include <optional>

#include "platform/IProcess.h"
#include "platform/win32/UniqueHandle.h"

// This process: its program file, the file's version resource, the instance token and the exit.
class WinProcess final : public IProcess {
public:
    std::string programFilePath() override;
    FileVersion fileVersion(const std::string& path) override;
    bool isEarlierInstanceRunning() override;
    std::string userSid() override;
    bool ownsWindow(WindowId window) override;
    [[noreturn]] void exitProcess(int code) override;

private:
    UniqueKernelHandle m_instanceMutex;
    std::optional<bool> m_earlierInstance;
};
