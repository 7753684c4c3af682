// The watch on its own, with hooks standing in for the configuration window.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "engine/Watch.h"
#include "platform/sim/SimPlatform.h"

namespace {

class CountingDialog final : public PasswordDialogLauncher {
public:
    void raiseLock(LockRequest) override { ++shown; }
    bool isWaiting(WindowId) const override { return false; }
    bool isWaiting(LockMode) const override { return false; }
    void withdrawLocks(WindowId) override {}
    int shown = 0;
};

class LoneWatch : public ::testing::Test {
protected:
    Watch& watch(WatchHooks hooks) {
        m_watch = std::make_unique<Watch>(process.platform(), state, WatchLists{tasks, allow, ignore}, dialog,
                                          std::move(hooks));
        return *m_watch;
    }

    sim::SimWorld world;
    sim::SimInstance process{world};
    ProgramState state;
    CountingDialog dialog;
    std::unique_ptr<ui::Form> form = process.toolkit().createForm({.name = "frmobelon", .caption = "watch"});
    ui::ListBox& tasks = form->addListBox({.name = "lstTasks"}, {.checkBoxes = true});
    ui::ListBox& allow = form->addListBox({.name = "lstAllow"}, {});
    ui::ListBox& ignore = form->addListBox({.name = "lstignore"}, {});

private:
    std::unique_ptr<Watch> m_watch;
};

}  // namespace

TEST_F(LoneWatch, AFailureEndsTheTickWithItsDescriptionInTheMessageDialog) {
    int messages = 0;
    Watch& w = watch({.GetConfig = [] { throw std::runtime_error("Invalid procedure call or argument"); },
                      .showMessage = [&] { ++messages; }});
    state.reloadRequest = true;
    process.run([&] { w.tick(); });
    EXPECT_EQ(state.messageText, "Error: \"Invalid procedure call or argument\".");
    EXPECT_EQ(messages, 1);

    // The next tick starts afresh and runs to the failing step again.
    state.messageText.clear();
    state.reloadRequest = true;
    process.run([&] { w.tick(); });
    EXPECT_EQ(messages, 2);
}

TEST_F(LoneWatch, ATickThatFallsDueDuringAnotherIsDropped) {
    int loads = 0;
    Watch* self = nullptr;
    Watch& w = watch({.GetConfig =
                          [&] {
                              ++loads;
                              state.reloadRequest = true;
                              self->tick();  // as a timer tick would, while the load processes events
                          },
                      .showMessage = {}});
    self = &w;
    state.reloadRequest = true;
    process.run([&] { w.tick(); });
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(state.reloadRequest);  // left for the next tick that is not nested
}

TEST_F(LoneWatch, EntriesRemovedWhileEventsRunAreNotScannedAndEndNothing) {
    for (const char* text : {"Notepad", "Paint", "Calc"}) {
        tasks.addItem(text);
        tasks.setChecked(tasks.count() - 1, true);
    }
    world.desktop.createWindow("Calc", "CalcFrame");
    // A close request reaches the form the first time the scan lets events run; the form's
    // handler empties the list then.
    form->onCloseRequest([&] { tasks.clear(); });
    ASSERT_TRUE(world.desktop.postClose(form->id()));
    int messages = 0;
    Watch& w = watch({.GetConfig = {}, .showMessage = [&] { ++messages; }});
    process.run([&] { w.tick(); });
    EXPECT_EQ(messages, 0);
    EXPECT_EQ(dialog.shown, 0);
}
