#include "engine/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

namespace twinsift {
namespace {

// How long the calling thread sleeps between two looks at the window.
constexpr std::chrono::milliseconds kWaitSlice{10};

// A count beyond the cores only queues more reads on the same disks, and a
// huge one stops other programs from starting.
unsigned workerCount(unsigned wanted) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return wanted == 0 ? cores : std::min(wanted, cores * WorkerPool::kThreadsPerCore);
}

} // namespace

WorkerPool::WorkerPool(unsigned threads) {
    threads = workerCount(threads);
    m_threads.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        try {
            m_threads.emplace_back([this] { workerLoop(); });
        } catch (const std::exception&) {
            // Out of threads or processes (a ulimit, a full system): a slower
            // search beats none.
            break;
        }
    }
}

WorkerPool::Phase::Phase(WorkerPool& pool, std::function<bool()> whileWaiting) : m_pool(pool) {
    m_pool.m_whileWaiting = std::move(whileWaiting);
    m_pool.m_cancelled = false;
}

WorkerPool::Phase::~Phase() {
    m_pool.m_whileWaiting = nullptr;
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_work.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool WorkerPool::forEach(std::size_t count, const std::function<void(std::size_t)>& task) {
    if (count > 0 && !m_cancelled) {
        std::unique_lock lock(m_mutex);
        m_task = &task;
        m_count = count;
        m_next = 0;
        m_failure = nullptr;
        if (m_threads.empty()) {
            lock.unlock();
            runOnCallingThread(task, count);
            lock.lock();
        }
        ++m_generation;
        m_work.notify_all();
        std::exception_ptr waitingFailure;
        while (m_next < m_count || m_busy > 0) {
            if (!m_done.wait_for(lock, kWaitSlice,
                                 [&] { return m_next >= m_count && m_busy == 0; })) {
                lock.unlock();
                try {
                    keepGoing();
                } catch (...) {
                    // The workers still hold the task: they end first.
                    waitingFailure = std::current_exception();
                    m_cancelled = true;
                }
                lock.lock();
            }
        }
        m_task = nullptr;
        if (waitingFailure)
            std::rethrow_exception(waitingFailure);
        if (m_failure)
            std::rethrow_exception(std::exchange(m_failure, nullptr));
    }
    return keepGoing();
}

bool WorkerPool::keepGoing() {
    if (!m_cancelled && m_whileWaiting && !m_whileWaiting())
        m_cancelled = true;
    return !m_cancelled;
}

void WorkerPool::workerLoop() {
    std::size_t seen = 0;
    std::unique_lock lock(m_mutex);
    while (true) {
        m_work.wait(lock, [&] { return m_stopping || m_generation != seen; });
        if (m_stopping)
            return;
        seen = m_generation;
        // A worker that wakes after its job has ended finds no task left.
        if (!m_task)
            continue;
        const auto* task = m_task;
        const std::size_t count = m_count;
        ++m_busy;
        lock.unlock();
        runTasks(*task, count);
        lock.lock();
        if (--m_busy == 0 && m_next >= m_count)
            m_done.notify_all();
    }
}

void WorkerPool::runTasks(const std::function<void(std::size_t)>& task, std::size_t count) {
    for (std::size_t i = m_next++; i < count; i = m_next++) {
        if (m_cancelled) {
            m_next = count;
            break;
        }
        try {
            task(i);
        } catch (...) {
            keepFirstFailure();
        }
    }
}

// Without workers the tasks run here, with a look at the window between two
// tasks once the waiting thread would have taken one; a long task keeps the
// window waiting, as nothing else is left to run it.
void WorkerPool::runOnCallingThread(const std::function<void(std::size_t)>& task,
                                    std::size_t count) {
    using Clock = std::chrono::steady_clock;
    auto nextLook = Clock::now() + kWaitSlice;
    for (std::size_t i = m_next++; i < count && !m_cancelled; i = m_next++) {
        try {
            task(i);
        } catch (...) {
            keepFirstFailure();
        }
        if (Clock::now() >= nextLook) {
            keepGoing();
            nextLook = Clock::now() + kWaitSlice;
        }
    }
    m_next = count;
}

void WorkerPool::keepFirstFailure() {
    std::lock_guard lock(m_mutex);
    if (!m_failure)
        m_failure = std::current_exception();
}

} // namespace twinsift
