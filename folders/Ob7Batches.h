#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "folders/Ob7Stream.h"

// Runs of whole chunks that the cipher works on, sealing or opening them, on a thread of its own while the
// caller's thread reads and writes.
namespace ob7 {

// Reads and writes of about 1 MiB: every call is a trip into the system, so fewer and larger ones cost less.
constexpr size_t kBatchBytes = size_t{1} << 20;
// One batch being read, two being worked on or waiting, one being written.
constexpr size_t kBatches = 4;

// A run of whole chunks read together, in plain text and as records of a chunk and its tag: the side that was
// read, the worker fills in the other.
struct Batch {
    std::unique_ptr<uint8_t[]> plain;
    std::unique_ptr<uint8_t[]> sealed;
    size_t plainSize = 0;
    size_t sealedSize = 0;
    uint64_t firstIndex = 0;
    bool final = false;  // its last chunk is the file's last
    PassResult result;
};

// The caller hands batches on in file order and takes them back, worked, in the same order.
class BatchWorker {
public:
    BatchWorker(std::function<void(Batch&)> work, bool threaded);
    ~BatchWorker();
    BatchWorker(const BatchWorker&) = delete;
    BatchWorker& operator=(const BatchWorker&) = delete;

    Batch* takeFree();  // none while all are on their way
    void release(Batch& batch);
    void hand(Batch& batch);
    Batch* nextDone();  // the earliest handed on, once worked; at least one must be on its way

private:
    void loop();

    std::vector<Batch> m_batches;
    std::function<void(Batch&)> m_work;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Batch*> m_free;
    std::deque<Batch*> m_toWork;
    std::deque<Batch*> m_done;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace ob7
