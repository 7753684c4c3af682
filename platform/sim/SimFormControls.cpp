#include <algorithm>

#include "platform/sim/SimControls.h"
#include "platform/sim/SimForm.h"
#include "platform/sim/SimListBox.h"
#include "platform/sim/SimTabStrip.h"
#include "platform/sim/SimTextBox.h"
#include "platform/sim/SimTimer.h"
#include "platform/sim/SimToolkit.h"

namespace sim {

template <class T>
T& SimForm::adopt(std::unique_ptr<T> control) {
    T& added = *control;
    m_controls.push_back(std::move(control));
    return added;
}

ui::Button& SimForm::addButton(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<SimButton>(*this, spec));
}

ui::CheckBox& SimForm::addCheckBox(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<SimCheckBox>(*this, spec));
}

ui::OptionButton& SimForm::addOptionButton(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<SimOptionButton>(*this, spec));
}

ui::Label& SimForm::addLabel(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<SimLabel>(*this, spec));
}

ui::Frame& SimForm::addFrame(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<SimFrame>(*this, spec));
}

ui::Image& SimForm::addImage(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<SimImage>(*this, spec));
}

ui::TextBox& SimForm::addTextBox(const ui::ControlSpec& spec, const ui::TextBoxOptions& options) {
    return adopt(std::make_unique<SimTextBox>(*this, spec, options));
}

ui::ListBox& SimForm::addListBox(const ui::ControlSpec& spec, const ui::ListOptions& options) {
    return adopt(std::make_unique<SimListBox>(*this, spec, options));
}

ui::ProgressBar& SimForm::addProgressBar(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<SimProgressBar>(*this, spec));
}

// A form has one tab strip; a second one would take over the page selection.
ui::TabStrip& SimForm::addTabStrip(const ui::ControlSpec& spec, const std::vector<std::string>& pages) {
    SimTabStrip& strip = adopt(std::make_unique<SimTabStrip>(*this, spec, pages));
    m_tabStrip = &strip;
    return strip;
}

ui::Timer& SimForm::addTimer(const std::string& name, int intervalMs, bool enabled) {
    m_timers.push_back(std::make_unique<SimTimer>(m_toolkit.clock(), m_toolkit.process(), name, intervalMs, enabled));
    return *m_timers.back();
}

ui::Control* SimForm::findControl(std::string_view name) {
    auto found = std::find_if(m_controls.begin(), m_controls.end(),
                              [name](const auto& control) { return control->name() == name; });
    return found == m_controls.end() ? nullptr : found->get();
}

ui::Timer* SimForm::findTimer(std::string_view name) {
    auto found =
        std::find_if(m_timers.begin(), m_timers.end(), [name](const auto& timer) { return timer->name() == name; });
    return found == m_timers.end() ? nullptr : found->get();
}

}  // namespace sim
