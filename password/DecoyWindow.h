#pragma once
#include <memory>

#include "platform/ui/Toolkit.h"

// The window `frmDummy` "obelon": stands on the desktop while it is toggled for a lock, and goes by itself once
// the toggle has minimized it.
class DecoyWindow final {
public:
    explicit DecoyWindow(ui::Toolkit& ui);
    ~DecoyWindow();
    DecoyWindow(const DecoyWindow&) = delete;
    DecoyWindow& operator=(const DecoyWindow&) = delete;
    // Modeless; created when it is not open.
    void show();
    void close();
    ui::Form* form() { return m_form.get(); }

private:
    void create();
    void onTick();

    ui::Toolkit& m_ui;
    std::unique_ptr<ui::Form> m_form;
    // A form closed from its own timer is kept until that tick has returned.
    std::unique_ptr<ui::Form> m_closed;
};
