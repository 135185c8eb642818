#include "platform/Collation.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <cctype>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace slidora {
namespace {

std::string lowered(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string listed(const std::vector<std::string>& v) {
    std::string out;
    for (const std::string& s : v)
        out += "[" + s + "]";
    return out;
}

// Sorts `paths` and expects them strictly ascending by the same comparison,
// holding exactly `firstSeen`: each name once, in the spelling first met.
void expectSortedToFirstSpellings(std::vector<std::string> paths,
                                  const std::vector<std::string>& firstSeen) {
    sortPathsForUser(paths);
    ASSERT_EQ(paths.size(), firstSeen.size());
    for (std::size_t i = 1; i < paths.size(); ++i)
        ASSERT_LT(compareForUser(paths[i - 1], paths[i]), 0)
            << paths[i - 1] << " before " << paths[i];
    const std::set<std::string> kept(paths.begin(), paths.end());
    const std::set<std::string> expected(firstSeen.begin(), firstSeen.end());
    EXPECT_TRUE(kept == expected) << "the kept spellings are not the first ones met";
}

struct SortCase {
    std::vector<std::string> input;
    std::vector<std::string> expected;
};

// Each case runs in the test environment's locale and in named ones (in C a
// list of plain ASCII paths is sorted without the collator): the
// expectations hold in any locale that orders plain ASCII letters
// alphabetically and ignores their case.
class SortPathsForUser : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        m_saved = QLocale();
        if (*GetParam() != '\0') QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
    }
    void TearDown() override { QLocale::setDefault(m_saved); }

  private:
    QLocale m_saved;
};

TEST_P(SortPathsForUser, OrdersIgnoringCaseAndKeepsTheFirstOfEqualEntries) {
    const SortCase cases[] = {
        {{}, {}},
        {{"/p/only.jpg"}, {"/p/only.jpg"}},
        {{"/p/Zeta.jpg", "/p/alpha.jpg", "/p/Beta.jpg"},
         {"/p/alpha.jpg", "/p/Beta.jpg", "/p/Zeta.jpg"}},
        {{"/p/b.jpg", "/p/A.jpg", "/p/a.jpg", "/p/C.jpg"}, {"/p/A.jpg", "/p/b.jpg", "/p/C.jpg"}},
        {{"/p/a.jpg", "/p/A.jpg"}, {"/p/a.jpg"}},
        {{"/p/A.jpg", "/p/a.jpg"}, {"/p/A.jpg"}},
        {{"/p/x.jpg", "/p/X.JPG", "/p/x.jpg", "/P/X.jpg"}, {"/p/x.jpg"}},
        // Files of the same name in different folders are different entries.
        {{"/q/a.jpg", "/p/A.JPG"}, {"/p/A.JPG", "/q/a.jpg"}},
        {{"/p/Sub/b.png", "/p/a.jpg"}, {"/p/a.jpg", "/p/Sub/b.png"}},
    };
    for (const SortCase& c : cases) {
        std::vector<std::string> paths = c.input;
        sortPathsForUser(paths);
        EXPECT_EQ(paths, c.expected) << "input " << listed(c.input) << " gave " << listed(paths);
    }
}

// Names that differ by more than letter case are different files: kana
// kind, character width, a zero-width character or an accent keep both.
TEST_P(SortPathsForUser, OnlyLetterCaseMakesNamesEqual) {
    const std::pair<const char*, const char*> pairs[] = {
        {"/写真/写真あ.jpg", "/写真/写真ア.jpg"},
        {"/p/Ａ.jpg", "/p/A.jpg"},
        {"/p/カ.jpg", "/p/ｶ.jpg"},
        {"/p/ab.jpg", "/p/a\u200Bb.jpg"},
        {"/p/ab.jpg", "/p/a\u00ADb.jpg"},
        {"/p/e.jpg", "/p/é.jpg"},
        {"/p/ｶﾞ.jpg", "/p/ガ.jpg"},
    };
    for (const auto& [a, b] : pairs) {
        for (const bool swapped : {false, true}) {
            std::vector<std::string> paths =
                swapped ? std::vector<std::string>{b, a} : std::vector<std::string>{a, b};
            sortPathsForUser(paths);
            if (paths.size() != 2) {
                ADD_FAILURE() << a << " and " << b << " gave " << listed(paths);
                continue;
            }
            EXPECT_LT(compareForUser(paths[0], paths[1]), 0) << listed(paths);
            std::vector<std::string> again = {paths[1], paths[0]};
            sortPathsForUser(again);
            EXPECT_EQ(again, paths)
                << "the order of " << a << " and " << b << " depends on the input order";
        }
        EXPECT_NE(compareForUser(a, b), 0) << a << " and " << b;
    }
}

TEST_P(SortPathsForUser, CompareForUserIgnoresCase) {
    EXPECT_EQ(compareForUser("/p/ABC.jpg", "/p/abc.JPG"), 0);
    EXPECT_LT(compareForUser("/p/apple.jpg", "/p/Banana.jpg"), 0);
    EXPECT_GT(compareForUser("/p/Cherry.jpg", "/p/banana.jpg"), 0);
}

TEST_P(SortPathsForUser, JapaneseNamesSurviveAndDuplicatesGo) {
    std::vector<std::string> paths = {"/写真/猫.jpg", "/写真/犬.jpg", "/写真/猫.jpg",
                                      "/写真/A.jpg"};
    sortPathsForUser(paths);
    ASSERT_EQ(paths.size(), 3u) << listed(paths);
    const std::set<std::string> got(paths.begin(), paths.end());
    EXPECT_EQ(got, (std::set<std::string>{"/写真/猫.jpg", "/写真/犬.jpg", "/写真/A.jpg"}));
    for (std::size_t i = 1; i < paths.size(); ++i)
        EXPECT_LT(compareForUser(paths[i - 1], paths[i]), 0);
}

// 100,000 generated paths with case-only duplicates: the result is strictly
// ascending by the same comparison and holds each path once, in the case it
// was first met.
TEST_P(SortPathsForUser, HundredThousandGeneratedPaths) {
    std::vector<std::string> paths;
    paths.reserve(100000);
    // Entry i and entry i + 30000 spell the same name in different letter
    // cases, so 70,000 entries are duplicates of one met earlier.
    std::vector<std::string> firstSeen;
    std::set<std::string> seenLower;
    for (int i = 0; i < 100000; ++i) {
        const std::uint32_t j = static_cast<std::uint32_t>(i % 30000);
        std::uint32_t h = j * 2654435761u + 12345u;
        std::string name = "/pics/";
        for (int k = 0; k < 6; ++k) {
            h = h * 1664525u + 1013904223u;
            const bool upper = (i / 30000 + k) % 2 == 0;
            name += static_cast<char>((upper ? 'A' : 'a') + (h >> 24) % 26);
            if (k == 2) name += '/';
        }
        name += std::to_string(j) + ".jpg";
        if (seenLower.insert(lowered(name)).second) firstSeen.push_back(name);
        paths.push_back(std::move(name));
    }
    ASSERT_LT(firstSeen.size(), paths.size()) << "the generator made no duplicates to drop";

    expectSortedToFirstSpellings(paths, firstSeen);
}

// A list long enough to be sorted in two halves, in a long shared folder:
// the order is the whole paths' order, and of the spellings of one name the
// first met is kept, also when the other stands in the other half.
TEST_P(SortPathsForUser, LongListInASharedFolderKeepsTheWholePathOrder) {
    const std::vector<std::string> names = {"Zoë", "zoe", "写真ア", "写真あ", "Ａ",   "a",
                                            "é",   "e",   "ｶﾞ",     "ガ",     "sub/x"};
    const std::string folder = "/ピクチャ/shared folder/";
    std::vector<std::string> paths;
    std::vector<std::string> firstSeen;
    std::set<std::string> seenLower;
    constexpr int kHalf = 1500;
    for (int i = 0; i < 2 * kHalf; ++i) {
        const int j = i % kHalf;
        std::string name = names[static_cast<std::size_t>(j) % names.size()] + "-" +
                           std::to_string(j / static_cast<int>(names.size())) + ".jpg";
        // The second half spells the first half's names in capitals.
        if (i >= kHalf)
            for (char& c : name)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::string path = folder + name;
        if (seenLower.insert(lowered(path)).second) firstSeen.push_back(path);
        paths.push_back(std::move(path));
    }
    expectSortedToFirstSpellings(paths, firstSeen);
}

INSTANTIATE_TEST_SUITE_P(Locales, SortPathsForUser,
                         ::testing::Values("", "C", "en_US", "ja_JP", "fr_CA"),
                         [](const ::testing::TestParamInfo<const char*>& p) {
                             return *p.param == '\0' ? std::string("Environment")
                                                     : std::string(p.param);
                         });

// Every printable ASCII character alone and in every pair, in each language
// sorted without the collator and in some that need it (Czech ch, Danish aa):
// the order is the collator's, and only letter case makes two names equal.
class AsciiOrder : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        m_saved = QLocale();
        QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
    }
    void TearDown() override { QLocale::setDefault(m_saved); }

  private:
    QLocale m_saved;
};

TEST_P(AsciiOrder, PrintableCharactersAndPairsSortAsTheCollatorOrdersThem) {
    std::vector<std::string> paths;
    std::vector<std::string> firstSeen;
    std::set<std::string> seenLower;
    const auto add = [&](std::string name) {
        std::string path = "/p/" + name;
        if (seenLower.insert(lowered(path)).second) firstSeen.push_back(path);
        paths.push_back(std::move(path));
    };
    for (char a = 0x20; a < 0x7f; ++a) {
        add(std::string(1, a));
        for (char b = 0x20; b < 0x7f; ++b)
            add(std::string{a, b});
    }
    expectSortedToFirstSpellings(paths, firstSeen);
}

INSTANTIATE_TEST_SUITE_P(Languages, AsciiOrder,
                         ::testing::Values("C", "en_US", "de_DE", "fr_FR", "it_IT", "pt_BR",
                                           "es_ES", "nl_NL", "ja_JP", "zh_CN", "ko_KR", "ru_RU",
                                           "uk_UA", "el_GR", "pl_PL", "sv_SE", "fi_FI", "ca_ES",
                                           "ro_RO", "id_ID", "cs_CZ"),
                         [](const ::testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param);
                         });

} // namespace
} // namespace slidora
