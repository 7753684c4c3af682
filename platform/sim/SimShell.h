#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/IShell.h"

namespace sim {

class SimDesktop;

// One process's shell: records what it starts and shows, answers message boxes from a script and
// keeps the process's notification-area icons (an icon outlives its process unless it is deleted).
class SimShell final : public IShell {
public:
    explicit SimShell(SimDesktop& desktop) : m_desktop(desktop) {}

    intptr_t shellExecute(const ShellExecuteArgs& args) override;
    MessageBoxAnswer messageBox(const MessageBoxArgs& args) override;
    bool trayAdd(const TrayIconArgs& args) override;
    bool trayDelete(WindowId owner, uint32_t id) override;

    const std::vector<ShellExecuteArgs>& executed() const { return m_executed; }
    void setExecuteResult(intptr_t result) { m_executeResult = result; }
    const std::vector<MessageBoxArgs>& boxes() const { return m_boxes; }
    // Runs while each box is up, before it is answered: what the machine looks like as the user reads it.
    void whileBoxShown(std::function<void(const MessageBoxArgs&)> look) { m_boxLook = std::move(look); }
    // Answers of the coming boxes, in order; a box with none scripted is answered Ok.
    void answerNext(MessageBoxAnswer answer) { m_answers.push_back(answer); }
    std::optional<TrayIconArgs> trayIcon(WindowId owner, uint32_t id) const;
    int trayIconCount() const { return static_cast<int>(m_trayIcons.size()); }
    // The user's mouse over the icon, delivered at once to the owning form; false when no icon is there.
    bool clickTray(WindowId owner, uint32_t id, int mouseMessage);

private:
    SimDesktop& m_desktop;
    std::vector<ShellExecuteArgs> m_executed;
    intptr_t m_executeResult = 42;
    std::vector<MessageBoxArgs> m_boxes;
    std::deque<MessageBoxAnswer> m_answers;
    std::function<void(const MessageBoxArgs&)> m_boxLook;
    std::vector<TrayIconArgs> m_trayIcons;
};

}  // namespace sim
