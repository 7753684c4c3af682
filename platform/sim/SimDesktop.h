#pragma once
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/IDesktop.h"
#include "platform/sim/SimWindow.h"

namespace sim {

// The top-level windows of every simulated process, in Z order, and the foreground window.
class SimDesktop final : public IDesktop {
public:
    WindowId findWindow(std::optional<std::string_view> className, std::optional<std::string_view> title) override;
    WindowId foregroundWindow() override { return m_foreground; }
    bool isWindow(WindowId window) override { return find(window) != nullptr; }
    std::string windowText(WindowId window) override;
    std::string className(WindowId window) override;
    bool setWindowText(WindowId window, std::string_view text) override;
    bool showWindowAsync(WindowId window, ShowCommand command) override;
    bool isVisible(WindowId window) override;
    bool isMinimized(WindowId window) override;
    bool postClose(WindowId window) override;
    bool removeSystemMenuCommand(WindowId window, uint32_t command) override;
    bool hasSystemMenuCommand(WindowId window, uint32_t command) override;
    bool setTopmost(WindowId window, bool on) override;
    bool isTopmost(WindowId window) override;
    std::vector<WindowId> topLevelWindows() override;
    uint32_t windowStyle(WindowId window) override;
    uint32_t processId(WindowId window) override;
    std::string programFile(WindowId window) override;

    // Test helpers: windows of other programs, made as a user or that program would.
    // A visible new window comes to the front and takes the foreground: the user started its program.
    // `program` names the process it belongs to, for windows of one program; 0 gives it a program of its own.
    WindowId createWindow(std::string title, std::string className, bool visible = true, uint32_t program = 0);
    // As createWindow, with these style bits; kWsVisible in them makes it visible.
    WindowId createStyledWindow(std::string title, std::string className, uint32_t style);
    // The user clicks the window: it comes forward with the foreground, and its program has the user's last
    // input. A form behind it hears of its activation at the next processEvents.
    void setForeground(WindowId window);
    void destroyWindow(WindowId window);
    std::vector<SimWindow> windows() const;  // front first
    std::optional<SimWindow> window(WindowId window) const;
    int closeMessagesPosted(WindowId window) const;

    // The foreground lock. The user's input (a click, a key, a tray click, starting it) gives a process the
    // right to take the foreground; the next input elsewhere takes it away again.
    void userInput(ProcessId process);
    // As AllowSetForegroundWindow from the foreground process: this one may take it too, until the next input.
    void allowForeground(ProcessId process);
    // It owns the foreground window, has the right, or nothing is in the foreground.
    bool mayTakeForeground(ProcessId process) const;
    // Times the window's taskbar button flashed because it was shown without the right to the foreground.
    int flashes(WindowId window) const;
    // The program file the process runs, by the number processId reports; a foreign program has none until set.
    void setProgramFile(uint32_t process, std::string path);

    // The window's program stops answering its messages (every window of a simulated process, or the one
    // foreign window). A synchronous call (setTopmost) would wait for good: it fails here, changes nothing and is
    // counted instead. setWindowText gives up as its time limit runs out and fails, uncounted. Posted calls
    // (showWindowAsync, postClose) succeed and wait in the program's queue: they take effect once it answers.
    void setHung(WindowId window, bool hung);
    int blockedCalls(WindowId window) const;

    // For the simulated forms.
    WindowId addWindow(SimWindow window, SimWindowSink* sink);
    void setVisibleState(WindowId window, bool visible);
    void setMinimizedState(WindowId window, bool minimized, bool maximized);
    void setStyleState(WindowId window, uint32_t style);  // without kWsVisible, which follows the visible state
    void bringForward(WindowId window);
    // Front and foreground without telling the form: it raises its own activation. Without the foreground
    // right it flashes and false is returned; a window that was hidden until now comes up just behind the
    // foreground window, one already shown keeps its place.
    bool takeForeground(WindowId window, bool justShown = true);
    void removeProcessWindows(ProcessId process);
    SimWindowSink* sinkOf(WindowId window) const;

private:
    struct Entry {
        SimWindow window;
        SimWindowSink* sink = nullptr;
    };
    struct Posted {
        uint64_t window = 0;
        std::function<void()> deliver;
    };
    Entry* find(WindowId window);
    const Entry* find(WindowId window) const;
    void passForegroundFrom(WindowId window);
    void activate(Entry& entry);
    bool isHung(const Entry& entry) const;
    bool blocked(const Entry& entry);
    void showBehindForeground(WindowId window);
    bool queuedWhileHung(const Entry& entry, std::function<void()> deliver);
    void deliverClose(WindowId window);

    std::vector<Entry> m_windows;  // front first
    WindowId m_foreground;
    uint64_t m_nextId = 0x10000;
    uint32_t m_nextProgram = 0x7000;
    std::map<uint64_t, int> m_closesPosted;
    std::set<ProcessId> m_foregroundRight;
    std::map<uint32_t, std::string> m_programFiles;  // by process number
    std::map<uint64_t, int> m_flashes;
    std::set<ProcessId> m_hungProcesses;
    std::set<uint64_t> m_hungWindows;
    std::map<uint64_t, int> m_blockedCalls;
    std::vector<Posted> m_postedToHung;  // in the order they were posted
};

}  // namespace sim
