#pragma once
#include <string>
#include <vector>

#include "platform/win32/WinControl.h"

// A common-controls tab control; the form shows the controls of the selected page.
class WinTabStrip final : public WinControl<ui::TabStrip> {
public:
    WinTabStrip(WinForm& form, const ui::ControlSpec& spec, const std::vector<std::string>& pages);
    int pageCount() const override;
    int selectedPage() const override;
    void selectPage(int index) override;
    std::string text() const override;
    void setText(std::string_view) override {}
    bool notify(const NMHDR& header, LRESULT& result) override;
    // Drawn by the visual style: its pages are then the window colour, not the dialog grey.
    bool isThemed() const;

private:
    std::vector<std::string> m_pages;
};
