// What one tick of the watch costs with a full task list, on the simulated desktop.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/Watch.h"
#include "platform/sim/SimPlatform.h"

namespace {

class NoDialog final : public PasswordDialogLauncher {
public:
    void raiseLock(LockRequest) override {}
    bool isWaiting(WindowId) const override { return false; }
    bool isWaiting(LockMode) const override { return false; }
    void withdrawLocks(WindowId) override {}
};

struct Machine {
    sim::SimWorld world;
    sim::SimInstance process{world};
    ProgramState state;
    NoDialog dialog;
    std::unique_ptr<ui::Form> form = process.toolkit().createForm({.name = "frmobelon", .caption = "bench"});
    ui::ListBox& tasks = form->addListBox({.name = "lstTasks"}, {.checkBoxes = true});
    ui::ListBox& allow = form->addListBox({.name = "lstAllow"}, {});
    ui::ListBox& ignore = form->addListBox({.name = "lstignore"}, {});
    Watch watch{process.platform(), state, WatchLists{tasks, allow, ignore}, dialog, WatchHooks{}};

    // 1000 checked entries; `matching` of them occur in the foreground title and are ignored, so
    // every one of those also runs the allow and ignore scans and the window is never hidden.
    Machine(int matching, int allowEntries, int ignoreEntries) {
        for (int i = 0; i < 1000; ++i) {
            tasks.addItem(i < matching ? "Notepad" : "Task window " + std::to_string(i));
            tasks.setChecked(i, true);
        }
        for (int j = 0; j < allowEntries; ++j) allow.addItem("Class" + std::to_string(j));
        for (int k = 0; k < ignoreEntries; ++k) ignore.addItem("Ignored " + std::to_string(k));
        ignore.addItem("Note");
        for (int j = 0; j < allowEntries; ++j) world.desktop.createWindow("", "Class" + std::to_string(j), false);
        world.desktop.createWindow("Untitled - Notepad", "Notepad");
    }
};

void tickRun(benchmark::State& run, int matching, int allowEntries, int ignoreEntries) {
    Machine machine(matching, allowEntries, ignoreEntries);
    machine.process.run([&] {
        for (auto _ : run) machine.watch.tick();
    });
}

void BM_TickNoMatch(benchmark::State& run) { tickRun(run, 0, 0, 0); }
void BM_TickAllMatchIgnored(benchmark::State& run) { tickRun(run, 1000, 10, 10); }

}  // namespace

BENCHMARK(BM_TickNoMatch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickAllMatchIgnored)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
