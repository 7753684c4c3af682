#include "tests/support/SimMachine.h"

namespace testsupport {

// Later processes go first, as the last one started is usually the first to end.
SimMachine::~SimMachine() {
    while (!m_processes.empty()) m_processes.pop_back();
}

sim::SimInstance& SimMachine::startProcess() {
    m_processes.push_back(std::make_unique<sim::SimInstance>(world));
    // Started by the user, so its first window may come to the front.
    world.desktop.allowForeground(m_processes.back()->id());
    return *m_processes.back();
}

}  // namespace testsupport
