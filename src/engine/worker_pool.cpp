#include "engine/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace twinsift {
namespace {

// How long the calling thread sleeps between two looks at the window.
constexpr std::chrono::milliseconds kWaitSlice{10};

} // namespace

WorkerPool::WorkerPool(unsigned threads, std::function<bool()> whileWaiting)
    : m_whileWaiting(std::move(whileWaiting)) {
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    m_threads.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { workerLoop(); });
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
        ++m_generation;
        m_work.notify_all();
        while (m_next < m_count || m_busy > 0) {
            if (!m_done.wait_for(lock, kWaitSlice,
                                 [&] { return m_next >= m_count && m_busy == 0; })) {
                lock.unlock();
                keepGoing();
                lock.lock();
            }
        }
        m_task = nullptr;
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
            std::lock_guard lock(m_mutex);
            if (!m_failure)
                m_failure = std::current_exception();
        }
    }
}

} // namespace twinsift
