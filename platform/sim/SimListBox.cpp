#include "platform/sim/SimListBox.h"

#include <algorithm>

#include "platform/sim/SimText.h"

namespace sim {

std::string SimListBox::text() const {
    return inRange(m_selected) ? m_items[static_cast<size_t>(m_selected)].text : std::string();
}

// Selects the entry with exactly this text (case-sensitive), or none.
void SimListBox::setText(std::string_view text) {
    auto found = std::find_if(m_items.begin(), m_items.end(), [text](const Item& entry) { return entry.text == text; });
    m_selected = found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin());
}

std::string SimListBox::item(int index) const {
    return inRange(index) ? m_items[static_cast<size_t>(index)].text : std::string();
}

// A sorted list puts a new entry after those that sort equal to it; the selection stays on its entry.
void SimListBox::addItem(std::string_view text) {
    auto at = m_items.end();
    if (m_options.sorted) {
        at = std::upper_bound(m_items.begin(), m_items.end(), text, [](std::string_view value, const Item& entry) {
            return lessIgnoringCase(value, entry.text);
        });
    }
    const int index = static_cast<int>(at - m_items.begin());
    m_items.insert(at, Item{std::string(text), false});
    ++m_revision;
    if (m_selected >= index) ++m_selected;
}

void SimListBox::removeItem(int index) {
    if (!inRange(index)) return;
    m_items.erase(m_items.begin() + index);
    ++m_revision;
    if (m_selected == index) {
        m_selected = -1;
    } else if (m_selected > index) {
        --m_selected;
    }
}

void SimListBox::clear() {
    m_items.clear();
    ++m_revision;
    m_selected = -1;
}

bool SimListBox::isChecked(int index) const {
    return m_options.checkBoxes && inRange(index) && m_items[static_cast<size_t>(index)].checked;
}

void SimListBox::setChecked(int index, bool on) {
    if (!m_options.checkBoxes || !inRange(index)) return;
    m_items[static_cast<size_t>(index)].checked = on;
    ++m_revision;
}

void SimListBox::setSelectedIndex(int index) {
    m_selected = inRange(index) ? index : -1;
}

std::vector<std::string> SimListBox::items() const {
    std::vector<std::string> texts;
    texts.reserve(m_items.size());
    for (const Item& entry : m_items) texts.push_back(entry.text);
    return texts;
}

bool SimListBox::pressKey(int key) {
    if (!reachedByUser()) return false;
    if (m_onKeyDown) {
        const auto handler = m_onKeyDown;
        handler(key);
    }
    return true;
}

bool SimListBox::pressMouse(ui::MouseButton button) {
    if (!reachedByUser()) return false;
    if (m_onMouseDown) {
        const auto handler = m_onMouseDown;
        handler(button);
    }
    return true;
}

bool SimListBox::clickItem(int index) {
    if (!inRange(index) || !pressMouse(ui::MouseButton::Left)) return false;
    setSelectedIndex(index);
    raise(m_onClick);
    return true;
}

bool SimListBox::toggleItem(int index) {
    if (!m_options.checkBoxes || !inRange(index) || !reachedByUser()) return false;
    Item& entry = m_items[static_cast<size_t>(index)];
    entry.checked = !entry.checked;
    ++m_revision;
    return true;
}

}  // namespace sim
