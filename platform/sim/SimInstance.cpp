#include "platform/sim/SimInstance.h"

#include "platform/sim/ProcessExited.h"
#include "platform/sim/SimWorld.h"

namespace sim {

SimInstance::SimInstance(SimWorld& world)
    : m_world(world),
      m_shell(world.desktop),
      m_process(world, world.newProcessId()),
      m_toolkit(world.desktop, world.clock, m_process.id()),
      m_platform{world.registry, world.desktop, m_shell, m_process, m_toolkit, m_crypto, world.systemClock, m_files,
                 m_programs} {}

// A process object that goes away ends its process, so nothing queued for it runs afterwards.
SimInstance::~SimInstance() {
    m_world.endProcess(id(), 0);
}

bool SimInstance::run(const std::function<void()>& code) {
    if (exited()) return false;
    try {
        code();
    } catch (const ProcessExited&) {
        // exitProcess has already ended the process.
    }
    return !exited();
}

bool SimInstance::exited() const {
    return m_world.hasEnded(id());
}

int SimInstance::exitCode() const {
    return m_world.exitCode(id()).value_or(-1);
}

}  // namespace sim
