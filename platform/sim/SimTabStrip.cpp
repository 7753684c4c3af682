#include "platform/sim/SimTabStrip.h"

namespace sim {

std::string SimTabStrip::text() const {
    return m_selected >= 0 && m_selected < pageCount() ? m_pages[static_cast<size_t>(m_selected)] : std::string();
}

void SimTabStrip::selectPage(int index) {
    if (index >= 0 && index < pageCount()) m_selected = index;
}

bool SimTabStrip::clickTab(int index) {
    if (!reachedByUser() || index < 0 || index >= pageCount()) return false;
    selectPage(index);
    return true;
}

}  // namespace sim
