#pragma once
#include <functional>
#include <optional>

#include "platform/win32/MessageHook.h"
#include "platform/win32/WinControl.h"

// What both list kinds share: selection by text and the key and mouse presses, caught by subclassing.
class WinListControl : public WinControl<ui::ListBox> {
public:
    WinListControl(WinForm& form, const ui::ControlSpec& spec, HWND hwnd);
    std::string text() const override;
    void setText(std::string_view text) override;
    void onKeyDown(std::function<void(int key)> handler) override { m_onKeyDown = std::move(handler); }
    void onMouseDown(std::function<void(ui::MouseButton button)> handler) override {
        m_onMouseDown = std::move(handler);
    }
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    uint64_t revision() const override { return m_revision; }
    void pauseDrawing() override;
    void resumeDrawing() override;
    bool isDrawingPaused() const override { return m_drawingPauses > 0; }

protected:
    void changed() { ++m_revision; }
    void keyDown(int key);
    void picked() { raise(m_onClick); }
    // Whether the window's own WM_KEYDOWN reports keys; the list view reports them as LVN_KEYDOWN instead.
    virtual bool keysFromWindow() const = 0;

private:
    void hooked(UINT message, WPARAM wParam);
    void mouseDown(ui::MouseButton button);
    std::function<void(int)> m_onKeyDown;
    std::function<void(ui::MouseButton)> m_onMouseDown;
    ui::Handler m_onClick;
    uint64_t m_revision = 0;
    int m_drawingPauses = 0;
    MessageHook m_hook;
};

// A plain LISTBOX, sorted by the system when asked.
class WinListBox final : public WinListControl {
public:
    WinListBox(WinForm& form, const ui::ControlSpec& spec, const ui::ListOptions& options);
    int count() const override;
    std::string item(int index) const override;
    void addItem(std::string_view text) override;
    void removeItem(int index) override;
    void clear() override;
    bool isChecked(int) const override { return false; }
    void setChecked(int, bool) override {}
    int selectedIndex() const override;
    void setSelectedIndex(int index) override;
    void command(WORD notification) override;

protected:
    bool keysFromWindow() const override { return true; }
};

// A one-column report list view with a check box on every entry.
class WinCheckedList final : public WinListControl {
public:
    WinCheckedList(WinForm& form, const ui::ControlSpec& spec, const ui::ListOptions& options);
    int count() const override;
    std::string item(int index) const override;
    void addItem(std::string_view text) override;
    void removeItem(int index) override;
    void clear() override;
    bool isChecked(int index) const override;
    void setChecked(int index, bool on) override;
    int selectedIndex() const override;
    void setSelectedIndex(int index) override;
    bool notify(const NMHDR& header, LRESULT& result) override;

protected:
    bool keysFromWindow() const override { return false; }
};
