#pragma once
#include <functional>
#include <vector>

#include "platform/sim/SimControl.h"

namespace sim {

// A list, optionally with a check box per entry and optionally kept sorted (ASCII case ignored,
// as the list control's own sort ignores case). Its text is the selected entry.
class SimListBox final : public SimControl<ui::ListBox> {
public:
    SimListBox(SimControlHost& host, const ui::ControlSpec& spec, const ui::ListOptions& options)
        : SimControl(host, spec), m_options(options) {}

    std::string text() const override;
    void setText(std::string_view text) override;
    int count() const override { return static_cast<int>(m_items.size()); }
    std::string item(int index) const override;
    void addItem(std::string_view text) override;
    void removeItem(int index) override;
    void clear() override;
    bool isChecked(int index) const override;
    void setChecked(int index, bool on) override;
    int selectedIndex() const override { return m_selected; }
    void setSelectedIndex(int index) override;
    void onKeyDown(std::function<void(int key)> handler) override { m_onKeyDown = std::move(handler); }
    void onMouseDown(std::function<void(ui::MouseButton button)> handler) override {
        m_onMouseDown = std::move(handler);
    }
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    uint64_t revision() const override { return m_revision; }
    void pauseDrawing() override { ++m_drawingPauses; }
    void resumeDrawing() override {
        if (m_drawingPauses > 0) --m_drawingPauses;
    }
    bool isDrawingPaused() const override { return m_drawingPauses > 0; }
    const ui::ListOptions& options() const { return m_options; }
    std::vector<std::string> items() const;

    // Test helpers, as the user: nothing reaches a disabled list or form.
    bool pressKey(int key);
    bool pressMouse(ui::MouseButton button);
    // A left click on an entry: the press is reported first, then the entry is selected, then the click.
    bool clickItem(int index);
    // A click on the entry's check box.
    bool toggleItem(int index);

private:
    struct Item {
        std::string text;
        bool checked = false;
    };
    bool inRange(int index) const { return index >= 0 && index < count(); }

    ui::ListOptions m_options;
    std::vector<Item> m_items;
    uint64_t m_revision = 0;
    int m_drawingPauses = 0;
    int m_selected = -1;
    std::function<void(int)> m_onKeyDown;
    std::function<void(ui::MouseButton)> m_onMouseDown;
    ui::Handler m_onClick;
};

}  // namespace sim
