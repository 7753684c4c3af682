#include "common/ConfigChanges.h"

ConfigChanges::ConfigChanges(std::function<void()> load) : m_load(std::move(load)) {}

bool ConfigChanges::run(const std::function<void()>& change) {
    if (m_running) return false;
    struct Release {
        ConfigChanges& changes;
        ~Release() {
            changes.m_running = false;
            changes.tell(false);
        }
    };
    m_running = true;
    tell(true);
    {
        const Release release{*this};
        change();
    }
    // A load asked for meanwhile may have seen the store half written: it runs now, on what the change left.
    if (m_loadWaits) requestLoad();
    return true;
}

void ConfigChanges::requestLoad() {
    if (m_running) {
        m_loadWaits = true;
        return;
    }
    m_loadWaits = false;
    run(m_load);
}

void ConfigChanges::onRunning(std::function<void(bool)> listener) { m_listeners.push_back(std::move(listener)); }

void ConfigChanges::tell(bool running) {
    for (const auto& listener : m_listeners) listener(running);
}
