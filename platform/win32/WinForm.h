#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/ui/Toolkit.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinControl.h"
#include "platform/win32/WinToolkit.h"

class WinButton;
class WinTabStrip;
class WinTimer;

constexpr const wchar_t* kFormClassName = L"ObelonForm";
// The density the forms are designed at: their sizes are pixels at 96 dots per inch.
constexpr UINT kDesignDpi = 96;

// One top-level window of class "ObelonForm" and its controls.
//
// Finding controls from another process: a control's system name is not visible outside this
// process, so a test driver finds buttons, check boxes, labels and frames by their caption, and text
// boxes ("Edit") and lists ("ListBox", "SysListView32") by class and order. The form's children run
// (GetWindow GW_CHILD, then GW_HWNDNEXT) through the controls in the order the logic added them, then
// the frames, then the tab strip: frames and pages lie beneath the controls placed on them.
class WinForm final : public ui::Form {
public:
    WinForm(const FormContext& context, const ui::FormSpec& spec);
    ~WinForm() override;
    static ATOM registerClass(HINSTANCE instance);

    WindowId id() const override;
    const std::string& name() const override { return m_name; }
    void setCaption(std::string_view caption) override;
    std::string caption() const override;
    void show() override;
    void hide() override;
    bool isVisible() const override;
    void setEnabled(bool on) override;
    bool isEnabled() const override;
    void setWindowState(ui::WindowState state) override;
    ui::WindowState windowState() const override;

    void setInputGate(std::function<bool()> open) override { m_inputGate = std::move(open); }
    void setCoversScreen(bool on) override;
    bool coversScreen() const override { return m_coversScreen; }
    bool takesInput() const { return !m_inputGate || m_inputGate(); }
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
    void setDefaultButton(ui::Button& button) override;
    void setCancelButton(ui::Button& button) override;
    ui::Control* findControl(std::string_view name) override;
    ui::Timer* findTimer(std::string_view name) override;

    // For the controls.
    HWND createChild(const ui::ControlSpec& spec, const ChildWindowArgs& args);
    bool isPageSelected(int page) const;
    void showSelectedPage();

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT activated(HWND hwnd, WPARAM wParam);
    void command(WPARAM wParam, LPARAM lParam);
    bool timer(UINT_PTR id);
    LRESULT controlColor(HDC dc, HWND control, bool edit);
    void mouseDown(ui::MouseButton button);
    enum class Layer { Control, Frame, Pages };
    template <class T>
    T& adopt(std::unique_ptr<T> control, Layer layer = Layer::Control);
    void stack(HWND hwnd, Layer layer);
    void addToolTip(HWND control, const std::string& text);
    int scaled(int designPixels) const;
    void dpiChanged(UINT dpi, const RECT& suggested);
    void moveChildren(int dx, int dy);

    FormContext m_context;
    std::string m_name;
    UniqueHFont m_font;  // the form's own typeface, if it names one; outlives the window that uses it
    UniqueHWnd m_hwnd;
    std::vector<std::unique_ptr<WinControlBase>> m_controls;
    std::unordered_map<HWND, WinControlBase*> m_byWindow;
    std::vector<std::unique_ptr<WinTimer>> m_timers;
    WinTabStrip* m_tabStrip = nullptr;
    WinButton* m_defaultButton = nullptr;
    WinButton* m_cancelButton = nullptr;
    HWND m_lastControl = nullptr;
    HWND m_lastFrame = nullptr;
    HWND m_savedFocus = nullptr;
    HWND m_toolTips = nullptr;  // owned by the form's window, which destroys it with itself
    std::optional<ui::WindowState> m_pendingState;
    ui::Handler m_onActivate;
    ui::Handler m_onCloseRequest;
    std::function<void(int)> m_onTrayMouse;
    std::function<void(ui::MouseButton)> m_onMouseDown;
    ui::Handler m_onResize;
    std::function<bool()> m_inputGate;
    bool m_coversScreen = false;
    RECT m_ordinaryFrame = {};  // where the form was before it covered the screen
    LONG_PTR m_ordinaryStyle = 0;  // and its style then
    POINT m_coverOffset = {};      // how far its controls moved to the middle of the screen
    UINT m_dpi = kDesignDpi;  // the density the controls are laid out for now
    int m_nextControlId = 100;  // clear of IDOK and IDCANCEL, which the dialog manager sends on its own
    UINT_PTR m_nextTimerId = 1;
};
