#pragma once
#include <string>

#include "platform/WindowId.h"

struct FileVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// This program's own process.
class IProcess {
public:
    virtual ~IProcess() = default;
    virtual std::string programFilePath() = 0;
    virtual FileVersion fileVersion(const std::string& path) = 0;
    // Claims the one-per-session instance token; true when an earlier instance of this program holds it.
    virtual bool isEarlierInstanceRunning() = 0;
    // The security identifier of the account the program runs for, in its text form ("S-1-5-21-...");
    // empty when it cannot be read.
    virtual std::string userSid() = 0;
    // True when the window is one of this process's own.
    virtual bool ownsWindow(WindowId window) = 0;
    // Ends the process at once: nothing after the call runs.
    [[noreturn]] virtual void exitProcess(int code) = 0;
};
