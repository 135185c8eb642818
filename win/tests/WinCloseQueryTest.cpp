#include "saver/win/WinCloseQuery.h"

#include <gtest/gtest.h>

#include <string>

namespace slidora::win {
namespace {

// The system as a test sets it up, and what the query did with it.
struct FakeSystem {
    std::optional<unsigned long> usePassword;
    std::optional<bool> verified;
    int registryReads = 0;
    int moduleCalls = 0;
    std::string cursor; // "+" for each ShowCursor(TRUE), "-" for FALSE

    CloseQueryFacts facts(bool preview, int platformKind) {
        CloseQueryFacts f;
        f.preview = preview;
        f.platformKind = platformKind;
        f.usePassword = [this] {
            ++registryReads;
            return usePassword;
        };
        f.verifyPassword = [this] {
            ++moduleCalls;
            return verified;
        };
        f.showCursor = [this](bool show) { cursor += show ? "+" : "-"; };
        return f;
    }
};

struct QueryCase {
    const char* name;
    bool preview;
    int platformKind;
    std::optional<unsigned long> usePassword;
    std::optional<bool> verified;
    bool allows;
    int registryReads;
    int moduleCalls;
    const char* cursor;
};

class CloseQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(CloseQuery, Decides) {
    const QueryCase& c = GetParam();
    FakeSystem system;
    system.usePassword = c.usePassword;
    system.verified = c.verified;
    EXPECT_EQ(closeQueryAllows(system.facts(c.preview, c.platformKind)), c.allows);
    EXPECT_EQ(system.registryReads, c.registryReads);
    EXPECT_EQ(system.moduleCalls, c.moduleCalls);
    EXPECT_EQ(system.cursor, c.cursor);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, CloseQuery,
    ::testing::Values(
        QueryCase{"preview_never_asks", true, 1, 1UL, false, true, 0, 0, ""},
        QueryCase{"nt_family_never_asks", false, 2, 1UL, false, true, 0, 0, ""},
        QueryCase{"unknown_family_never_asks", false, 0, 1UL, false, true, 0, 0, ""},
        QueryCase{"no_key_or_value", false, 1, std::nullopt, false, true, 1, 0, ""},
        QueryCase{"password_off", false, 1, 0UL, false, true, 1, 0, ""},
        QueryCase{"module_missing_closes_cursor_shown", false, 1, 1UL, std::nullopt, true, 1, 1,
                  "+"},
        QueryCase{"password_given", false, 1, 1UL, true, true, 1, 1, "+"},
        QueryCase{"password_refused_hides_cursor_again", false, 1, 1UL, false, false, 1, 1, "+-"},
        QueryCase{"any_nonzero_switches_it_on", false, 1, 2UL, false, false, 1, 1, "+-"}),
    [](const ::testing::TestParamInfo<QueryCase>& p) { return std::string(p.param.name); });

} // namespace
} // namespace slidora::win
