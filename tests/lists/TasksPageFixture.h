#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/RunningProgram.h"

namespace liststest {

// The administrator has unlocked the configuration window and looks at its Tasks page.
class TasksPageScenario : public ::testing::Test {
protected:
    void start() {
        program = testsupport::startProgram(world);
        ASSERT_TRUE(program.running);
        program.openConfigWindow();
        program.run([&] {
            sim::control<sim::SimTabStrip>(program.configForm(), "SmartTab1")->clickTab(0);
        });
    }

    sim::SimListBox& tasks() { return program.list("lstTasks"); }
    std::string countLabel() { return program.labelText("lblTaskCount"); }
    void press(const char* button) {
        program.run([&] { sim::control<sim::SimButton>(program.configForm(), button)->click(); });
    }
    void replaceTasks(const std::vector<std::string>& texts) {
        program.run([&] {
            tasks().clear();
            for (const std::string& text : texts) tasks().addItem(text);
        });
    }

    // Clicks "Browse"; once the browser is open, `user` acts in it as the user would. A browser the
    // user leaves open is then closed with Esc, and `leftOpen` says so. False when no browser opened.
    bool browse(const std::function<void(sim::SimForm& frmLock)>& user) {
        bool opened = false;
        leftOpen = false;
        sim::SimToolkit& toolkit = program.process->toolkit();
        world.clock.post(program.process->id(), [&] {
            sim::SimForm* browser = toolkit.findForm("frmLock");
            if (!browser) return;
            opened = true;
            user(*browser);
            if (toolkit.findForm("frmLock") == browser && browser->isVisible()) {
                leftOpen = true;
                browser->pressEscape();
            }
        });
        press("cmdadd");
        // When no browser came, the user's turn is still queued: let it go by.
        program.run([&] { toolkit.processEvents(); });
        return opened;
    }

    static sim::SimListBox& windowList(sim::SimForm& browser) {
        return *sim::control<sim::SimListBox>(browser, "lstWindows");
    }
    static sim::SimTextBox& editBox(sim::SimForm& browser) {
        return *sim::control<sim::SimTextBox>(browser, "txtTask");
    }
    static void click(sim::SimForm& browser, const char* button) {
        sim::control<sim::SimButton>(browser, button)->click();
    }
    static int lineOf(sim::SimForm& browser, const std::string& title) {
        const std::vector<std::string> lines = windowList(browser).items();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] == title) return static_cast<int>(i);
        }
        return -1;
    }

    sim::SimWorld world;
    testsupport::RunningProgram program;
    bool leftOpen = false;
};

}  // namespace liststest
