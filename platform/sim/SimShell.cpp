#include "platform/sim/SimShell.h"

#include <algorithm>

#include "platform/sim/SimDesktop.h"

namespace sim {

intptr_t SimShell::shellExecute(const ShellExecuteArgs& args) {
    m_executed.push_back(args);
    return m_executeResult;
}

MessageBoxAnswer SimShell::messageBox(const MessageBoxArgs& args) {
    m_boxes.push_back(args);
    if (m_boxLook) m_boxLook(args);
    if (m_answers.empty()) return MessageBoxAnswer::Ok;
    const MessageBoxAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

// As NIM_ADD: an icon that is already there is not added twice.
bool SimShell::trayAdd(const TrayIconArgs& args) {
    if (trayIcon(args.owner, args.id)) return false;
    m_trayIcons.push_back(args);
    return true;
}

bool SimShell::trayDelete(WindowId owner, uint32_t id) {
    return std::erase_if(m_trayIcons, [&](const TrayIconArgs& icon) { return icon.owner == owner && icon.id == id; }) !=
           0;
}

std::optional<TrayIconArgs> SimShell::trayIcon(WindowId owner, uint32_t id) const {
    auto found = std::find_if(m_trayIcons.begin(), m_trayIcons.end(),
                              [&](const TrayIconArgs& icon) { return icon.owner == owner && icon.id == id; });
    if (found == m_trayIcons.end()) return std::nullopt;
    return *found;
}

bool SimShell::clickTray(WindowId owner, uint32_t id, int mouseMessage) {
    if (!trayIcon(owner, id)) return false;
    SimWindowSink* form = m_desktop.sinkOf(owner);
    if (!form) return false;
    form->trayMouse(mouseMessage);
    return true;
}

}  // namespace sim
