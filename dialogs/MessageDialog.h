#pragma once
#include <memory>

#include "common/ProgramState.h"
#include "platform/ui/Toolkit.h"

// The window `frmError`: shows the shared message text and follows it while open.
class MessageDialog final {
public:
    MessageDialog(ui::Toolkit& ui, ProgramState& state);
    ~MessageDialog();
    // Modeless; created on first use, brought forward when already open.
    void show();
    ui::Form* form() { return m_form.get(); }

private:
    void create();
    void onTick();
    void onOk();

    ui::Toolkit& m_ui;
    ProgramState& m_state;
    std::unique_ptr<ui::Form> m_form;
    // A form closed from its own OK handler is kept until that handler has returned.
    std::unique_ptr<ui::Form> m_closed;
    ui::Label* Label1 = nullptr;
    ui::Timer* Timer1 = nullptr;
};
