#include "platform/Collation.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <numeric>

namespace slidora {

namespace {
QCollator userCollator() {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}
} // namespace

void sortPathsForUser(std::vector<std::string>& paths) {
    if (paths.size() < 2) return;
    const QCollator collator = userCollator();
    // In the C locale (LC_ALL=C, C.UTF-8) Qt's sort keys are the plain text
    // bytes whatever the case setting, unlike its compare(); folding the case
    // first keeps the order and the duplicate test case-insensitive there.
    const bool plainKeys = collator.locale().language() == QLocale::C;
    std::vector<QCollatorSortKey> keys;
    keys.reserve(paths.size());
    for (const std::string& p : paths) {
        const QString text = QString::fromStdString(p);
        keys.push_back(collator.sortKey(plainKeys ? text.toCaseFolded() : text));
    }

    std::vector<std::size_t> order(paths.size());
    std::iota(order.begin(), order.end(), 0);
    // Stable, so among entries that compare equal the first met is kept.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });

    std::vector<std::string> sorted;
    sorted.reserve(paths.size());
    std::size_t last = order.size();
    for (std::size_t idx : order) {
        if (last != order.size() && keys[last].compare(keys[idx]) == 0) continue;
        sorted.push_back(std::move(paths[idx]));
        last = idx;
    }
    paths.swap(sorted);
}

int compareForUser(const std::string& a, const std::string& b) {
    return userCollator().compare(QString::fromStdString(a), QString::fromStdString(b));
}

} // namespace slidora
