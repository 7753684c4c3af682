#pragma once
#include <cstdint>

#include "platform/IClock.h"
#include "platform/ui/Toolkit.h"

// Lets the window's pending events run during a long loop over list slots, but only every few milliseconds.
class EventPacer final {
public:
    EventPacer(ui::Toolkit& ui, IClock& clock);
    // Once per slot, before its work; true when the events ran.
    bool step();

private:
    ui::Toolkit& m_ui;
    IClock& m_clock;
    int64_t m_lastRun = 0;
    bool m_ran = false;
};
