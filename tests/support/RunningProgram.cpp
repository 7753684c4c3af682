#include "tests/support/RunningProgram.h"

namespace testsupport {

RunningProgram startProgram(sim::SimWorld& world) {
    RunningProgram program;
    program.process = std::make_unique<sim::SimInstance>(world);
    // Started by the shell at logon, as the user's own action: its first window may come to the front.
    world.desktop.allowForeground(program.process->id());
    program.running = program.process->run([&] {
        program.app = std::make_unique<ObelonApp>(program.process->platform());
        program.app->start();
    });
    return program;
}

sim::SimListBox& RunningProgram::list(const char* name) {
    return *sim::control<sim::SimListBox>(configForm(), name);
}

sim::SimCheckBox& RunningProgram::checkBox(const char* name) {
    return *sim::control<sim::SimCheckBox>(configForm(), name);
}

void RunningProgram::openConfigWindow() {
    cancelPasswordDialogs();
    app->state().configUnlocked = true;
    process->toolkit().desktop().userInput(process->id());  // the password was just typed
    run([this] { configForm().show(); });
}

void RunningProgram::showPageOf(const char* name) {
    int page = -1;
    if (auto* button = sim::control<sim::SimButton>(configForm(), name)) page = button->page();
    if (auto* box = sim::control<sim::SimCheckBox>(configForm(), name)) page = box->page();
    if (page < 0) return;
    run([this, page] { sim::control<ui::TabStrip>(configForm(), "SmartTab1")->selectPage(page); });
}

void RunningProgram::clickButton(const char* name) {
    showPageOf(name);
    run([this, name] { sim::control<sim::SimButton>(configForm(), name)->click(); });
}

void RunningProgram::clickCheckBox(const char* name) {
    showPageOf(name);
    run([this, name] { sim::control<sim::SimCheckBox>(configForm(), name)->click(); });
}

sim::SimForm* RunningProgram::passwordDialog() {
    sim::SimForm* last = nullptr;
    for (sim::SimForm* form : process->toolkit().forms()) {
        if (form->name() == "frmPassword") last = form;
    }
    return last;
}

void RunningProgram::answerPassword(const std::string& password) {
    run([&] {
        auto& box = *sim::control<sim::SimTextBox>(*passwordDialog(), "txtPass");
        box.erase();
        box.type(password);
        passwordDialog()->pressEnter();
    });
}

void RunningProgram::cancelPasswordDialogs() {
    for (int dialogs = 0; dialogs < 20 && openLock(); ++dialogs) {
        run([&] { passwordDialog()->pressEscape(); });
        process->toolkit().clock().advance(600, 0);
    }
}

std::string RunningProgram::labelText(const char* name) {
    return configForm().findControl(name)->text();
}

std::vector<bool> RunningProgram::checks(const char* name) {
    sim::SimListBox& box = list(name);
    std::vector<bool> result;
    for (int i = 0; i < box.count(); ++i) result.push_back(box.isChecked(i));
    return result;
}

}  // namespace testsupport
