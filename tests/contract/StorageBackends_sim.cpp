// The storage contracts' backends on the simulated platform.
#include "platform/sim/OpenSslCrypto.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimProgramRunner.h"
#include "platform/sim/SimRegistry.h"
#include "tests/contract/StorageBackends.h"

namespace contract {

namespace {

class SimRegistrySide final : public RegistrySide {
public:
    IRegistry& registry() override { return m_registry; }
    std::string scratchKey() override { return "Software\\OBPTest\\contract"; }
    // The simulation refuses the whole of LocalMachine at once, as a standard user's token does.
    bool refuseMachineWideWrites(std::string_view) override {
        m_registry.setMachineWideWritesDenied(true);
        return true;
    }

private:
    sim::SimRegistry m_registry;
};

class SimFilesSide final : public FilesSide {
public:
    SimFilesSide() { m_files.makeFolder(kFolder); }
    IFileSystem& files() override { return m_files; }
    std::string scratchFolder() override { return kFolder; }
    void plantFile(std::string_view path, std::string_view bytes) override { m_files.writeFile(path, bytes); }
    std::optional<std::string> readBack(std::string_view path) override { return m_files.readFile(path); }
    Result<std::unique_ptr<IFile>> openWithFailingClose(std::string_view path) override {
        m_files.failNext(sim::SimFileSystem::Op::Close, errc::kWriteFault);
        return m_files.openForWriting(path);
    }
    bool refusesWritesToReadOnlyFiles() override { return true; }

private:
    static constexpr const char* kFolder = "C:\\Contract";
    sim::SimFileSystem m_files;
};

class SimProgramsSide final : public ProgramsSide {
public:
    IProgramRunner& runner() override { return m_runner; }
    std::string programThatDoes(const ProgramPlan& plan) override {
        m_runner.scriptNext({.exitCode = plan.exitCode, .output = plan.toOutput + "\r\n" + plan.toErrors + "\r\n"});
        return "cmd.exe /c \"echo " + plan.toOutput + " & echo " + plan.toErrors + " 1>&2 & exit " +
               std::to_string(plan.exitCode) + "\"";
    }
    std::string programThatRunsOn() override {
        m_runner.scriptNext({.hangs = true});
        return "ping.exe -n 60 127.0.0.1";
    }
    std::string missingProgram() override {
        m_runner.failNextStart(errc::kFileNotFound);
        return "obelon-no-such-program.exe";
    }

private:
    sim::SimProgramRunner m_runner;
};

}  // namespace

std::unique_ptr<RegistrySide> makeRegistrySide() {
    return std::make_unique<SimRegistrySide>();
}
std::unique_ptr<FilesSide> makeFilesSide() {
    return std::make_unique<SimFilesSide>();
}
std::unique_ptr<ICrypto> makeCrypto() {
    return std::make_unique<sim::OpenSslCrypto>();
}
std::unique_ptr<ProgramsSide> makeProgramsSide() {
    return std::make_unique<SimProgramsSide>();
}

}  // namespace contract
