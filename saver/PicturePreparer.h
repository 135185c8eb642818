#pragma once
// Preparing pictures off the user-interface thread. The show asks for one
// preparation at a time: right after a picture appears, the one the cycle
// shows next; at a tick whose picture is not ready, that one. It takes the
// result once the preparation is done and is told when that is, so the
// user-interface thread never waits for a picture. A preparation that is no
// longer wanted (a newer request, or the stop) is given up at its next look
// for a stop (StopRequest.h) and never handed out.
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
// Called on the preparing thread each time a result is ready to be taken.
using PreparationDone = std::function<void()>;

// Called from the user-interface thread only.
class PicturePreparer {
  public:
    virtual ~PicturePreparer() = default;
    // Starts preparing; the result of an earlier request, taken or not, is
    // dropped.
    virtual void request(PreparationRequest request) = 0;
    // The result of the last request once it is done; empty while it runs,
    // when no request is outstanding, and after stop(). Never waits.
    virtual std::optional<Preparation> takeDone() = 0;
    // Drops every request and result and returns once no preparation runs
    // any more, giving up the one that runs; later requests are ignored.
    virtual void stop() = 0;
};

// Prepares on a thread of its own, which lives from construction to stop().
// `done` (may be empty) runs on that thread after each result is stored.
class ThreadedPreparer final : public PicturePreparer {
  public:
    explicit ThreadedPreparer(PreparationWork work, PreparationDone done = {});
    ~ThreadedPreparer() override;
    ThreadedPreparer(const ThreadedPreparer&) = delete;
    ThreadedPreparer& operator=(const ThreadedPreparer&) = delete;

    void request(PreparationRequest request) override;
    std::optional<Preparation> takeDone() override;
    // The result of the last request, waiting for it when it is not done;
    // empty when no request is outstanding or after stop().
    std::optional<Preparation> take();
    void stop() override;

  private:
    void run();

    const PreparationWork m_work;
    const PreparationDone m_done;
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
