#pragma once
#include <memory>

#include "platform/IRegistry.h"
#include "platform/ui/Toolkit.h"

// The window `frmOBExt`: switches every shell restriction of the current user on, or all of them back to 0.
// It keeps no state of its own; the registry holds what the last button pressed wrote.
class ShellRestrictionsWindow final {
public:
    // onClosed runs when the user closes the window, which ends the program.
    ShellRestrictionsWindow(ui::Toolkit& ui, IRegistry& registry, ui::Handler onClosed);
    ~ShellRestrictionsWindow();
    ShellRestrictionsWindow(const ShellRestrictionsWindow&) = delete;
    ShellRestrictionsWindow& operator=(const ShellRestrictionsWindow&) = delete;

    void show();
    ui::Form& form() { return *m_form; }

private:
    enum class Setting { Enable, Remove };
    void writeRestrictions(Setting setting);
    void onClose();

    IRegistry& m_registry;
    ui::Handler m_onClosed;
    std::unique_ptr<ui::Form> m_form;
    ui::Label& Label1;
    ui::OptionButton& Option1;
    ui::Button& cmdEnable;
    ui::Button& cmdRemove;
};
