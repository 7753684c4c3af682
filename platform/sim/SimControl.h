#pragma once
#include <string>
#include <string_view>

#include "platform/ui/Controls.h"

namespace sim {

// What a control asks of the form it sits on.
class SimControlHost {
public:
    virtual ~SimControlHost() = default;
    virtual bool isPageSelected(int page) const = 0;
    virtual bool isEnabled() const = 0;
    virtual bool isShown() const = 0;  // the form's own visibility
    virtual bool takesInput() const = 0;  // the form's input gate is open
    // The user clicked or typed here: this process gets the foreground right.
    virtual void userInput() = 0;
    // The options on this page other than `chosen` are cleared.
    virtual void clearOtherOptions(const ui::Control& chosen, int page) = 0;
};

// The parts every simulated control shares: name, text, own visibility and enabled state.
template <class Base>
class SimControl : public Base {
public:
    SimControl(SimControlHost& host, const ui::ControlSpec& spec)
        : m_host(host), m_name(spec.name), m_text(spec.caption), m_toolTip(spec.toolTip), m_page(spec.page) {}

    const std::string& name() const override { return m_name; }
    void setText(std::string_view text) override { m_text = std::string(text); }
    std::string text() const override { return m_text; }
    void setVisible(bool on) override { m_visible = on; }
    // Shown only while its own flag is on and its tab page is the selected one.
    bool isVisible() const override { return m_visible && m_host.isPageSelected(m_page); }
    void setEnabled(bool on) override { m_enabled = on; }
    bool isEnabled() const override { return m_enabled; }
    int page() const { return m_page; }
    const std::string& toolTip() const { return m_toolTip; }
    // What a user can reach: the control and its form both enabled, the form shown and its input gate open.
    bool isUsable() const { return m_enabled && m_host.isEnabled() && m_host.isShown() && m_host.takesInput(); }
    // The user's click or key reaches the control when it is usable, and gives its process the last input.
    bool reachedByUser() {
        if (!isUsable()) return false;
        m_host.userInput();
        return true;
    }

protected:
    // A copy, so a handler that replaces itself does not destroy the code that is running.
    static void raise(const ui::Handler& handler) {
        if (!handler) return;
        const ui::Handler running = handler;
        running();
    }

    SimControlHost& m_host;
    std::string m_name;
    std::string m_text;
    std::string m_toolTip;

private:
    int m_page;
    bool m_visible = true;
    bool m_enabled = true;
};

}  // namespace sim
