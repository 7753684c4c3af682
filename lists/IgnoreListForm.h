#pragma once
#include <memory>
#include <string>
#include <vector>

#include "common/ConfigChanges.h"
#include "common/ProgramState.h"
#include "platform/Platform.h"

// The window `frmignore` "Ignore List": edits the stored ignore list and asks the watch to reload.
class IgnoreListForm final {
public:
    // OK and Delete store the list: they wait, disabled, while another change of the configuration runs.
    IgnoreListForm(Platform& platform, ProgramState& state, ui::Form& configWindow, ConfigChanges& changes);
    ~IgnoreListForm();
    // Modeless; the configuration window stays disabled while it is open.
    void open();
    ui::Form* form() { return m_form.get(); }

private:
    void create();
    void onLoad();
    void onOk();
    void okSteps(const std::string& text);
    void onDelete();
    void deleteSteps(int selected);
    void enableSaving(bool on);
    void close();
    std::vector<std::string> entriesShown();
    bool save(const std::vector<std::string>& entries, bool keepKey);
    Status saveWithRights(const std::vector<std::string>& entries, bool keepKey);
    void showInConfigWindow(const std::vector<std::string>& entries);
    void tell(const std::string& text);

    Platform& m_platform;
    ProgramState& m_state;
    ui::Form& m_configWindow;
    ConfigChanges& m_changes;
    std::unique_ptr<ui::Form> m_form;
    // A form closed from its own handler is kept until that handler has returned.
    std::unique_ptr<ui::Form> m_closed;
    ui::ListBox* List1 = nullptr;
    ui::TextBox* Text1 = nullptr;
};
