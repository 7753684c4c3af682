#pragma once
#include <windows.h>

#include <string>

#include "platform/ui/Controls.h"

// A periodic timer on its form's window; the form routes WM_TIMER here.
class WinTimer final : public ui::Timer {
public:
    WinTimer(HWND owner, UINT_PTR id, std::string name, int intervalMs, bool enabled);
    ~WinTimer() override;
    WinTimer(const WinTimer&) = delete;
    WinTimer& operator=(const WinTimer&) = delete;

    const std::string& name() const override { return m_name; }
    void setEnabled(bool on) override;
    bool isEnabled() const override { return m_enabled; }
    int interval() const override { return m_interval; }
    void onTick(ui::Handler handler) override { m_onTick = std::move(handler); }
    UINT_PTR id() const { return m_id; }
    void tick();

private:
    HWND m_owner;
    UINT_PTR m_id;
    std::string m_name;
    int m_interval;
    bool m_enabled = false;
    bool m_ticking = false;
    ui::Handler m_onTick;
};
