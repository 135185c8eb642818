#include "platform/Clock.h"

#include "platform/win/WinDayCount.h"

namespace slidora {

namespace {

// 100-nanosecond intervals per day, and the days from 1601-01-01 (the file
// time epoch) to 1899-12-30 (day 0 of the day count).
constexpr double kTicksPerDay = 864000000000.0;
constexpr double kDaysFrom1601To1899 = 109205.0;

} // namespace

double win::dayCountOf(const SYSTEMTIME& wallClock) {
    // The wall-clock time read as if it were UTC gives the local calendar's
    // day count, as the day count is meant.
    FILETIME asFileTime{};
    if (!::SystemTimeToFileTime(&wallClock, &asFileTime)) return 0.0;
    ULARGE_INTEGER ticks{};
    ticks.LowPart = asFileTime.dwLowDateTime;
    ticks.HighPart = asFileTime.dwHighDateTime;
    return static_cast<double>(ticks.QuadPart) / kTicksPerDay - kDaysFrom1601To1899;
}

double SystemClock::nowDays() const {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return win::dayCountOf(local);
}

} // namespace slidora
