#pragma once
// Giving up a picture that is no longer wanted. The worker that prepares the
// next picture installs a check for the length of one preparation, on its
// own thread; the decoders and the resampler bridge ask it between blocks of
// rows and, when it answers yes, give up with what they hold. Giving up says
// nothing about the file: the half-made picture is thrown away and the file
// stays in the show. A thread without a check (the user-interface thread)
// never gives up.
#include <functional>
#include <utility>

namespace slidora {

// Must not throw; it is called from inside the decoders' library callbacks.
using StopCheck = std::function<bool()>;

namespace detail {
inline thread_local const StopCheck* t_stopCheck = nullptr;
} // namespace detail

// Installs `check` for the calling thread until the scope ends; scopes nest.
class StopScope {
  public:
    explicit StopScope(StopCheck check) : m_check(std::move(check)), m_outer(detail::t_stopCheck) {
        detail::t_stopCheck = &m_check;
    }
    ~StopScope() { detail::t_stopCheck = m_outer; }
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

  private:
    StopCheck m_check;
    const StopCheck* m_outer;
};

// Whether the work running on this thread is no longer wanted.
inline bool stopRequested() noexcept {
    const StopCheck* check = detail::t_stopCheck;
    return check != nullptr && *check && (*check)();
}

} // namespace slidora
