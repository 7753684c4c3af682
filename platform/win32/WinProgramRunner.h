#pragma once
#include "platform/IProgramRunner.h"

// Programs started with CreateProcessW; their standard output and error go to a temporary file of their own.
// Elevated ones start through ShellExecuteExW and the elevation prompt, their output unseen.
class WinProgramRunner final : public IProgramRunner {
public:
    Result<std::unique_ptr<IChildProgram>> start(const StartProgramArgs& args) override;
};
