#pragma once
// The overlay's date and time in the user's locale, as Qt formats them.
#include <string>

class QDateTime;
class QLocale;
class QString;

namespace slidora {

// The local date and time of a day count (days since 1899-12-30).
QDateTime dateTimeOfDays(double days);

// The date in the locale's short date format, UTF-8.
std::string localShortDate(const QDateTime& when, const QLocale& locale);
// The time of day in the locale's long time format with any time-zone field
// removed and seconds added when the format has none, UTF-8.
std::string localTimeWithSeconds(const QDateTime& when, const QLocale& locale);
// The format localTimeWithSeconds uses, derived from a QTime/QLocale format
// string: zone fields ('t' runs) and the blanks or parentheses that only
// framed them are dropped; without a seconds field, ":ss" (or ".ss" when
// hours and minutes are separated by a dot) follows the minutes.
QString timeFormatWithSeconds(const QString& longTimeFormat);

// The two above for a day count in the user's locale: the overlay's texts.
std::string shortDateOfDays(double days);
std::string timeWithSecondsOfDays(double days);

} // namespace slidora
