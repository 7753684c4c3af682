// The configuration load and Apply on the real registry and the real controls: full lists arrive
// whole and are stored back whole, and the time each takes is reported.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>

#include "app/ObelonApp.h"
#include "lists/TasksPage.h"
#include "platform/win32/WinPlatform.h"
#include "registry/RegistryEdit.h"

namespace {

constexpr const char* kTasks = "Software\\OBP\\Tasks";
constexpr const char* kIgnore = "Software\\OBP\\IgnoreList";

template <class Work>
long long millisecondsOf(Work work) {
    const auto started = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
}

// The configuration key is the machine's own; the end-to-end scenarios set it up afresh each time.
class RealConfigLoad : public ::testing::Test {
protected:
    void TearDown() override {
        for (int slot = 0; slot < 1000; ++slot) {
            DeleteValue(backend.platform().registry, RootKey::LocalMachine, kTasks, "Task" + std::to_string(slot));
        }
        DeleteKey(backend.platform().registry, RootKey::LocalMachine, kIgnore);
    }
    WinPlatform backend;
};

}  // namespace

TEST_F(RealConfigLoad, AThousandStoredTasksAndIgnoredTextsLoadAndApplyInOrder) {
    IRegistry& registry = backend.platform().registry;
    for (int slot = 0; slot < 1000; ++slot) {
        SetStringValue(registry, RootKey::LocalMachine, kTasks, "Task" + std::to_string(slot),
                       "Window " + std::to_string(slot) + (slot % 2 == 0 ? ",1" : ",0"));
        SetStringValue(registry, RootKey::LocalMachine, kIgnore, "Task" + std::to_string(slot),
                       "Ignored " + std::to_string(slot));
    }
    ObelonApp app(backend.platform());
    ui::Form& window = app.configWindow().form();
    const long long load = millisecondsOf([&] { app.configWindow().GetConfig(); });
    std::cout << "a full load of 1000 tasks and 1000 ignored texts took " << load << " ms\n";

    ui::ListBox& tasks = window.control<ui::ListBox>("lstTasks");
    ui::ListBox& ignore = window.control<ui::ListBox>("lstignore");
    ASSERT_EQ(tasks.count(), 1000);
    EXPECT_EQ(tasks.item(0), "Window 0");
    EXPECT_EQ(tasks.item(999), "Window 999");
    EXPECT_TRUE(tasks.isChecked(0));
    EXPECT_FALSE(tasks.isChecked(999));
    EXPECT_EQ(window.findControl("lblTaskCount")->text(), "Tasks Locked: 500");
    ASSERT_EQ(ignore.count(), 1000);
    EXPECT_EQ(ignore.item(999), "Ignored 999");

    // Apply deletes every task slot, writes both lists again and reloads: what the registry lost or gained
    // since the load does not survive it.
    tasks.setChecked(1, true);
    DeleteValue(registry, RootKey::LocalMachine, kTasks, "Task500");
    SetStringValue(registry, RootKey::LocalMachine, kIgnore, "Stray", "x");
    app.state().configUnlocked = true;  // the password was just typed
    window.show();
    const long long apply = millisecondsOf([&] { window.control<ui::Button>("cmdok").click(); });
    std::cout << "Apply of 1000 tasks and 1000 ignored texts, with its reload, took " << apply << " ms\n";
    EXPECT_EQ(window.findControl("cmdcancel")->text(), "Close");
    EXPECT_EQ(GetStringValue(registry, RootKey::LocalMachine, kTasks, "Task1"), "Window 1,1");
    EXPECT_EQ(GetStringValue(registry, RootKey::LocalMachine, kTasks, "Task500"), "Window 500,1");
    EXPECT_EQ(GetStringValue(registry, RootKey::LocalMachine, kIgnore, "Task999"), "Ignored 999");
    EXPECT_EQ(GetStringValue(registry, RootKey::LocalMachine, kIgnore, "Stray"), "");
    EXPECT_EQ(window.findControl("lblTaskCount")->text(), "Tasks Locked: 501");
}
