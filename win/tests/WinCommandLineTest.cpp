#include "app/win/WinCommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace slidora::win {
namespace {

struct ModeCase {
    const char* name;
    const wchar_t* commandLine;
    WinRunMode mode;
    std::int32_t parentWnd;
};

class ReadWinCommandLine : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ReadWinCommandLine, ModeAndWindow) {
    const WinCommandLine cl = readWinCommandLine(GetParam().commandLine);
    EXPECT_EQ(cl.mode, GetParam().mode);
    EXPECT_EQ(cl.parentWnd, GetParam().parentWnd);
}

constexpr auto kDialog = WinRunMode::Dialog;
constexpr auto kPassword = WinRunMode::Password;
constexpr auto kPreview = WinRunMode::Preview;
constexpr auto kSaver = WinRunMode::Saver;

INSTANTIATE_TEST_SUITE_P(
    Starts, ReadWinCommandLine,
    ::testing::Values(
        ModeCase{"no_argument", L"C:\\W\\Slidora.scr", kDialog, 0},
        ModeCase{"quoted_path_no_argument", L"\"C:\\My Savers\\Slidora.scr\"", kDialog, 0},
        ModeCase{"slash_s", L"Slidora.scr /s", kSaver, 0},
        ModeCase{"upper_s", L"Slidora.scr /S", kSaver, 0},
        ModeCase{"dash_s", L"Slidora.scr -s", kSaver, 0},
        ModeCase{"any_first_character", L"Slidora.scr xs", kSaver, 0},
        ModeCase{"lone_letter", L"Slidora.scr s", kSaver, 0},
        ModeCase{"lone_c_is_saver", L"Slidora.scr c", kSaver, 0},
        ModeCase{"unknown_letter", L"Slidora.scr /x", kSaver, 0},
        ModeCase{"dialog", L"Slidora.scr /c", kDialog, 0},
        ModeCase{"dialog_upper_dash", L"Slidora.scr -C", kDialog, 0},
        ModeCase{"dialog_handle_after_colon_unused", L"Slidora.scr /c:1234", kDialog, 0},
        ModeCase{"dialog_ignores_argument_2", L"Slidora.scr /c 1234", kDialog, 0},
        ModeCase{"preview", L"\"C:\\W\\Slidora.scr\" /p 1234", kPreview, 1234},
        ModeCase{"preview_alone", L"Slidora.scr /p", kPreview, 0},
        ModeCase{"preview_not_a_number", L"Slidora.scr /p abc", kPreview, 0},
        ModeCase{"preview_trailing_letters", L"Slidora.scr /p 12a", kPreview, 0},
        ModeCase{"preview_unsigned_high_handle", L"Slidora.scr /p 4294967295", kPreview, -1},
        ModeCase{"preview_past_32_bits", L"Slidora.scr /p 4294967296", kPreview, 0},
        ModeCase{"preview_negative", L"Slidora.scr /p -2147483648", kPreview, INT32_MIN},
        ModeCase{"preview_plus_sign", L"Slidora.scr /P +77", kPreview, 77},
        ModeCase{"password", L"Slidora.scr /a 99", kPassword, 99},
        ModeCase{"password_alone", L"Slidora.scr /a", kPassword, 0},
        ModeCase{"quoted_argument_1", L"Slidora.scr \"/p\" 55", kPreview, 55},
        ModeCase{"quotes_inside_a_word", L"Slidora.scr /\"p\" 5\"6\"", kPreview, 56},
        ModeCase{"quoted_blank_joins_words", L"Slidora.scr \"/p 5\"", kPreview, 0},
        ModeCase{"empty_quotes_skipped", L"Slidora.scr \"\" /p \"\" 7", kPreview, 7},
        ModeCase{"tabs_separate", L"Slidora.scr\t/p\t8", kPreview, 8},
        ModeCase{"control_characters_separate",
                 L"Slidora.scr\x01/p\x1F"
                 L"9",
                 kPreview, 9},
        ModeCase{"non_ascii_selector_is_saver", L"Slidora.scr /\x00E0", kSaver, 0}),
    [](const ::testing::TestParamInfo<ModeCase>& p) { return std::string(p.param.name); });

TEST(CommandLineWords, ProgramPathIsTheFirstWord) {
    const std::vector<std::wstring> expected{L"C:\\My Savers\\Slidora.scr", L"/p", L"12"};
    EXPECT_EQ(commandLineWords(L"  \"C:\\My Savers\\Slidora.scr\"  /p   12  "), expected);
}

TEST(CommandLineWords, UnclosedQuoteRunsToTheEnd) {
    const std::vector<std::wstring> expected{L"a", L"b c"};
    EXPECT_EQ(commandLineWords(L"a \"b c"), expected);
}

} // namespace
} // namespace slidora::win
