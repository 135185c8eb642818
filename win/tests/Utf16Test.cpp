// Conversions at the Win32 boundary.
#include "platform/win/Utf16.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace slidora::win {
namespace {

std::string hex(std::string_view bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

struct RoundTrip {
    const char* name;
    std::string utf8;
    std::wstring utf16;
};

class Utf16RoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Utf16RoundTrip, BothWays) {
    const RoundTrip& c = GetParam();
    EXPECT_EQ(toUtf16(c.utf8), c.utf16);
    EXPECT_EQ(hex(toUtf8(c.utf16)), hex(c.utf8));
    EXPECT_TRUE(isValidUtf8(c.utf8));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf16RoundTrip,
    ::testing::Values(RoundTrip{"empty", "", L""},
                      RoundTrip{"ascii", "Slidora Saver", L"Slidora Saver"},
                      RoundTrip{"latin", "caf\xC3\xA9", L"caf\u00E9"},
                      RoundTrip{"japanese", "\xE7\xA2\xBA\xE8\xAA\x8D", L"\u78BA\u8A8D"},
                      RoundTrip{"fullwidth_gothic", "\xEF\xBC\xAD\xEF\xBC\xB3", L"\uFF2D\uFF33"},
                      RoundTrip{"beyond_the_bmp", "\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
                      RoundTrip{"embedded_nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
    [](const ::testing::TestParamInfo<RoundTrip>& p) { return p.param.name; });

struct Malformed {
    const char* name;
    std::string bytes;
    std::size_t replacements; // one per maximal ill-formed part
};

class Utf16Malformed : public ::testing::TestWithParam<Malformed> {};

TEST_P(Utf16Malformed, IsNotValidAndNeighboursSurvive) {
    const Malformed& c = GetParam();
    EXPECT_FALSE(isValidUtf8(c.bytes)) << hex(c.bytes);
    EXPECT_EQ(toUtf16("<" + c.bytes + ">"), L"<" + std::wstring(c.replacements, L'\uFFFD') + L">")
        << hex(c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Bytes, Utf16Malformed,
                         ::testing::Values(Malformed{"stray_continuation", "\x80", 1},
                                           Malformed{"invalid_byte", "\xFF", 1},
                                           Malformed{"truncated_sequence", "\xE7\xA2", 1},
                                           Malformed{"lone_lead_byte", "\xE9", 1},
                                           Malformed{"overlong_nul", "\xC0\x80", 2},
                                           Malformed{"encoded_surrogate", "\xED\xA0\x80", 3},
                                           Malformed{"past_last_code_point", "\xF4\x90\x80\x80",
                                                     4}),
                         [](const ::testing::TestParamInfo<Malformed>& p) { return p.param.name; });

TEST(Utf16, UnpairedSurrogateBecomesReplacementCharacter) {
    EXPECT_EQ(hex(toUtf8(std::wstring(L"a\xD800z"))), hex("a\xEF\xBF\xBDz"));
}

TEST(Utf16, OldFilesInTheJapaneseCodePageAreRead) {
    EXPECT_EQ(hex(codePageToUtf8("\x8A\x6D\x94\x46", 932)), hex("\xE7\xA2\xBA\xE8\xAA\x8D"));
}

} // namespace
} // namespace slidora::win
