// The configuration load on the real registry and the real controls: a full task list arrives
// whole, and the time a full load takes is reported.
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

// The configuration key is the machine's own; the end-to-end scenarios set it up afresh each time.
class RealConfigLoad : public ::testing::Test {
protected:
    void TearDown() override {
        for (int slot = 0; slot < 1000; ++slot) {
            DeleteValue(backend.platform().registry, RootKey::LocalMachine, kTasks, "Task" + std::to_string(slot));
        }
    }
    WinPlatform backend;
};

}  // namespace

TEST_F(RealConfigLoad, AThousandStoredTasksLoadInOrderWithTheirChecks) {
    IRegistry& registry = backend.platform().registry;
    for (int slot = 0; slot < 1000; ++slot) {
        SetStringValue(registry, RootKey::LocalMachine, kTasks, "Task" + std::to_string(slot),
                       "Window " + std::to_string(slot) + (slot % 2 == 0 ? ",1" : ",0"));
    }
    ObelonApp app(backend.platform());
    const auto started = std::chrono::steady_clock::now();
    app.configWindow().GetConfig();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::cout << "a full load of 1000 tasks took " << took.count() << " ms\n";

    ui::ListBox& tasks = app.configWindow().form().control<ui::ListBox>("lstTasks");
    ASSERT_EQ(tasks.count(), 1000);
    EXPECT_EQ(tasks.item(0), "Window 0");
    EXPECT_EQ(tasks.item(999), "Window 999");
    EXPECT_TRUE(tasks.isChecked(0));
    EXPECT_FALSE(tasks.isChecked(999));
    EXPECT_EQ(app.configWindow().form().findControl("lblTaskCount")->text(), "Tasks Locked: 500");
}
