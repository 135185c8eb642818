#include "platform/Random.h"
#include "tests/support/ScriptedRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace slidora {
namespace {

using test::ScriptedRandom;

// Every scripted source here fails the test when drawn past its end.
ScriptedRandom script(std::vector<double> values) {
    return ScriptedRandom(std::move(values), ScriptedRandom::PastEnd::Fail);
}

std::string joined(const std::vector<std::string>& v) {
    std::string out;
    for (const std::string& s : v)
        out += s;
    return out;
}

std::vector<std::string> letters(const std::string& s) {
    std::vector<std::string> out;
    for (char c : s)
        out.emplace_back(1, c);
    return out;
}

struct ShuffleCase {
    const char* input;
    std::vector<double> draws;
    const char* expected;
};

// Expected orders worked out by hand from the rule: for i from n-1 down to 0,
// j = int(r*n) while i < n div 2, else int(r*i); swap entries i and j.
TEST(ListShuffle, FollowsTheRuleStepByStep) {
    const ShuffleCase cases[] = {
        {"A", {0.9}, "A"},
        {"A", {0.0}, "A"},
        // Two entries: the first pass always exchanges them (j < 1); the
        // second pass draws from the whole list.
        {"AB", {0.0, 0.0}, "BA"},
        {"AB", {0.999999, 0.0}, "BA"},
        {"AB", {0.5, 0.49}, "BA"},
        {"AB", {0.0, 0.5}, "AB"},
        {"AB", {0.7, 0.999999}, "AB"},
        {"ABC", {0.5, 0.5, 0.5}, "ACB"},
        {"ABCDE", {0.5, 0.9, 0.1, 0.3, 0.99}, "CBAED"},
        {"ABCDE", {0.0, 0.0, 0.0, 0.0, 0.0}, "BCDEA"},
        {"ABCDE", {0.999999, 0.999999, 0.999999, 0.999999, 0.999999}, "EDBCA"},
        {"ABCDEF", {0.2, 0.6, 0.8, 0.4, 0.1, 0.95}, "BADECF"},
    };
    for (const ShuffleCase& c : cases) {
        std::vector<std::string> list = letters(c.input);
        ScriptedRandom random = script(c.draws);
        listShuffle(list, random);
        EXPECT_EQ(joined(list), c.expected) << "shuffling " << c.input;
        EXPECT_EQ(random.draws(), list.size()) << "one draw per entry for " << c.input;
    }
}

TEST(ListShuffle, TwoEntriesAreExchangedInTheFirstPassWhateverTheDraw) {
    for (double first : {0.0, 0.1, 0.5, 0.9, 0.999999}) {
        std::vector<int> list{1, 2};
        ScriptedRandom random = script({first, 0.0});
        listShuffle(list, random);
        EXPECT_EQ(list, (std::vector<int>{2, 1})) << "first draw " << first;
    }
}

TEST(ListShuffle, EmptyListDrawsNothing) {
    std::vector<int> list;
    ScriptedRandom random = script({});
    listShuffle(list, random);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(random.draws(), 0u);
}

TEST(ListShuffle, ClockSeededShuffleIsAPermutation) {
    ClockSeededRandom random;
    std::vector<int> list(1000);
    for (int i = 0; i < 1000; ++i)
        list[static_cast<std::size_t>(i)] = i;
    listShuffle(list, random);
    std::vector<int> sorted = list;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(sorted[static_cast<std::size_t>(i)], i);
}

TEST(ClockSeededRandom, StaysInTheHalfOpenUnitInterval) {
    ClockSeededRandom random;
    bool sawLow = false, sawHigh = false;
    for (int i = 0; i < 100000; ++i) {
        const double r = random.next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        sawLow = sawLow || r < 0.01;
        sawHigh = sawHigh || r > 0.99;
    }
    EXPECT_TRUE(sawLow && sawHigh) << "100000 draws never came near one end of [0, 1)";
}

TEST(RandomSource, BelowIsTheIntegerPartOfRTimesN) {
    struct Case {
        double r;
        int n;
        int expected;
    };
    const Case cases[] = {{0.0, 5, 0},      {0.199, 5, 0}, {0.2, 5, 1},
                          {0.999999, 5, 4}, {0.5, 1, 0},   {0.75, 4, 3}};
    for (const Case& c : cases) {
        ScriptedRandom random = script({c.r});
        EXPECT_EQ(random.below(c.n), c.expected) << "r " << c.r << " n " << c.n;
    }
}

} // namespace
} // namespace slidora
