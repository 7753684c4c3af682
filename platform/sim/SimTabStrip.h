#pragma once
#include <vector>

#include "platform/sim/SimControl.h"

namespace sim {

// Pages selected by index; the form shows only the controls of the selected page. Its text is the page's title.
class SimTabStrip final : public SimControl<ui::TabStrip> {
public:
    SimTabStrip(SimControlHost& host, const ui::ControlSpec& spec, std::vector<std::string> pages)
        : SimControl(host, spec), m_pages(std::move(pages)) {}

    std::string text() const override;
    int pageCount() const override { return static_cast<int>(m_pages.size()); }
    int selectedPage() const override { return m_selected; }
    void selectPage(int index) override;
    // Test helper: the user's click on a tab.
    bool clickTab(int index);

private:
    std::vector<std::string> m_pages;
    int m_selected = 0;
};

}  // namespace sim
