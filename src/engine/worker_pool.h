#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace twinsift {

// A few threads that read and digest files while the calling thread keeps
// the window alive. Tasks must not touch the window model: they get their
// inputs before forEach and leave their results in slots of their own. One
// pool serves a whole search, phase after phase.
class WorkerPool {
public:
    // Up to `threads` workers, 0 meaning one per core, and never more than
    // kThreadsPerCore per core. A worker the system cannot start is done
    // without: the pool carries on with those it has, and with none the
    // calling thread runs the tasks itself, looking at the window only
    // between tasks.
    explicit WorkerPool(unsigned threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    static constexpr unsigned kThreadsPerCore = 4;

    // One step of a search, from its start to its end. While it lives the
    // calling thread runs `whileWaiting` every few milliseconds inside
    // forEach and once more at the end; when that returns false the phase is
    // cancelled for good: tasks not yet started are skipped and cancelled()
    // turns true. The next phase starts uncancelled.
    class Phase {
    public:
        Phase(WorkerPool& pool, std::function<bool()> whileWaiting);
        ~Phase();
        Phase(const Phase&) = delete;
        Phase& operator=(const Phase&) = delete;

    private:
        WorkerPool& m_pool;
    };

    unsigned threadCount() const { return static_cast<unsigned>(m_threads.size()); }

    // Runs task(i) for every i below `count`, started in ascending order of i,
    // and returns when every started task has ended; false when the phase is
    // cancelled (some tasks may then not have run). The first exception a
    // task throws is rethrown here once the others have ended.
    bool forEach(std::size_t count, const std::function<void(std::size_t)>& task);

    // Long tasks look at this between reads and give up when it is set.
    const std::atomic<bool>& cancelled() const { return m_cancelled; }

private:
    void workerLoop();
    void runTasks(const std::function<void(std::size_t)>& task, std::size_t count);
    void runOnCallingThread(const std::function<void(std::size_t)>& task, std::size_t count);
    void keepFirstFailure();
    bool keepGoing();

    std::function<bool()> m_whileWaiting;
    std::vector<std::thread> m_threads;
    std::atomic<bool> m_cancelled{false};

    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_done;
    // The job in hand, guarded by m_mutex except the index counter.
    const std::function<void(std::size_t)>* m_task = nullptr;
    std::size_t m_count = 0;
    std::atomic<std::size_t> m_next{0};
    unsigned m_busy = 0;
    std::size_t m_generation = 0;
    bool m_stopping = false;
    std::exception_ptr m_failure;
};

} // namespace twinsift
