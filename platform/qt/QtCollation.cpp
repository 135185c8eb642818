#include "platform/Collation.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <numeric>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

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

// Every path of a walked folder starts with that folder: comparing the
// paths after their shared folder part orders them as the whole paths do
// (the sort key of a text is the keys of its parts in sequence, level by
// level, and a folder part ends at a separator, which joins no character
// after it). One collation reverses its accent level, French as written in
// Canada: there a shared part changes how texts that differ only by accents
// compare, so it is kept whole.
std::size_t sharedFolderLength(const std::vector<std::string>& paths) {
    const QLocale locale;
    if (locale.language() == QLocale::French && locale.territory() == QLocale::Canada) return 0;
    std::string_view shared = paths.front();
    for (const std::string& p : paths) {
        std::size_t n = 0;
        const std::size_t most = std::min(shared.size(), p.size());
        while (n < most && shared[n] == p[n])
            ++n;
        shared = shared.substr(0, n);
    }
    const std::size_t slash = shared.find_last_of('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Sorts `paths[from, to)` by their texts after the first `skip` bytes, into
// `sequence` (the entries' numbers, stable). Each part of a split sort has a
// collator of its own: a collator is not shared between threads.
class SortedPart {
  public:
    SortedPart(const std::vector<std::string>& paths, std::size_t from, std::size_t to,
               std::size_t skip)
        : m_from(from) {
        const bool plainKeys = m_order.plainKeys();
        m_keys.reserve(to - from);
        m_folded.reserve(to - from);
        for (std::size_t i = from; i < to; ++i) {
            const std::string& p = paths[i];
            const QString text =
                QString::fromUtf8(p.data() + skip, static_cast<qsizetype>(p.size() - skip));
            m_folded.push_back(text.toCaseFolded());
            m_keys.push_back(m_order.coarse().sortKey(plainKeys ? m_folded.back() : text));
        }
        m_sequence.resize(to - from);
        std::iota(m_sequence.begin(), m_sequence.end(), from);
        // Stable, so among entries that compare equal the first met is kept.
        std::stable_sort(
            m_sequence.begin(), m_sequence.end(),
            [this](std::size_t a, std::size_t b) { return compare(*this, a, *this, b) < 0; });
    }

    // Entries `a` of `one` and `b` of `other`, both made with the same locale.
    static int compare(const SortedPart& one, std::size_t a, const SortedPart& other,
                       std::size_t b) {
        const std::size_t i = a - one.m_from;
        const std::size_t j = b - other.m_from;
        if (const int c = one.m_keys[i].compare(other.m_keys[j]); c != 0) return c;
        return one.m_order.breakTie(one.m_folded[i], other.m_folded[j]);
    }

    bool holds(std::size_t entry) const {
        return entry >= m_from && entry < m_from + m_keys.size();
    }
    const std::vector<std::size_t>& sequence() const { return m_sequence; }

  private:
    UserOrder m_order;
    std::size_t m_from;
    std::vector<QCollatorSortKey> m_keys;
    std::vector<QString> m_folded;
    std::vector<std::size_t> m_sequence;
};

// The collator's order of the printable ASCII characters in the common
// collation, from the first to the last; a letter stands for both its cases,
// which compare equal at the case-insensitive level.
constexpr std::string_view kCommonAsciiOrder =
    " _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$0123456789abcdefghijklmnopqrstuvwxyz";

// Each byte's weight in a sort on bytes; 0 for a byte such a sort cannot
// take (everything above ASCII, and in the common order the control
// characters).
using ByteWeights = std::array<unsigned char, 128>;

constexpr ByteWeights commonAsciiWeights() {
    ByteWeights w{};
    for (std::size_t i = 0; i < kCommonAsciiOrder.size(); ++i) {
        const auto c = static_cast<unsigned char>(kCommonAsciiOrder[i]);
        w[c] = static_cast<unsigned char>(i + 1);
        if (c >= 'a' && c <= 'z') w[c - 'a' + 'A'] = w[c];
    }
    return w;
}

// In C (LC_ALL=C, C.UTF-8): the bytes themselves, the letters lowered.
constexpr ByteWeights plainAsciiWeights() {
    ByteWeights w{};
    for (std::size_t c = 0; c < w.size(); ++c)
        w[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return w;
}

constexpr ByteWeights kCommonWeights = commonAsciiWeights();
constexpr ByteWeights kPlainWeights = plainAsciiWeights();
static_assert(kCommonAsciiOrder.size() == 0x7f - 0x20 - 26, "every printable character once");

// Languages whose collation leaves the printable ASCII characters in the
// common order: no letter moved (Estonian z, Lithuanian y), no pair that
// sorts as one letter (Czech ch, Danish aa, Croatian lj, Hungarian cs), no
// dotted and dotless i (Turkish). The tests hold each against the collator.
constexpr QLocale::Language kCommonOrderLanguages[] = {
    QLocale::English,    QLocale::German,   QLocale::French,    QLocale::Italian,
    QLocale::Portuguese, QLocale::Spanish,  QLocale::Dutch,     QLocale::Japanese,
    QLocale::Chinese,    QLocale::Korean,   QLocale::Russian,   QLocale::Ukrainian,
    QLocale::Greek,      QLocale::Polish,   QLocale::Swedish,   QLocale::Finnish,
    QLocale::Catalan,    QLocale::Romanian, QLocale::Indonesian};

// The weights that order texts of printable ASCII as the locale's collator
// does, or null where only the collator can.
const ByteWeights* asciiWeightsOf(const QLocale& locale) {
    if (locale.language() == QLocale::C) return &kPlainWeights;
    for (const QLocale::Language language : kCommonOrderLanguages)
        if (locale.language() == language) return &kCommonWeights;
    return nullptr;
}

// For plain ASCII texts the collator's case-insensitive order is a
// comparison of their characters one by one, in C by their bytes with the
// letters lowered, elsewhere by the order above; only letter case makes two
// texts equal, so the finer levels decide nothing. A list whose texts after
// `skip` are all such is sorted on those weights here, without the
// collator's keys: several times less work, and no collator to load, which
// a large folder pays at the start of every show. False, and `paths`
// untouched, when the locale or a text calls for the collator.
bool sortPlainAscii(std::vector<std::string>& paths, std::size_t skip) {
    const ByteWeights* weights = asciiWeightsOf(QLocale());
    if (weights == nullptr) return false;
    std::vector<std::string> keys;
    keys.reserve(paths.size());
    for (const std::string& p : paths) {
        std::string key = p.substr(skip);
        for (char& c : key) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x80) return false;
            const unsigned char weight = (*weights)[byte];
            if (weight == 0) return false;
            c = static_cast<char>(weight);
        }
        keys.push_back(std::move(key));
    }
    // Sorted on each key's first eight weights as one number, which orders
    // as the key's start does (no weight is 0), and on the whole keys where
    // those are equal: most comparisons then touch no key.
    struct Entry {
        std::uint64_t head;
        std::size_t index;
    };
    std::vector<Entry> sequence(paths.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::uint64_t head = 0;
        for (std::size_t k = 0; k < 8; ++k)
            head = (head << 8) | (k < keys[i].size() ? static_cast<unsigned char>(keys[i][k]) : 0U);
        sequence[i] = {head, i};
    }
    // Stable, so of the spellings of one name the first met is kept.
    std::stable_sort(sequence.begin(), sequence.end(), [&keys](const Entry& a, const Entry& b) {
        return a.head != b.head ? a.head < b.head : keys[a.index] < keys[b.index];
    });
    std::vector<std::string> sorted;
    sorted.reserve(paths.size());
    const std::string* last = nullptr;
    for (const Entry& entry : sequence) {
        if (last != nullptr && *last == keys[entry.index]) continue;
        sorted.push_back(std::move(paths[entry.index]));
        last = &keys[entry.index];
    }
    paths.swap(sorted);
    return true;
}

// Below this many paths a second thread costs more than it saves.
constexpr std::size_t kSplitSortFrom = 2000;

} // namespace

void sortPathsForUser(std::vector<std::string>& paths) {
    if (paths.size() < 2) return;
    const std::size_t skip = sharedFolderLength(paths);
    if (sortPlainAscii(paths, skip)) return;
    // A large list is sorted in two halves at once, then merged: the
    // halves' keys and sorts are the bulk of the work. The merge takes the
    // first half's entry of two that compare equal, so the sort stays stable.
    std::size_t half = paths.size() >= kSplitSortFrom ? paths.size() / 2 : paths.size();
    std::optional<SortedPart> first;
    std::optional<SortedPart> second;
    std::exception_ptr secondFailed;
    {
        std::jthread secondHalf;
        if (half < paths.size()) {
            try {
                secondHalf = std::jthread([&] {
                    try {
                        second.emplace(paths, half, paths.size(), skip);
                    } catch (...) {
                        secondFailed = std::current_exception();
                    }
                });
            } catch (const std::system_error&) {
                half = paths.size(); // no thread to be had: one part, sorted here
            }
        }
        first.emplace(paths, 0, half, skip);
    }
    if (secondFailed) std::rethrow_exception(secondFailed);

    const auto partOf = [&](std::size_t entry) -> const SortedPart& {
        return first->holds(entry) ? *first : *second;
    };
    const auto compareEntries = [&](std::size_t a, std::size_t b) {
        return SortedPart::compare(partOf(a), a, partOf(b), b);
    };
    std::vector<std::size_t> sequence;
    if (second) {
        sequence.resize(paths.size());
        std::merge(first->sequence().begin(), first->sequence().end(), second->sequence().begin(),
                   second->sequence().end(), sequence.begin(),
                   [&](std::size_t a, std::size_t b) { return compareEntries(a, b) < 0; });
    } else {
        sequence = first->sequence();
    }

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
