#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/SimControl.h"
#include "platform/sim/SimWindow.h"
#include "platform/ui/Toolkit.h"

namespace sim {

class SimButton;
class SimTabStrip;
class SimTimer;
class SimToolkit;

// A form of a simulated process: a window of class "ObelonForm" on the desktop, created hidden,
// whose title, visibility and state are the window's own. Destroying it takes the window and the
// timers away.
class SimForm final : public ui::Form, public SimWindowSink, public SimControlHost {
public:
    SimForm(SimToolkit& toolkit, const ui::FormSpec& spec);
    ~SimForm() override;
    SimForm(const SimForm&) = delete;
    SimForm& operator=(const SimForm&) = delete;

    WindowId id() const override { return m_id; }
    const std::string& name() const override { return m_name; }
    void setCaption(std::string_view caption) override;
    std::string caption() const override;
    void show() override;
    void hide() override;
    bool isVisible() const override;
    void setEnabled(bool on) override { m_enabled = on; }
    bool isEnabled() const override { return m_enabled; }
    void setWindowState(ui::WindowState state) override;
    ui::WindowState windowState() const override;
    void setInputGate(std::function<bool()> open) override { m_inputGate = std::move(open); }
    void setCoversScreen(bool on) override;
    bool coversScreen() const override { return m_coversScreen; }
    void onActivate(ui::Handler handler) override { m_onActivate = std::move(handler); }
    void onCloseRequest(ui::Handler handler) override { m_onCloseRequest = std::move(handler); }
    void onTrayMouse(std::function<void(int message)> handler) override { m_onTrayMouse = std::move(handler); }
    void onMouseDown(std::function<void(ui::MouseButton button)> handler) override {
        m_onMouseDown = std::move(handler);
    }
    void onResize(ui::Handler handler) override { m_onResize = std::move(handler); }

    ui::Button& addButton(const ui::ControlSpec& spec) override;
    ui::CheckBox& addCheckBox(const ui::ControlSpec& spec) override;
    ui::OptionButton& addOptionButton(const ui::ControlSpec& spec) override;
    ui::Label& addLabel(const ui::ControlSpec& spec) override;
    ui::Frame& addFrame(const ui::ControlSpec& spec) override;
    ui::Image& addImage(const ui::ControlSpec& spec) override;
    ui::TextBox& addTextBox(const ui::ControlSpec& spec, const ui::TextBoxOptions& options) override;
    ui::ListBox& addListBox(const ui::ControlSpec& spec, const ui::ListOptions& options) override;
    ui::ProgressBar& addProgressBar(const ui::ControlSpec& spec) override;
    ui::TabStrip& addTabStrip(const ui::ControlSpec& spec, const std::vector<std::string>& pages) override;
    ui::Timer& addTimer(const std::string& name, int intervalMs, bool enabled) override;
    void setDefaultButton(ui::Button& button) override { m_defaultButton = &button; }
    void setCancelButton(ui::Button& button) override { m_cancelButton = &button; }
    ui::Control* findControl(std::string_view name) override;
    ui::Timer* findTimer(std::string_view name) override;

    // Test helpers, as the user.
    bool isActive() const;  // the foreground window is this form's
    void pressEnter();      // presses the default button
    void pressEscape();     // presses the cancel button
    // A press on the background, which activates the form; false when the form is hidden or disabled.
    bool pressBackground(ui::MouseButton button);
    // The title bar's close button; false (nothing happens) while the system menu lacks Close.
    bool clickClose();
    ui::Button* defaultButton() const { return m_defaultButton; }
    const std::string& fontName() const { return m_fontName; }  // as the form was made
    std::vector<ui::Control*> controls() const;

    // For the toolkit and the desktop.
    void raiseActivate();
    void runCloseRequest();
    void closeRequested() override;
    void activatedFromOutside() override;
    void trayMouse(int message) override;
    void sizeChanged() override;
    bool isPageSelected(int page) const override;
    bool isShown() const override { return isVisible(); }
    bool takesInput() const override { return !m_inputGate || m_inputGate(); }
    void userInput() override;
    void clearOtherOptions(const ui::Control& chosen, int page) override;

private:
    template <class T>
    T& adopt(std::unique_ptr<T> control);

    SimToolkit& m_toolkit;
    std::string m_name;
    std::string m_fontName;
    WindowId m_id;
    bool m_enabled = true;
    bool m_coversScreen = false;
    uint32_t m_ordinaryStyle = 0;  // before it covered the screen
    std::function<bool()> m_inputGate;
    std::vector<std::unique_ptr<ui::Control>> m_controls;
    std::vector<std::unique_ptr<SimTimer>> m_timers;
    SimTabStrip* m_tabStrip = nullptr;
    ui::Button* m_defaultButton = nullptr;
    ui::Button* m_cancelButton = nullptr;
    std::function<void(ui::MouseButton)> m_onMouseDown;
    ui::Handler m_onActivate;
    ui::Handler m_onCloseRequest;
    std::function<void(int)> m_onTrayMouse;
    ui::Handler m_onResize;
};

}  // namespace sim
