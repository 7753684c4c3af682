#include "password/DecoyWindow.h"

DecoyWindow::DecoyWindow(ui::Toolkit& ui) : m_ui(ui) {}

DecoyWindow::~DecoyWindow() = default;

void DecoyWindow::show() {
    m_closed.reset();
    if (!m_form) create();
    m_form->show();
}

void DecoyWindow::close() {
    if (!m_form) return;
    m_form->findTimer("Timer1")->setEnabled(false);
    m_form->hide();
    m_closed = std::move(m_form);
}

void DecoyWindow::create() {
    m_form = m_ui.createForm({.name = "frmDummy", .caption = "obelon", .width = 260, .height = 60});
    m_form->addLabel(
        {.name = "Label1", .caption = "This task is protected by Windows UAC.", .rect = {12, 20, 236, 20}});
    ui::Timer& timer = m_form->addTimer("Timer1", 1000, true);
    timer.onTick([this] { onTick(); });
}

void DecoyWindow::onTick() {
    if (m_form && m_form->windowState() == ui::WindowState::Minimized) close();
}
