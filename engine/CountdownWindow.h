#pragma once
#include <memory>
#include <string>

#include "platform/Platform.h"

// The window `frmtickCount`: the minutes left of the day's session, which only the count itself closes.
class CountdownWindow final {
public:
    explicit CountdownWindow(Platform& platform);
    ~CountdownWindow();
    // Made on first use; shown modeless.
    void show(const std::string& text, bool red);
    void setText(const std::string& text, bool red);
    void close();
    ui::Form* form() { return m_form.get(); }

private:
    void create();
    void onResize();
    void onTick();
    bool isMinimized() const;

    Platform& m_platform;
    std::unique_ptr<ui::Form> m_form;
    ui::Label* txttickCount = nullptr;
    ui::Timer* Timer1 = nullptr;
};
