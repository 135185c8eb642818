#pragma once
// The overlay's date and time in the user's regional formats.
#include <string>

namespace slidora::win {

// A calendar date and time of day, broken down as SYSTEMTIME holds it.
struct DayTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 6; // 0 Sunday; 1899-12-30 was a Saturday
    friend bool operator==(const DayTime&, const DayTime&) = default;
};

// A day count (days since 1899-12-30 00:00, the fraction being the time of
// day) broken down, rounded to the millisecond. Negative counts lie before
// 1899-12-30; the fraction still counts forward from that day's midnight.
DayTime dayTimeOfDays(double days);

// The user's short date format (GetDateFormatEx, DATE_SHORTDATE), UTF-8;
// empty when the system refuses the date.
std::string shortDateOfDays(double days);
// The user's long time format (GetTimeFormatEx with no flags, seconds
// included where the format has them), UTF-8; empty when refused.
std::string longTimeOfDays(double days);

} // namespace slidora::win
