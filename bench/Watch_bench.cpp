// What one tick of the watch costs with a full task list, on the simulated desktop.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif
#include <memory>
#include <string>

#include "app/ObelonApp.h"
#include "bench/NoDialog.h"
#include "engine/Watch.h"
#include "platform/sim/SimPlatform.h"
#include "registry/RegistryEdit.h"

namespace {

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

// The heap in use, in KiB: with the sanitizers, the bytes still allocated (their allocator keeps freed memory
// aside for a while, so the resident size would grow regardless); otherwise the resident size.
long memoryKiB() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4;
#endif
}

// The whole program for an hour of simulated time with 1000 checked tasks stored and a window in front that
// matches none: the memory after ten minutes and after the hour, which must not grow with time. Built with
// the sanitizers, the leak check runs when the benchmark ends.
void BM_SimulatedHour(benchmark::State& run) {
    for (auto _ : run) {
        sim::SimWorld world;
        for (int i = 0; i < 1000; ++i) {
            SetStringValue(world.registry, RootKey::LocalMachine, "Software\\OBP\\Tasks", "Task" + std::to_string(i),
                           "Task window " + std::to_string(i) + ",1");
        }
        sim::SimInstance process(world);
        world.desktop.allowForeground(process.id());
        std::unique_ptr<ObelonApp> app;
        process.run([&] {
            app = std::make_unique<ObelonApp>(process.platform());
            app->start();
        });
        world.desktop.createWindow("Untitled - Notepad", "Notepad");
        world.advance(10 * 60 * 1000);
        const long afterTenMinutes = memoryKiB();
        world.advance(50 * 60 * 1000);
        run.counters["heap_kib_10min"] = static_cast<double>(afterTenMinutes);
        run.counters["heap_kib_60min"] = static_cast<double>(memoryKiB());
        process.run([&] { app.reset(); });
    }
}

}  // namespace

BENCHMARK(BM_TickNoMatch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickAllMatchIgnored)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SimulatedHour)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
