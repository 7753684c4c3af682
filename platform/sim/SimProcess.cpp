#include "platform/sim/SimProcess.h"

#include "platform/sim/ProcessExited.h"
#include "platform/sim/SimWorld.h"

namespace sim {

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
