#pragma once
#include <memory>

#include "common/ProgramState.h"
#include "platform/Platform.h"

// The window `frmignore` "Ignore List": edits the stored ignore list and asks the watch to reload.
class IgnoreListForm final {
public:
    IgnoreListForm(Platform& platform, ProgramState& state, ui::Form& configWindow);
    ~IgnoreListForm();
    // Modeless; the configuration window stays disabled while it is open.
    void open();
    ui::Form* form() { return m_form.get(); }

private:
    void create();
    void onLoad();
    void onOk();
    void onDelete();
    void close();
    void saveEntries();

    Platform& m_platform;
    ProgramState& m_state;
    ui::Form& m_configWindow;
    std::unique_ptr<ui::Form> m_form;
    // A form closed from its own handler is kept until that handler has returned.
    std::unique_ptr<ui::Form> m_closed;
    ui::ListBox* List1 = nullptr;
    ui::TextBox* Text1 = nullptr;
};
