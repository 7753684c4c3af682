#include <gtest/gtest.h>

#include <memory>

#include "app/ObelonApp.h"
#include "platform/sim/SimInstance.h"
#include "platform/sim/SimWorld.h"
#include "registry/RegistryEdit.h"

namespace {
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Started {
    std::unique_ptr<sim::SimInstance> process;
    std::unique_ptr<ObelonApp> app;
    bool running = false;
};

Started startProgram(sim::SimWorld& world) {
    Started s;
    s.process = std::make_unique<sim::SimInstance>(world);
    s.running = s.process->run([&] {
        s.app = std::make_unique<ObelonApp>(s.process->platform());
        s.app->start();
    });
    return s;
}
}  // namespace

TEST(FirstStart, WritesTheRunKeyWithTheProgramsOwnPath) {
    sim::SimWorld world;
    Started first = startProgram(world);
    ASSERT_TRUE(first.running);
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro"),
              "C:\\Program Files\\Obelon Pro\\obelon7.exe");
    EXPECT_TRUE(world.desktop.findWindow(std::nullopt, "Obelon Pro Configuration Tool"));
    // The window hides at once behind the configuration lock.
    EXPECT_FALSE(first.app->configWindow().form().isVisible());
    EXPECT_EQ(first.app->state().lock.mode, "cfg");
    EXPECT_FALSE(world.desktop.hasSystemMenuCommand(first.app->configWindow().form().id(), kScClose));
}

TEST(FirstStart, LeavesAnEditedRunEntryAlone) {
    sim::SimWorld world;
    SetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro", "D:\\elsewhere\\x.exe");
    Started first = startProgram(world);
    ASSERT_TRUE(first.running);
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro"), "D:\\elsewhere\\x.exe");
}

TEST(SecondStart, EndsAndTheRunningInstanceAsksForThePasswordOncePerRun) {
    sim::SimWorld world;
    Started first = startProgram(world);
    ASSERT_TRUE(first.running);
    first.app->state().lock = {};
    Started second = startProgram(world);
    EXPECT_FALSE(second.running);
    EXPECT_EQ(first.app->state().lock.mode, "cfg");
    EXPECT_EQ(first.app->state().lock.label, "Obelon Pro Configuration Tool");
    first.app->state().lock = {};
    Started third = startProgram(world);
    EXPECT_FALSE(third.running);
    EXPECT_EQ(first.app->state().lock.mode, "");
}
