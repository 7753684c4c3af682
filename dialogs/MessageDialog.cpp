#include "dialogs/MessageDialog.h"

MessageDialog::MessageDialog(ui::Toolkit& ui, ProgramState& state) : m_ui(ui), m_state(state) {}

MessageDialog::~MessageDialog() = default;

void MessageDialog::show() {
    m_closed.reset();
    if (!m_form) create();
    m_form->show();
}

void MessageDialog::create() {
    m_form = m_ui.createForm({.name = "frmError", .caption = "Message:", .width = 380, .height = 150});
    ui::Form& form = *m_form;
    form.addFrame({.name = "Frame1", .caption = "", .rect = {8, 4, 364, 100}});
    form.addImage({.name = "Image1", .caption = "", .rect = {20, 24, 32, 32}});
    Label1 = &form.addLabel({.name = "Label1", .caption = "#", .rect = {64, 20, 300, 78}});
    form.addLabel({.name = "Line1", .caption = "", .rect = {8, 108, 364, 2}});
    ui::Button& ok = form.addButton({.name = "cmdOK", .caption = "OK", .rect = {292, 116, 80, 26}});
    ui::Button& cancel = form.addButton({.name = "cmdCancel", .caption = "Cancel", .rect = {204, 116, 80, 26}});
    ui::CheckBox& dontShow =
        form.addCheckBox({.name = "chkDontShow", .caption = "Don't show again", .rect = {12, 120, 180, 20}});
    cancel.setVisible(false);
    dontShow.setVisible(false);
    form.setDefaultButton(ok);
    ok.onClick([this] { onOk(); });
    // Closing from the title bar is an OK too, so the text never outlives the window.
    form.onCloseRequest([this] { onOk(); });
    Timer1 = &form.addTimer("Timer1", 100, true);
    Timer1->onTick([this] { onTick(); });
}

// Set only when it changed: every setting repaints the label, ten times a second.
void MessageDialog::onTick() {
    if (Label1->text() != m_state.messageText) Label1->setText(m_state.messageText);
}

void MessageDialog::onOk() {
    m_state.messageText.clear();
    Timer1->setEnabled(false);
    m_form->hide();
    m_closed = std::move(m_form);
}
