#include "platform/win/WinLocaleText.h"

#include "platform/win/Utf16.h"

#include <windows.h>

#include <cmath>
#include <cstdint>

namespace slidora::win {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Days from 1899-12-30 to 1970-01-01.
constexpr std::int64_t kUnixEpochDays = 25569;

// Gregorian date of a day number counted from 1970-01-01 (Howard Hinnant's
// civil-from-days).
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

SYSTEMTIME systemTimeOf(const DayTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wDayOfWeek = static_cast<WORD>(t.dayOfWeek);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    st.wMilliseconds = static_cast<WORD>(t.millisecond);
    return st;
}

// SYSTEMTIME holds years 1601 to 30827 only.
bool representable(const DayTime& t) {
    return t.year >= 1601 && t.year <= 30827;
}

} // namespace

DayTime dayTimeOfDays(double days) {
    DayTime t;
    if (!std::isfinite(days)) return t;
    const double whole = std::floor(days);
    std::int64_t dayNumber = static_cast<std::int64_t>(whole);
    std::int64_t ms = std::llround((days - whole) * static_cast<double>(kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++dayNumber;
    }
    civilFromDays(dayNumber - kUnixEpochDays, t.year, t.month, t.day);
    // 1970-01-01 was a Thursday (4).
    const std::int64_t weekday = ((dayNumber - kUnixEpochDays) % 7 + 7 + 4) % 7;
    t.dayOfWeek = static_cast<int>(weekday);
    t.hour = static_cast<int>(ms / 3'600'000);
    t.minute = static_cast<int>(ms / 60'000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

std::string shortDateOfDays(double days) {
    const DayTime t = dayTimeOfDays(days);
    if (!representable(t)) return {};
    const SYSTEMTIME st = systemTimeOf(t);
    wchar_t buffer[128];
    const int n = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer,
                                  static_cast<int>(std::size(buffer)), nullptr);
    if (n <= 1) return {};
    return toUtf8(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)));
}

std::string longTimeOfDays(double days) {
    const DayTime t = dayTimeOfDays(days);
    if (!representable(t)) return {};
    const SYSTEMTIME st = systemTimeOf(t);
    wchar_t buffer[128];
    const int n = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, buffer,
                                  static_cast<int>(std::size(buffer)));
    if (n <= 1) return {};
    return toUtf8(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)));
}

} // namespace slidora::win
