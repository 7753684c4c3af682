#pragma once
#include <cstdint>
#include <set>
#include <string>

#include "platform/IDesktop.h"
#include "platform/WindowId.h"
#include "platform/sim/SimClock.h"

namespace sim {

// One top-level window as the simulated desktop holds it.
struct SimWindow {
    WindowId id;
    std::string title;
    std::string className;
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    bool topmost = false;
    uint32_t style = kWsCaption;  // without kWsVisible, which follows `visible`
    ProcessId process = 0;  // 0: a foreign program created by a test
    uint32_t program = 0;   // the process id Windows reports for a foreign window; each test window its own
    std::set<uint32_t> systemMenu{kScClose};
};

// What the desktop tells the form behind a window when something outside the form acts on it.
class SimWindowSink {
public:
    virtual ~SimWindowSink() = default;
    virtual void closeRequested() = 0;  // a posted WM_CLOSE
    virtual void activatedFromOutside() = 0;
    virtual void trayMouse(int message) = 0;
    virtual void sizeChanged() {}  // minimized, maximized or restored by another program
};

}  // namespace sim
