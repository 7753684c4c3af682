#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/IDesktop.h"
#include "platform/Status.h"

struct StartProgramArgs {
    std::string commandLine{};  // program and arguments, quoted as Windows splits them
    ShowCommand show = ShowCommand::ShowNormal;
    // Started through the system's elevation prompt; its output cannot be read, output() gives "".
    bool elevated = false;
};

// A program this one started. Letting go of the object leaves the program running.
class IChildProgram {
public:
    virtual ~IChildProgram() = default;
    // True once the program has ended; waits at most this long for it.
    virtual bool waitForExit(int timeoutMs) = 0;
    // Valid once waitForExit has said the program ended.
    virtual uint32_t exitCode() = 0;
    // What the program wrote to its standard output and error, once it has ended.
    virtual std::string output() = 0;
    virtual void terminate() = 0;
};

// Starts other programs by command line, as a new process.
class IProgramRunner {
public:
    virtual ~IProgramRunner() = default;
    virtual Result<std::unique_ptr<IChildProgram>> start(const StartProgramArgs& args) = 0;
};
