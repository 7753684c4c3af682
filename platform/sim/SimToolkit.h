#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/SimClock.h"
#include "platform/ui/Toolkit.h"

namespace sim {

class SimDesktop;
class SimForm;

// The window toolkit of one simulated process. Letting events run (processEvents, waitForEvent)
// runs the due work of every process on the machine, as the other programs run meanwhile.
class SimToolkit final : public ui::Toolkit {
public:
    SimToolkit(SimDesktop& desktop, SimClock& clock, ProcessId process);
    ~SimToolkit() override;

    std::unique_ptr<ui::Form> createForm(const ui::FormSpec& spec) override;
    void processEvents() override;
    bool waitForEvent() override;
    void watchForeground(ui::Handler changed) override;
    // Test helper: WM_QUIT arrives, as when Windows ends the session or another program posts it.
    void postQuit();
    // The main loop ends on it; nothing in the simulation takes it away again.
    bool quitPosted() const { return m_quit; }

    // Test helper: the user brings a shown form to the front through the taskbar (restoring it
    // when minimized); its activation runs at once. False for a hidden form, which has no button.
    bool activate(ui::Form& form);
    SimForm* findForm(std::string_view name) const;  // the first one made of that name still alive
    SimForm* formById(WindowId id) const;
    const std::vector<SimForm*>& forms() const { return m_forms; }  // in order of creation

    SimDesktop& desktop() const { return m_desktop; }
    SimClock& clock() const { return m_clock; }
    ProcessId process() const { return m_process; }
    void addForm(SimForm& form) { m_forms.push_back(&form); }
    void removeForm(SimForm& form);

private:
    SimDesktop& m_desktop;
    SimClock& m_clock;
    ProcessId m_process;
    // The program's foreground watch: a look every few hundredths of a second, as Windows' own backend does it
    // off the event loop, that hands on only a change.
    struct ForegroundWatch {
        SimClock::TimerId timer = 0;
        WindowId window;
        std::string title;
        bool seen = false;
        ui::Handler changed;
    };
    void lookAtForeground();
    std::vector<SimForm*> m_forms;
    bool m_quit = false;
    ForegroundWatch m_foregroundWatch;
};

}  // namespace sim
