#include "platform/sim/SimTextBox.h"

#include "platform/sim/SimText.h"

namespace sim {

namespace {

// The byte length of the UTF-8 sequence its lead byte starts.
size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

// As WM_SETTEXT on an edit control: one change for every text set, the same text included.
void SimTextBox::setText(std::string_view text) {
    m_text = std::string(text);
    raise(m_onChange);
}

bool SimTextBox::type(std::string_view text) {
    if (!reachedByUser()) return false;
    size_t at = 0;
    while (at < text.size()) {
        const size_t length = std::min(sequenceLength(static_cast<unsigned char>(text[at])), text.size() - at);
        const std::string_view character = text.substr(at, length);
        at += length;
        if (m_options.maxLength > 0 &&
            utf16Length(m_text) + utf16Length(character) > static_cast<size_t>(m_options.maxLength)) {
            continue;  // that key is refused; a shorter character after it may still fit
        }
        m_text.append(character);
        raise(m_onChange);
    }
    return true;
}

bool SimTextBox::erase() {
    if (!reachedByUser()) return false;
    if (!m_text.empty()) setText("");  // deleting nothing changes nothing
    return true;
}

std::string SimTextBox::shownText() const {
    if (m_options.passwordChar == 0) return m_text;
    size_t characters = 0;
    for (char c : m_text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return std::string(characters, m_options.passwordChar);
}

}  // namespace sim
