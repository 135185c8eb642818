#pragma once
// The clock's day count (days since 1899-12-30 00:00, the fraction the time
// of day) of a wall-clock date and time, as SystemClock reads the local time.
#include <windows.h>

namespace slidora::win {

// 0.0 for a date the system cannot convert (before 1601 or invalid).
double dayCountOf(const SYSTEMTIME& wallClock);

} // namespace slidora::win
