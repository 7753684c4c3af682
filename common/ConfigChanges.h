#pragma once
#include <functional>
#include <vector>

// One change of the configuration at a time. Apply, a load, the administrator box, the ignore-list editor and
// the transfers all let the window's events run while they work; without this one could start inside another
// and store, or show, a list that is half deleted or half rebuilt.
class ConfigChanges final {
public:
    // load: the whole configuration into the window, as a change of its own.
    explicit ConfigChanges(std::function<void()> load);
    bool running() const { return m_running; }
    // Runs the change unless another one runs; false when it did not run. The state is released however the
    // change ends, a thrown failure included.
    bool run(const std::function<void()>& change);
    // A load asked for from outside a change: at once, or right after the change that runs.
    void requestLoad();
    // Told true when a change starts and false when it ends, to disable what would start another.
    void onRunning(std::function<void(bool)> listener);

private:
    void tell(bool running);

    std::function<void()> m_load;
    std::vector<std::function<void(bool)>> m_listeners;
    bool m_running = false;
    bool m_loadWaits = false;
};
