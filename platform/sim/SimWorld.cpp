#include "platform/sim/SimWorld.h"

#include "platform/sim/SimText.h"

namespace sim {

// Process ids are multiples of four, as on Windows; 0 stays free for foreign windows.
ProcessId SimWorld::newProcessId() {
    const ProcessId id = m_nextProcess;
    m_nextProcess += 4;
    return id;
}

// File paths name the same program whatever their case. Ended processes have left the holders already.
bool SimWorld::claimInstanceToken(const std::string& programPath, ProcessId process) {
    std::set<ProcessId>& holders = m_tokens[foldCase(programPath)];
    bool heldByOther = false;
    for (ProcessId holder : holders) {
        if (holder != process) heldByOther = true;
    }
    holders.insert(process);
    return heldByOther;
}

void SimWorld::endProcess(ProcessId process, int code) {
    if (hasEnded(process)) return;
    clock.endProcess(process, code);
    desktop.removeProcessWindows(process);
    for (auto& [path, holders] : m_tokens) holders.erase(process);
}

}  // namespace sim
