#include "platform/Collation.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <numeric>

namespace slidora {

namespace {

// The case-insensitive collator also treats as equal what differs only by
// kana kind (あ, ア), character width (Ａ, A) or an ignorable character (a
// zero-width space). Such names are different files, so it decides the order
// and letter case alone may make two names equal: ties are broken by the
// locale's finer order of the case-folded texts, then by their code units.
class UserOrder {
  public:
    UserOrder() : m_coarse(QLocale()), m_fine(QLocale()) {
        m_coarse.setCaseSensitivity(Qt::CaseInsensitive);
        m_fine.setCaseSensitivity(Qt::CaseSensitive);
    }

    const QCollator& coarse() const { return m_coarse; }

    // In the C locale (LC_ALL=C, C.UTF-8) Qt's sort keys are the plain text
    // bytes whatever the case setting, unlike its compare(); folding the case
    // first keeps the keys case-insensitive there.
    bool plainKeys() const { return m_coarse.locale().language() == QLocale::C; }

    int breakTie(const QString& foldedA, const QString& foldedB) const {
        if (const int fine = m_fine.compare(foldedA, foldedB); fine != 0) return fine;
        return QString::compare(foldedA, foldedB, Qt::CaseSensitive);
    }

    int compare(const QString& a, const QString& b) const {
        if (const int c = m_coarse.compare(a, b); c != 0) return c;
        return breakTie(a.toCaseFolded(), b.toCaseFolded());
    }

  private:
    QCollator m_coarse;
    QCollator m_fine;
};

} // namespace

void sortPathsForUser(std::vector<std::string>& paths) {
    if (paths.size() < 2) return;
    const UserOrder order;
    const bool plainKeys = order.plainKeys();
    std::vector<QCollatorSortKey> keys;
    std::vector<QString> folded;
    keys.reserve(paths.size());
    folded.reserve(paths.size());
    for (const std::string& p : paths) {
        const QString text = QString::fromStdString(p);
        folded.push_back(text.toCaseFolded());
        keys.push_back(order.coarse().sortKey(plainKeys ? folded.back() : text));
    }
    const auto compareEntries = [&](std::size_t a, std::size_t b) {
        if (const int c = keys[a].compare(keys[b]); c != 0) return c;
        return order.breakTie(folded[a], folded[b]);
    };

    std::vector<std::size_t> sequence(paths.size());
    std::iota(sequence.begin(), sequence.end(), 0);
    // Stable, so among entries that compare equal the first met is kept.
    std::stable_sort(sequence.begin(), sequence.end(),
                     [&](std::size_t a, std::size_t b) { return compareEntries(a, b) < 0; });

    std::vector<std::string> sorted;
    sorted.reserve(paths.size());
    std::size_t last = sequence.size();
    for (std::size_t idx : sequence) {
        if (last != sequence.size() && compareEntries(last, idx) == 0) continue;
        sorted.push_back(std::move(paths[idx]));
        last = idx;
    }
    paths.swap(sorted);
}

int compareForUser(const std::string& a, const std::string& b) {
    return UserOrder().compare(QString::fromStdString(a), QString::fromStdString(b));
}

} // namespace slidora
