#pragma once
#include "platform/sim/SimControl.h"

namespace sim {

// A click from code or from the test is a user's click: it does nothing on a disabled button or form.
class SimButton final : public SimControl<ui::Button> {
public:
    using SimControl::SimControl;
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    void click() override;
    void setMousePointer(ui::MousePointer pointer) override { m_pointer = pointer; }
    ui::MousePointer mousePointer() const override { return m_pointer; }

private:
    ui::Handler m_onClick;
    ui::MousePointer m_pointer = ui::MousePointer::Default;
};

class SimCheckBox final : public SimControl<ui::CheckBox> {
public:
    using SimControl::SimControl;
    bool isChecked() const override { return m_checked; }
    void setChecked(bool on) override;
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    void click() override;

private:
    bool m_checked = false;
    ui::Handler m_onClick;
};

// Code sets one option alone, as BM_SETCHECK does; the user's click clears the others of its group.
class SimOptionButton final : public SimControl<ui::OptionButton> {
public:
    using SimControl::SimControl;
    bool isChecked() const override { return m_checked; }
    void setChecked(bool on) override;
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    // Test helper: the user's click, which clears the other options on the same page of the form.
    void click();

private:
    bool m_checked = false;
    ui::Handler m_onClick;
};

class SimLabel final : public SimControl<ui::Label> {
public:
    using SimControl::SimControl;
    void setForeColor(uint32_t color) override { m_foreColor = color; }
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    uint32_t foreColor() const { return m_foreColor; }
    // Test helper, as the user: nothing reaches a disabled label or form.
    bool click();

private:
    uint32_t m_foreColor = 0;
    ui::Handler m_onClick;
};

class SimFrame final : public SimControl<ui::Frame> {
public:
    using SimControl::SimControl;
};

class SimImage final : public SimControl<ui::Image> {
public:
    using SimControl::SimControl;
};

class SimProgressBar final : public SimControl<ui::ProgressBar> {
public:
    using SimControl::SimControl;
    void setValue(int percent) override;
    int value() const override { return m_value; }
    void setRange(int maximum) override;
    int range() const { return m_maximum; }

private:
    int m_value = 0;
    int m_maximum = 100;
};

}  // namespace sim
