#include "tests/support/SimMachine.h"

namespace testsupport {

// Later processes go first, as the last one started is usually the first to end.
SimMachine::~SimMachine() {
    while (!m_processes.empty()) m_processes.pop_back();
}

sim::SimInstance& SimMachine::startProcess() {
    m_processes.push_back(std::make_unique<sim::SimInstance>(world));
    return *m_processes.back();
}

}  // namespace testsupport
