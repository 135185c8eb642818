#include "saver/PicturePreparer.h"

#include "saver/picture/StopRequest.h"

#include <utility>

namespace slidora {

ThreadedPreparer::ThreadedPreparer(PreparationWork work, PreparationDone done)
    : m_work(std::move(work)), m_done(std::move(done)), m_thread([this] { run(); }) {}

ThreadedPreparer::~ThreadedPreparer() {
    stop();
}

void ThreadedPreparer::request(PreparationRequest request) {
    std::optional<Preparation> dropped;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping) return;
        m_next = std::move(request);
        ++m_requestNumber;
        m_wanted.store(m_requestNumber, std::memory_order_relaxed);
        m_outstanding = true;
        dropped = std::exchange(m_result, std::nullopt);
    }
    m_wake.notify_one();
}

std::optional<Preparation> ThreadedPreparer::takeDone() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_outstanding || !m_result) return std::nullopt;
    m_outstanding = false;
    return std::exchange(m_result, std::nullopt);
}

std::optional<Preparation> ThreadedPreparer::take() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_outstanding) return std::nullopt;
    m_finished.wait(lock, [this] { return m_result.has_value() || m_stopping; });
    m_outstanding = false;
    return std::exchange(m_result, std::nullopt);
}

void ThreadedPreparer::stop() {
    // First, so that the running preparation gives up while the lock is
    // still to be had.
    m_wanted.store(0, std::memory_order_relaxed);
    std::optional<Preparation> dropped;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_next.reset();
        m_outstanding = false;
        dropped = std::exchange(m_result, std::nullopt);
    }
    m_wake.notify_one();
    m_finished.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void ThreadedPreparer::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_next.has_value(); });
        if (m_stopping) return;
        const PreparationRequest request = std::move(*m_next);
        m_next.reset();
        const std::uint64_t number = m_requestNumber;
        lock.unlock();
        // The picture-sized buffers of a dropped result are freed outside
        // the lock, so the user-interface thread never waits on that.
        std::optional<Preparation> done;
        try {
            const StopScope scope(
                [this, number] { return m_wanted.load(std::memory_order_relaxed) != number; });
            done = m_work(request);
        } catch (...) {
            // Raised again where the show takes the result.
            done.emplace();
            done->request = request;
            done->error = std::current_exception();
        }
        lock.lock();
        if (number == m_requestNumber && !m_stopping) {
            m_result = std::move(done);
            m_finished.notify_all();
            if (m_done) {
                lock.unlock();
                m_done();
                lock.lock();
            }
        } else {
            lock.unlock();
            done.reset();
            lock.lock();
        }
    }
}

} // namespace slidora
