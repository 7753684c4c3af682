#include "folders/Ob7Batches.h"

namespace ob7 {

// Without a thread (a file that fits one batch, where a thread would cost more than it saves) the caller works
// each batch itself as it takes it back.
BatchWorker::BatchWorker(std::function<void(Batch&)> work, bool threaded)
    : m_batches(kBatches), m_work(std::move(work)) {
    for (Batch& batch : m_batches) m_free.push_back(&batch);
    if (threaded) m_thread = std::thread([this] { loop(); });
}

// However the pass ends, the thread is stopped and joined before the batches it works on go.
BatchWorker::~BatchWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

Batch* BatchWorker::takeFree() {
    std::lock_guard lock(m_mutex);
    if (m_free.empty()) return nullptr;
    Batch* batch = m_free.back();
    m_free.pop_back();
    return batch;
}

void BatchWorker::release(Batch& batch) {
    std::lock_guard lock(m_mutex);
    m_free.push_back(&batch);
}

void BatchWorker::hand(Batch& batch) {
    {
        std::lock_guard lock(m_mutex);
        m_toWork.push_back(&batch);
    }
    m_changed.notify_all();
}

Batch* BatchWorker::nextDone() {
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) {
        Batch* batch = m_toWork.front();
        m_toWork.pop_front();
        lock.unlock();
        m_work(*batch);
        return batch;
    }
    m_changed.wait(lock, [this] { return !m_done.empty(); });
    Batch* batch = m_done.front();
    m_done.pop_front();
    return batch;
}

void BatchWorker::loop() {
    for (;;) {
        Batch* batch = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || !m_toWork.empty(); });
            if (m_stop) return;
            batch = m_toWork.front();
            m_toWork.pop_front();
        }
        m_work(*batch);
        {
            std::lock_guard lock(m_mutex);
            m_done.push_back(batch);
        }
        m_changed.notify_all();
    }
}

}  // namespace ob7
