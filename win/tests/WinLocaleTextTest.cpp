#include "platform/win/WinLocaleText.h"

#include <gtest/gtest.h>

namespace slidora::win {
namespace {

struct DayCase {
    const char* name;
    double days;
    DayTime expected;
};

class DayTimeOfDays : public ::testing::TestWithParam<DayCase> {};

TEST_P(DayTimeOfDays, BrokenDown) {
    EXPECT_EQ(dayTimeOfDays(GetParam().days), GetParam().expected);
}

// year, month, day, hour, minute, second, millisecond, day of the week
INSTANTIATE_TEST_SUITE_P(
    Counts, DayTimeOfDays,
    ::testing::Values(
        DayCase{"count_zero", 0.0, {1899, 12, 30, 0, 0, 0, 0, 6}},
        DayCase{"noon_of_day_one", 1.5, {1899, 12, 31, 12, 0, 0, 0, 0}},
        DayCase{"unix_epoch", 25569.0, {1970, 1, 1, 0, 0, 0, 0, 4}},
        DayCase{"leap_day_2000", 36585.0, {2000, 2, 29, 0, 0, 0, 0, 2}},
        DayCase{"no_leap_day_1900", 61.0, {1900, 3, 1, 0, 0, 0, 0, 4}},
        DayCase{"time_of_day",
                36892.0 + (12 * 3600 + 34 * 60 + 56) / 86400.0,
                {2001, 1, 1, 12, 34, 56, 0, 1}},
        DayCase{"a_hair_before_midnight_rounds_up", 36892.0 - 1e-10, {2001, 1, 1, 0, 0, 0, 0, 1}},
        DayCase{"last_millisecond", 36892.0 - 0.001 / 86400, {2000, 12, 31, 23, 59, 59, 999, 0}},
        DayCase{"before_the_count_start", -1.25, {1899, 12, 28, 18, 0, 0, 0, 4}}),
    [](const ::testing::TestParamInfo<DayCase>& p) { return std::string(p.param.name); });

TEST(RegionalText, OutsideSystemTimesRangeIsEmpty) {
    // 1500-12-30 lies before the first year SYSTEMTIME holds.
    EXPECT_EQ(shortDateOfDays(-145732.0), "");
    EXPECT_EQ(longTimeOfDays(-145732.0), "");
}

TEST(RegionalText, ADateAndATimeAreWritten) {
    EXPECT_NE(shortDateOfDays(36892.5), "");
    EXPECT_NE(longTimeOfDays(36892.5), "");
}

} // namespace
} // namespace slidora::win
