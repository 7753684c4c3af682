#include "platform/sim/SimProcess.h"

#include "platform/sim/ProcessExited.h"
#include "platform/sim/SimWorld.h"

namespace sim {

// The desktop tells other processes which program file this one runs, as Windows does.
SimProcess::SimProcess(SimWorld& world, ProcessId id) : m_world(world), m_id(id) {
    m_world.desktop.setProgramFile(m_id, m_programFilePath);
}

void SimProcess::setProgramFilePath(std::string path) {
    m_programFilePath = std::move(path);
    m_world.desktop.setProgramFile(m_id, m_programFilePath);
}

FileVersion SimProcess::fileVersion(const std::string&) {
    return m_fileVersion;
}

// Asked once, as the real process keeps its handle on the token; later asks give the first answer.
bool SimProcess::isEarlierInstanceRunning() {
    if (m_instanceAnswer < 0) m_instanceAnswer = m_world.claimInstanceToken(m_programFilePath, m_id) ? 1 : 0;
    return m_instanceAnswer == 1;
}

bool SimProcess::ownsWindow(WindowId window) {
    const auto found = m_world.desktop.window(window);
    return found && found->process == m_id;
}

void SimProcess::exitProcess(int code) {
    m_world.endProcess(m_id, code);
    throw ProcessExited{code};
}

}  // namespace sim
