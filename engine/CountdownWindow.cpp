#include "engine/CountdownWindow.h"

#include "common/WindowHelpers.h"

namespace {
constexpr uint32_t kBlue = 0xFF0000;  // Windows colour values are 0x00BBGGRR
constexpr uint32_t kRed = 0x0000FF;
constexpr const char* kCaption = "Time left:";
}  // namespace

CountdownWindow::CountdownWindow(Platform& platform) : m_platform(platform) {}

CountdownWindow::~CountdownWindow() = default;

void CountdownWindow::show(const std::string& text, bool red) {
    if (!m_form) create();
    setText(text, red);
    m_form->show();
}

void CountdownWindow::setText(const std::string& text, bool red) {
    if (!m_form) create();
    txttickCount->setForeColor(red ? kRed : kBlue);
    txttickCount->setText(text);
}

void CountdownWindow::close() {
    if (m_form && m_form->isVisible()) m_form->hide();
}

void CountdownWindow::create() {
    m_form = m_platform.ui.createForm({.name = "frmtickCount", .caption = kCaption, .width = 220, .height = 56});
    txttickCount = &m_form->addLabel({.name = "txttickCount", .caption = "", .rect = {12, 16, 196, 24}});
    txttickCount->setForeColor(kBlue);
    Timer1 = &m_form->addTimer("Timer1", 60000, true);
    Timer1->onTick([this] { onTick(); });
    m_form->onResize([this] { onResize(); });
    // The count closes it when the time is up; nobody else may.
    m_form->onCloseRequest([] {});
    RemoveCloseCommand(m_platform.desktop, m_form->id());
}

// Minimized, the taskbar button is all that shows, so it carries the time left.
void CountdownWindow::onResize() {
    m_form->setCaption(isMinimized() ? "You have " + txttickCount->text() : kCaption);
}

void CountdownWindow::onTick() {
    m_form->setCaption(isMinimized() ? "You have " + txttickCount->text() : "Time left");
}

bool CountdownWindow::isMinimized() const {
    return m_form->windowState() == ui::WindowState::Minimized;
}
