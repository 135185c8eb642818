#pragma once
// Preparing the next picture while the current one is on screen. The show
// asks for one preparation at a time, right after a picture appears, and
// takes its result at the tick that shows the next one; a preparation that
// is not done by then is waited for. A preparation that is no longer wanted
// (a newer request, or the stop) is given up at its next look for a stop
// (StopRequest.h) and never handed out.
#include "saver/PreparedPicture.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace slidora {

// The work one preparation runs.
using PreparationWork = std::function<Preparation(const PreparationRequest&)>;

// Called from the user-interface thread only.
class PicturePreparer {
  public:
    virtual ~PicturePreparer() = default;
    // Starts preparing; the result of an earlier request, taken or not, is
    // dropped.
    virtual void request(PreparationRequest request) = 0;
    // The result of the last request, waiting for it when it is not done;
    // empty when no request is outstanding or after stop().
    virtual std::optional<Preparation> take() = 0;
    // Drops every request and result and returns once no preparation runs
    // any more, giving up the one that runs; later requests are ignored.
    virtual void stop() = 0;
};

// Prepares on a thread of its own, which lives from construction to stop().
class ThreadedPreparer final : public PicturePreparer {
  public:
    explicit ThreadedPreparer(PreparationWork work);
    ~ThreadedPreparer() override;
    ThreadedPreparer(const ThreadedPreparer&) = delete;
    ThreadedPreparer& operator=(const ThreadedPreparer&) = delete;

    void request(PreparationRequest request) override;
    std::optional<Preparation> take() override;
    void stop() override;

  private:
    void run();

    const PreparationWork m_work;
    std::mutex m_mutex;
    // The worker waits here for a request or the stop.
    std::condition_variable m_wake;
    // take() waits here for the result.
    std::condition_variable m_finished;
    std::optional<PreparationRequest> m_next;
    std::optional<Preparation> m_result;
    // Counts the requests; a preparation finished for an older one is dropped.
    std::uint64_t m_requestNumber = 0;
    // The number of the request whose preparation is still wanted, 0 once
    // stopping; read without the lock by the running preparation's stop check.
    std::atomic<std::uint64_t> m_wanted{0};
    bool m_outstanding = false;
    bool m_stopping = false;
    // Last, so that it starts after everything it reads exists.
    std::thread m_thread;
};

} // namespace slidora
