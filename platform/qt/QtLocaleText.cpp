#include "platform/QtLocaleText.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <vector>

namespace slidora {
namespace {

// Calls f(index, character) for every character of a QTime format string
// that is not inside a quoted literal ('...', with '' standing for a quote).
template <class F> void forEachUnquoted(const QString& format, F f) {
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        if (format[i] != u'\'') {
            f(i, format[i]);
            ++i;
            continue;
        }
        ++i;
        while (i < n) {
            if (format[i] == u'\'') {
                if (i + 1 < n && format[i + 1] == u'\'') {
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            ++i;
        }
    }
}

bool isBlank(QChar c) {
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2009);
}

struct Run {
    qsizetype start;
    qsizetype end;
};

// Unquoted runs of field letter `letter` (or of either letter), in order.
std::vector<Run> fieldRuns(const QString& format, char16_t letter, char16_t other = 0) {
    std::vector<Run> runs;
    forEachUnquoted(format, [&](qsizetype i, QChar c) {
        if (c != letter && (other == 0 || c != other)) return;
        if (!runs.empty() && runs.back().end == i && format[runs.back().start] == c)
            runs.back().end = i + 1;
        else
            runs.push_back({i, i + 1});
    });
    return runs;
}

// Drops each zone field together with the blanks around it and parentheses
// that held nothing else; between two other parts one blank stays.
QString withoutZone(QString format) {
    const std::vector<Run> zones = fieldRuns(format, u't');
    for (auto it = zones.rbegin(); it != zones.rend(); ++it) {
        qsizetype a = it->start;
        qsizetype b = it->end;
        const auto widen = [&] {
            while (a > 0 && isBlank(format[a - 1]))
                --a;
            while (b < format.size() && isBlank(format[b]))
                ++b;
        };
        widen();
        if (a > 0 && b < format.size() && format[a - 1] == u'(' && format[b] == u')') {
            --a;
            ++b;
            widen();
        }
        QString keep;
        if (a > 0 && b < format.size()) {
            for (qsizetype i = a; i < b; ++i) {
                if (isBlank(format[i])) {
                    keep = format[i];
                    break;
                }
            }
        }
        format.replace(a, b - a, keep);
    }
    return format;
}

QString withSeconds(QString format) {
    bool hasSeconds = false;
    forEachUnquoted(format, [&](qsizetype, QChar c) { hasSeconds = hasSeconds || c == u's'; });
    if (hasSeconds) return format;
    const std::vector<Run> minutes = fieldRuns(format, u'm');
    // A time format without minutes is not one a locale ships; show a plain
    // 24-hour time rather than a time without seconds.
    if (minutes.empty()) return QStringLiteral("HH:mm:ss");
    const Run m = minutes.back();
    QChar separator = u':';
    for (const Run& h : fieldRuns(format, u'h', u'H')) {
        if (h.end < m.start && m.start - h.end == 1 && format[h.end] == u'.') separator = u'.';
    }
    format.insert(m.end, QString(separator) + QStringLiteral("ss"));
    return format;
}

} // namespace

QDateTime dateTimeOfDays(double days) {
    const auto whole = static_cast<qint64>(days);
    const double fraction = days - static_cast<double>(whole);
    const QDate date = QDate(1899, 12, 30).addDays(whole);
    const QTime time =
        QTime::fromMSecsSinceStartOfDay(static_cast<int>(fraction * 86400000.0) % 86400000);
    return QDateTime(date, time);
}

QString timeFormatWithSeconds(const QString& longTimeFormat) {
    return withSeconds(withoutZone(longTimeFormat));
}

std::string localShortDate(const QDateTime& when, const QLocale& locale) {
    return locale.toString(when.date(), QLocale::ShortFormat).toStdString();
}

std::string localTimeWithSeconds(const QDateTime& when, const QLocale& locale) {
    const QString format = timeFormatWithSeconds(locale.timeFormat(QLocale::LongFormat));
    return locale.toString(when.time(), format).toStdString();
}

std::string shortDateOfDays(double days) {
    return localShortDate(dateTimeOfDays(days), QLocale());
}

std::string timeWithSecondsOfDays(double days) {
    return localTimeWithSeconds(dateTimeOfDays(days), QLocale());
}

} // namespace slidora
