#pragma once
// Time as the saver's clock sees it, and the timer that drives it. Both are
// interfaces so the slideshow's rules can be driven by fakes in tests.
#include <functional>

namespace slidora {

// The local date and time as a count of days since 1899-12-30 00:00, the
// fraction being the time of day (so 0.5 is noon). Local time, because the
// active time of a show is reckoned on the wall clock.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual double nowDays() const = 0;
};

class SystemClock final : public Clock {
  public:
    double nowDays() const override;
};

// A timer that fires on the user-interface thread. An interval of 0 means
// stopped for good: switching it on then does nothing. Switching it on (from
// off) starts a full interval from that moment; switching on a timer that is
// already on changes nothing.
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void setIntervalMs(int intervalMs) = 0;
    virtual int intervalMs() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    virtual void setHandler(std::function<void()> handler) = 0;
};

} // namespace slidora
