#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowId.h"
#include "platform/ui/Controls.h"

namespace ui {

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

struct FormSpec {
    std::string name{};  // the system's name of the form (`frmobelon`)
    std::string caption{};
    int width = 400;   // client area, pixels
    int height = 300;
    std::string fontName{};  // typeface of the form's controls; empty: the system's
};

// A top-level window of this program with its controls. Controls live as long as the form.
class Form {
public:
    virtual ~Form() = default;
    virtual WindowId id() const = 0;
    virtual const std::string& name() const = 0;
    virtual void setCaption(std::string_view caption) = 0;
    virtual std::string caption() const = 0;
    // Modeless; brings the form forward and activates it. Where Windows refuses this program the foreground, the
    // form comes up behind the foreground window and its taskbar button flashes.
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool isVisible() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setWindowState(WindowState state) = 0;
    virtual WindowState windowState() const = 0;

    // While `open` answers false, the user's clicks and keys do not reach the form's controls (a click on the
    // inactive form only activates it). Code still sets and clicks them.
    virtual void setInputGate(std::function<bool()> open) = 0;
    // The form covers the whole screen in front of every other window, without title bar or frame, so the user
    // cannot move, size or minimize it; off makes it an ordinary window again.
    virtual void setCoversScreen(bool on) = 0;
    virtual bool coversScreen() const = 0;

    virtual void onActivate(Handler handler) = 0;
    // Closing from the title bar or by WM_CLOSE runs this instead of the default, which hides the form.
    virtual void onCloseRequest(Handler handler) = 0;
    // Mouse message number (512 move, 514 left button up, ...) of the form's tray icon.
    virtual void onTrayMouse(std::function<void(int message)> handler) = 0;
    // A press on the form's own background, not on a control.
    virtual void onMouseDown(std::function<void(MouseButton button)> handler) = 0;
    // The form was resized, minimized, maximized or restored, by the user or from code.
    virtual void onResize(Handler handler) = 0;

    virtual Button& addButton(const ControlSpec& spec) = 0;
    virtual CheckBox& addCheckBox(const ControlSpec& spec) = 0;
    virtual OptionButton& addOptionButton(const ControlSpec& spec) = 0;
    virtual Label& addLabel(const ControlSpec& spec) = 0;
    virtual Frame& addFrame(const ControlSpec& spec) = 0;
    virtual Image& addImage(const ControlSpec& spec) = 0;
    virtual TextBox& addTextBox(const ControlSpec& spec, const TextBoxOptions& options) = 0;
    virtual ListBox& addListBox(const ControlSpec& spec, const ListOptions& options) = 0;
    virtual ProgressBar& addProgressBar(const ControlSpec& spec) = 0;
    virtual TabStrip& addTabStrip(const ControlSpec& spec, const std::vector<std::string>& pages) = 0;
    virtual Timer& addTimer(const std::string& name, int intervalMs, bool enabled) = 0;
    // The button that Enter presses.
    virtual void setDefaultButton(Button& button) = 0;
    // The button that Esc presses; nothing happens while it is disabled.
    virtual void setCancelButton(Button& button) = 0;

    virtual Control* findControl(std::string_view name) = 0;
    // The control of that name as its kind, for a form's own code that knows the control exists.
    template <class T>
    T& control(std::string_view name) {
        return dynamic_cast<T&>(*findControl(name));
    }
    virtual Timer* findTimer(std::string_view name) = 0;
};

class Toolkit {
public:
    virtual ~Toolkit() = default;
    virtual std::unique_ptr<Form> createForm(const FormSpec& spec) = 0;
    // Runs what is pending now (window messages, due timers) and returns.
    virtual void processEvents() = 0;
    // Waits for the next event and runs it. Once the program has been asked to quit (WM_QUIT) it returns false at
    // once, then and every time after, so every wait ends; the quit still reaches the main loop.
    virtual bool waitForEvent() = 0;
    // Runs `changed` from the event loop soon after the window in front, or its title, changed: within a few
    // hundredths of a second, and at no cost to the event loop while nothing changes. It may run when nothing
    // changed. One handler per program; an empty one ends the watch.
    virtual void watchForeground(Handler changed) = 0;
};

}  // namespace ui
