#pragma once
#include "platform/sim/SimControl.h"

namespace sim {

// Text set from code raises the change as typing does, also when it is the text already there; the length
// limit binds typing only, as in an edit control.
class SimTextBox final : public SimControl<ui::TextBox> {
public:
    SimTextBox(SimControlHost& host, const ui::ControlSpec& spec, const ui::TextBoxOptions& options)
        : SimControl(host, spec), m_options(options) {}

    void setText(std::string_view text) override;
    void onChange(ui::Handler handler) override { m_onChange = std::move(handler); }
    void setForeColor(uint32_t color) override { m_foreColor = color; }
    uint32_t foreColor() const { return m_foreColor; }
    const ui::TextBoxOptions& options() const { return m_options; }

    // Test helpers, as the user at the keyboard: nothing reaches a disabled box or form.
    // Appends one character at a time, each a change; a character past the length limit is refused.
    bool type(std::string_view text);
    // Selects everything and deletes it.
    bool erase();
    // What the screen shows: the password character in place of each character.
    std::string shownText() const;

private:
    ui::TextBoxOptions m_options;
    ui::Handler m_onChange;
    uint32_t m_foreColor = 0;
};

}  // namespace sim
