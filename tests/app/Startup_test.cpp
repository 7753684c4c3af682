#include <gtest/gtest.h>

#include <memory>

#include "app/ObelonApp.h"
#include "platform/sim/SimForm.h"
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

// Quoted, so the blank in "Program Files" cannot make Windows start "C:\Program.exe" at logon.
TEST(FirstStart, WritesTheRunKeyWithTheProgramsOwnPathQuoted) {
    sim::SimWorld world;
    Started first = startProgram(world);
    ASSERT_TRUE(first.running);
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro"),
              "\"C:\\Program Files\\Obelon Pro\\obelon7.exe\"");
    EXPECT_TRUE(world.desktop.findWindow(std::nullopt, "Obelon Pro Configuration Tool"));
    // The window hides at once behind the configuration lock.
    EXPECT_FALSE(first.app->configWindow().form().isVisible());
    ASSERT_TRUE(first.app->passwords().answering());
    EXPECT_EQ(first.app->passwords().answering()->mode, LockMode::Configuration);
    EXPECT_FALSE(world.desktop.hasSystemMenuCommand(first.app->configWindow().form().id(), kScClose));
}

// Only this program's own unquoted entry of earlier versions is put right; whatever else is there stays, even
// the same path in other letters or with arguments.
TEST(FirstStart, QuotesItsOwnOldEntryAndLeavesAnyOtherRunEntryAlone) {
    const std::vector<std::string> others = {"D:\\elsewhere\\x.exe",
                                             "c:\\program files\\obelon pro\\obelon7.exe",
                                             "C:\\Program Files\\Obelon Pro\\obelon7.exe /quiet"};
    for (const std::string& other : others) {
        sim::SimWorld world;
        SetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro", other);
        Started first = startProgram(world);
        ASSERT_TRUE(first.running);
        EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro"), other);
    }
    sim::SimWorld world;
    SetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro",
                   "C:\\Program Files\\Obelon Pro\\obelon7.exe");
    Started first = startProgram(world);
    ASSERT_TRUE(first.running);
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro"),
              "\"C:\\Program Files\\Obelon Pro\\obelon7.exe\"");
}

TEST(SecondStart, EndsAndTheRunningInstanceAsksForThePasswordOncePerRun) {
    sim::SimWorld world;
    Started first = startProgram(world);
    ASSERT_TRUE(first.running);
    PasswordDialogHost& passwords = first.app->passwords();
    const auto cancel = [&] {
        first.process->run([&] {
            for (sim::SimForm* form : first.process->toolkit().forms()) {
                if (form->name() == "frmPassword" && form->isVisible()) form->pressEscape();
            }
        });
        world.advance(600);
    };
    cancel();  // the dialog every start opens
    ASSERT_FALSE(passwords.answering());
    Started second = startProgram(world);
    EXPECT_FALSE(second.running);
    ASSERT_TRUE(passwords.answering());
    EXPECT_EQ(passwords.answering()->mode, LockMode::Configuration);
    EXPECT_EQ(passwords.answering()->label, "Obelon Pro Configuration Tool");
    cancel();
    Started third = startProgram(world);
    EXPECT_FALSE(third.running);
    EXPECT_FALSE(passwords.answering());
}

// Any program can make the instance token's name first and title a window as ours: neither ends a start. The
// start then runs as the first under its start-up title, and a later start of this program still ends.
TEST(SecondStart, AnotherProgramHoldingTheTokenAndOurTitleDoesNotEndTheStart) {
    sim::SimWorld world;
    constexpr uint32_t kSquatter = 8000;
    world.desktop.setProgramFile(kSquatter, "C:\\Users\\Public\\squat.exe");
    (void)world.claimInstanceToken("C:\\Program Files\\Obelon Pro\\obelon7.exe", kSquatter);
    (void)world.desktop.createWindow("Obelon Pro Configuration Tool", "ObelonForm", false, kSquatter);
    Started first = startProgram(world);
    ASSERT_TRUE(first.running);
    EXPECT_EQ(first.app->configWindow().form().caption(), "#obelon init");
    EXPECT_TRUE(first.app->passwords().answering());

    Started second = startProgram(world);
    EXPECT_FALSE(second.running);
    EXPECT_FALSE(first.process->exited());

    // An instance whose program file cannot be read (it runs with administrative rights) counts as running.
    sim::SimWorld elevated;
    constexpr uint32_t kElevated = 8004;
    (void)elevated.claimInstanceToken("C:\\Program Files\\Obelon Pro\\obelon7.exe", kElevated);
    (void)elevated.desktop.createWindow("Obelon Pro Configuration Tool", "ObelonForm", false, kElevated);
    EXPECT_FALSE(startProgram(elevated).running);
}

// Windows ends the session (WM_QUIT) while the program sits in its start-up delay: the wait ends instead of
// spinning, and nothing of the start-up runs after it.
TEST(FirstStart, AQuitDuringTheStartupDelayEndsTheStart) {
    sim::SimWorld world;
    Started s;
    s.process = std::make_unique<sim::SimInstance>(world);
    s.running = s.process->run([&] {
        s.app = std::make_unique<ObelonApp>(s.process->platform());
        s.process->toolkit().postQuit();
        s.app->start();
    });
    ASSERT_TRUE(s.running);
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, kRunKey, "Obelon Pro"), "");
    EXPECT_FALSE(world.desktop.findWindow(std::nullopt, "Obelon Pro Configuration Tool"));
    EXPECT_FALSE(s.app->passwords().answering());
}
