#pragma once
// One side's storage backends for the platform contracts: the simulation natively, the real system under Wine.
// Each case gets fresh ones and a place of its own; what a case cannot plant through the interface, the side
// plants its own way.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ICrypto.h"
#include "platform/IFileSystem.h"
#include "platform/IProgramRunner.h"
#include "platform/IRegistry.h"

namespace contract {

class RegistrySide {
public:
    virtual ~RegistrySide() = default;
    virtual IRegistry& registry() = 0;
    // A key of this case alone, under both roots ("Software\OBPTest\..."); it is gone when the side goes.
    virtual std::string scratchKey() = 0;
    // From now on writes under LocalMachine\path are refused as for a standard user; false if this side cannot.
    virtual bool refuseMachineWideWrites(std::string_view path) = 0;
};

class FilesSide {
public:
    virtual ~FilesSide() = default;
    virtual IFileSystem& files() = 0;
    // An empty folder of this case alone, as a full Windows path without a trailing backslash.
    virtual std::string scratchFolder() = 0;
    // Made (or replaced) outside the interface, as another program would.
    virtual void plantFile(std::string_view path, std::string_view bytes) = 0;
    virtual std::optional<std::string> readBack(std::string_view path) = 0;
    // An existing file opened for writing whose close() will fail, as a late write error does.
    virtual Result<std::unique_ptr<IFile>> openWithFailingClose(std::string_view path) = 0;
    // False where the system lets a read-only file be written after all.
    virtual bool refusesWritesToReadOnlyFiles() = 0;
};

// What a started program does before it ends on its own.
struct ProgramPlan {
    std::string toOutput;
    std::string toErrors;
    uint32_t exitCode = 0;
};

class ProgramsSide {
public:
    virtual ~ProgramsSide() = default;
    virtual IProgramRunner& runner() = 0;
    // Command lines of programs that do as planned, run until stopped, or are not on the machine.
    virtual std::string programThatDoes(const ProgramPlan& plan) = 0;
    virtual std::string programThatRunsOn() = 0;
    virtual std::string missingProgram() = 0;
};

std::unique_ptr<RegistrySide> makeRegistrySide();
std::unique_ptr<FilesSide> makeFilesSide();
std::unique_ptr<ICrypto> makeCrypto();
std::unique_ptr<ProgramsSide> makeProgramsSide();

}  // namespace contract
