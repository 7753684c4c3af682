#pragma once
#include <optional>

#include "platform/win32/MessageHook.h"
#include "platform/win32/WinControl.h"

// The simple controls: one class per kind, each a few messages to a standard window class.

class WinButton final : public WinControl<ui::Button> {
public:
    WinButton(WinForm& form, const ui::ControlSpec& spec);
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    void click() override;
    void command(WORD notification) override;
    void setDefault(bool on);
    void setMousePointer(ui::MousePointer pointer) override;
    ui::MousePointer mousePointer() const override { return m_pointer; }

private:
    std::optional<LRESULT> pointerMessage(UINT message, LPARAM lParam) const;
    ui::Handler m_onClick;
    ui::MousePointer m_pointer = ui::MousePointer::Default;
    std::optional<MessageHook> m_pointerHook;
};

class WinCheckBox final : public WinControl<ui::CheckBox> {
public:
    WinCheckBox(WinForm& form, const ui::ControlSpec& spec);
    bool isChecked() const override;
    void setChecked(bool on) override;
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    void click() override;
    void command(WORD notification) override;

private:
    ui::Handler m_onClick;
};

class WinOptionButton final : public WinControl<ui::OptionButton> {
public:
    WinOptionButton(WinForm& form, const ui::ControlSpec& spec);
    bool isChecked() const override;
    void setChecked(bool on) override;
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    void command(WORD notification) override;

private:
    ui::Handler m_onClick;
};

class WinLabel final : public WinControl<ui::Label> {
public:
    WinLabel(WinForm& form, const ui::ControlSpec& spec);
    void setText(std::string_view text) override;
    std::string text() const override { return m_text; }
    void setForeColor(uint32_t color) override;
    void onClick(ui::Handler handler) override { m_onClick = std::move(handler); }
    void command(WORD notification) override;
    bool foreColor(COLORREF& color) const override;

private:
    std::string m_text;
    std::optional<COLORREF> m_color;
    ui::Handler m_onClick;
};

class WinFrame final : public WinControl<ui::Frame> {
public:
    WinFrame(WinForm& form, const ui::ControlSpec& spec);
};

class WinImage final : public WinControl<ui::Image> {
public:
    WinImage(WinForm& form, const ui::ControlSpec& spec);
    void setText(std::string_view text) override { m_text = text; }
    std::string text() const override { return m_text; }

private:
    std::string m_text;
};

class WinTextBox final : public WinControl<ui::TextBox> {
public:
    WinTextBox(WinForm& form, const ui::ControlSpec& spec, const ui::TextBoxOptions& options);
    void setText(std::string_view text) override;
    void onChange(ui::Handler handler) override { m_onChange = std::move(handler); }
    void command(WORD notification) override;
    void setForeColor(uint32_t color) override;
    bool foreColor(COLORREF& color) const override;

private:
    ui::Handler m_onChange;
    std::optional<COLORREF> m_color;
    bool m_multiLine = false;
};

class WinProgressBar final : public WinControl<ui::ProgressBar> {
public:
    WinProgressBar(WinForm& form, const ui::ControlSpec& spec);
    void setValue(int percent) override;
    int value() const override;
    void setRange(int maximum) override;

private:
    int m_maximum = 100;
};
