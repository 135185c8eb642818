#include "platform/Clock.h"

#include <sys/time.h>

#include <ctime>

namespace slidora {

double SystemClock::nowDays() const {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    const std::time_t secs = tv.tv_sec;
    std::tm local{};
    ::localtime_r(&secs, &local);
    // Day count of the local calendar date: days from 1899-12-30 to 1970-01-01
    // are 25569; timegm turns the local broken-down date into whole days.
    std::tm dateOnly = local;
    dateOnly.tm_hour = dateOnly.tm_min = dateOnly.tm_sec = 0;
    const double days = static_cast<double>(::timegm(&dateOnly) / 86400) + 25569.0;
    const double secondsOfDay =
        local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + tv.tv_usec / 1e6;
    return days + secondsOfDay / 86400.0;
}

} // namespace slidora
