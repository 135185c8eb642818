// The overlay's date and time in the user's locale: zone fields dropped,
// seconds always shown.
#include "platform/QtLocaleText.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace slidora {
namespace {

struct FormatCase {
    const char* longFormat;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << '"' << c.longFormat << '"';
}

class TimeFormatTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(TimeFormatTable, DropsZoneAndKeepsSeconds) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(timeFormatWithSeconds(QString::fromUtf8(c.longFormat)).toStdString(), c.expected)
        << c.longFormat;
}

// The format with every run of other characters as one '_', then its place.
std::string formatCaseName(const ::testing::TestParamInfo<FormatCase>& info) {
    std::string name;
    for (const char* p = info.param.longFormat; *p != 0; ++p) {
        const bool plain =
            (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9');
        if (plain)
            name += *p;
        else if (name.empty() || name.back() != '_')
            name += '_';
    }
    return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TimeFormatTable,
    ::testing::Values(
        FormatCase{"h:mm:ss AP t", "h:mm:ss AP"}, FormatCase{"HH:mm:ss t", "HH:mm:ss"},
        FormatCase{"t HH:mm:ss", "HH:mm:ss"}, FormatCase{"H:mm:ss (t)", "H:mm:ss"},
        FormatCase{"HH:mm:ss tttt", "HH:mm:ss"}, FormatCase{"HH:mm t 'Uhr'", "HH:mm:ss 'Uhr'"},
        FormatCase{"H時mm分ss秒 t", "H時mm分ss秒"},
        FormatCase{"AP h시 m분 s초 t", "AP h시 m분 s초"}, FormatCase{"h:mm AP", "h:mm:ss AP"},
        FormatCase{"H.mm", "H.mm.ss"}, FormatCase{"HH'h'mm", "HH'h'mm:ss"},
        FormatCase{"HH:mm 'at'", "HH:mm:ss 'at'"}, FormatCase{"HH:mm 'o''s'", "HH:mm:ss 'o''s'"},
        FormatCase{"HH:mm:ss", "HH:mm:ss"}),
    formatCaseName);

// Newer locale data puts a narrow no-break space before AM/PM.
std::string withPlainBlanks(std::string text) {
    const std::string narrow = "\u202F";
    for (std::size_t at = text.find(narrow); at != std::string::npos; at = text.find(narrow))
        text.replace(at, narrow.size(), " ");
    return text;
}

const QDateTime kWhen(QDate(2001, 2, 3), QTime(12, 34, 56));

TEST(LocalFormats, UnitedStatesEnglish) {
    const QLocale locale(QStringLiteral("en_US"));
    EXPECT_EQ(localShortDate(kWhen, locale), "2/3/01");
    EXPECT_EQ(withPlainBlanks(localTimeWithSeconds(kWhen, locale)), "12:34:56 PM");
    const QDateTime morning(QDate(2001, 2, 3), QTime(9, 5, 7));
    EXPECT_EQ(withPlainBlanks(localTimeWithSeconds(morning, locale)), "9:05:07 AM");
}

TEST(LocalFormats, Japanese) {
    const QLocale locale(QStringLiteral("ja_JP"));
    EXPECT_EQ(localShortDate(kWhen, locale), "2001/02/03");
    EXPECT_EQ(localTimeWithSeconds(kWhen, locale), "12時34分56秒");
    const QDateTime evening(QDate(2001, 2, 3), QTime(21, 5, 9));
    EXPECT_EQ(localTimeWithSeconds(evening, locale), "21時05分09秒");
}

// Every locale Qt knows yields a time with its seconds and no zone name.
TEST(LocalFormats, EveryLocaleShowsSecondsAndNoZone) {
    const QDateTime utc(QDate(2001, 2, 3), QTime(12, 34, 56), QTimeZone::utc());
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 100);
    for (const QLocale& locale : locales) {
        const QString format = timeFormatWithSeconds(locale.timeFormat(QLocale::LongFormat));
        const QString shown = locale.toString(utc, format);
        EXPECT_TRUE(shown.contains(locale.toString(56)))
            << locale.name().toStdString() << ": " << shown.toStdString();
        EXPECT_FALSE(shown.contains(QStringLiteral("UTC")) || shown.contains(QStringLiteral("GMT")))
            << locale.name().toStdString() << ": " << shown.toStdString();
    }
}

TEST(LocalFormats, DayCountsAreLocalDatesAndTimes) {
    // 36925 days after 1899-12-30 is 2001-02-03; .75 is 18:00.
    EXPECT_EQ(dateTimeOfDays(36925.75), QDateTime(QDate(2001, 2, 3), QTime(18, 0)));
    EXPECT_EQ(dateTimeOfDays(2.0), QDateTime(QDate(1900, 1, 1), QTime(0, 0)));
}

} // namespace
} // namespace slidora
