#pragma once
#include <functional>

#include "platform/Platform.h"
#include "platform/sim/OpenSslCrypto.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimProgramRunner.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimToolkit.h"

namespace sim {

class SimWorld;

// One simulated process of the program on a SimWorld: its own shell, process and toolkit, and the
// machine's registry and desktop. Destroy the forms made through it before it, and it before the world.
class SimInstance {
public:
    explicit SimInstance(SimWorld& world);
    ~SimInstance();
    SimInstance(const SimInstance&) = delete;
    SimInstance& operator=(const SimInstance&) = delete;

    Platform& platform() { return m_platform; }
    SimShell& shell() { return m_shell; }
    SimProcess& process() { return m_process; }
    SimToolkit& toolkit() { return m_toolkit; }
    SimFileSystem& files() { return m_files; }
    SimProgramRunner& programs() { return m_programs; }
    ProcessId id() const { return m_process.id(); }

    // Runs the code as this process. False when the process has ended, by then or before (nothing runs then).
    bool run(const std::function<void()>& code);
    bool exited() const;
    int exitCode() const;  // -1 while the process runs

private:
    SimWorld& m_world;
    SimShell m_shell;
    SimProcess m_process;
    SimToolkit m_toolkit;
    OpenSslCrypto m_crypto;
    SimFileSystem m_files;
    SimProgramRunner m_programs;
    Platform m_platform;
};

using SimProcessHost = SimInstance;

}  // namespace sim
