#include "saver/Overlay.h"

#include "tests/support/NativePaths.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace slidora {
namespace {

using test::testName;

using test::ScriptedRandom;

const std::string kDate = "2001/02/03";
const std::string kTime = "12:34:56";

struct TextCase {
    int corner;
    int setting;
    bool showDate;
    bool showTime;
    const char* expected;
};

class OverlayTextTable : public ::testing::TestWithParam<TextCase> {};

TEST_P(OverlayTextTable, BuildsTheLine) {
    const TextCase& c = GetParam();
    EXPECT_EQ(overlayText(c.corner, c.setting, "a.jpg", c.showDate, c.showTime, kDate, kTime),
              c.expected)
        << "corner " << c.corner << " setting " << c.setting << " date " << c.showDate << " time "
        << c.showTime;
}

INSTANTIATE_TEST_SUITE_P(
    EveryPositionAndFlag, OverlayTextTable,
    ::testing::Values(
        TextCase{0, 0, false, false, " a.jpg "}, TextCase{0, 0, true, false, "2001/02/03 a.jpg "},
        TextCase{0, 0, false, true, "12:34:56 a.jpg "},
        TextCase{0, 0, true, true, "2001/02/0312:34:56 a.jpg "},
        TextCase{1, 1, false, false, " a.jpg "}, TextCase{1, 1, true, false, "2001/02/03 a.jpg "},
        TextCase{1, 1, false, true, "12:34:56 a.jpg "},
        TextCase{1, 1, true, true, "2001/02/0312:34:56 a.jpg "}, TextCase{2, 2, false, false, ""},
        TextCase{2, 2, true, false, ""}, TextCase{2, 2, false, true, ""},
        TextCase{2, 2, true, true, ""}, TextCase{3, 3, false, false, " a.jpg "},
        TextCase{3, 3, true, false, " a.jpg 2001/02/03"},
        TextCase{3, 3, false, true, " a.jpg 12:34:56"},
        TextCase{3, 3, true, true, " a.jpg 2001/02/0312:34:56"},
        TextCase{4, 4, false, false, " a.jpg "}, TextCase{4, 4, true, false, " a.jpg 2001/02/03"},
        TextCase{4, 4, false, true, " a.jpg 12:34:56"},
        TextCase{4, 4, true, true, " a.jpg 2001/02/0312:34:56"},
        // Random setting: the text follows the corner drawn for the picture.
        TextCase{0, 5, true, true, "2001/02/0312:34:56 a.jpg "},
        TextCase{1, 5, false, true, "12:34:56 a.jpg "},
        TextCase{3, 5, true, false, " a.jpg 2001/02/03"},
        TextCase{4, 5, true, true, " a.jpg 2001/02/0312:34:56"},
        // Values from a hand-edited file: negative ones take the left form,
        // those above 5 the right form.
        TextCase{-1, -1, false, false, " a.jpg "},
        TextCase{-1, -1, true, true, "2001/02/0312:34:56 a.jpg "},
        TextCase{-7, -7, false, true, "12:34:56 a.jpg "},
        TextCase{6, 6, true, true, " a.jpg 2001/02/0312:34:56"},
        TextCase{9, 9, true, false, " a.jpg 2001/02/03"}),
    [](const ::testing::TestParamInfo<TextCase>& p) {
        return testName("corner", std::to_string(p.param.corner), "setting",
                        std::to_string(p.param.setting), p.param.showDate ? "date" : "",
                        p.param.showTime ? "time" : "");
    });

TEST(OverlayText, KeepsAJapaneseNameIntact) {
    EXPECT_EQ(overlayText(3, 3, "旅行/富士山.jpg", true, false, "2001/02/03", kTime),
              " 旅行/富士山.jpg 2001/02/03");
}

struct NameCase {
    const char* path;
    bool showFolder;
    const char* expected;
};

class OverlayNameTable : public ::testing::TestWithParam<NameCase> {};

TEST_P(OverlayNameTable, TakesFileOrFolderAndFile) {
    const NameCase& c = GetParam();
    const std::string name = overlayName(c.path, c.showFolder);
    // The folder and the file are joined by the system's separator.
    EXPECT_EQ(name, test::native(c.expected)) << c.path << " folder " << c.showFolder;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OverlayNameTable,
    ::testing::Values(
        NameCase{"/Pics/a.jpg", false, "a.jpg"}, NameCase{"/Photos/Trip/a.jpg", true, "Trip/a.jpg"},
        NameCase{"/home/user/Photos/2001/Trip/a.jpg", true, "Trip/a.jpg"},
        NameCase{"/home/user/Photos/2001/Trip/a.jpg", false, "a.jpg"},
        NameCase{"/Pics/a.jpg", true, "Pics/a.jpg"}, NameCase{"/P/a.jpg", true, "P/a.jpg"},
        NameCase{"/a.jpg", true, "a.jpg"}, NameCase{"/a.jpg", false, "a.jpg"},
        NameCase{"/Pics//Trip//a.jpg", true, "Trip/a.jpg"},
        NameCase{"Trip/a.jpg", true, "Trip/a.jpg"}, NameCase{"a.jpg", true, "a.jpg"},
        NameCase{"/写真/旅行/富士山.jpg", true, "旅行/富士山.jpg"},
        NameCase{"/写真/旅行/富士山.jpg", false, "富士山.jpg"},
        NameCase{"/写真/桜.png", true, "写真/桜.png"}, NameCase{"/桜.png", true, "桜.png"}),
    [](const ::testing::TestParamInfo<NameCase>& p) {
        return testName(p.param.path, p.param.showFolder ? "folder" : "", std::to_string(p.index));
    });

TEST(OverlayTextColour, FlipsTopBitAndBitEightOfEachChannel) {
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> cases = {
        {0x000000, 0x888888}, {0x808080, 0x080808}, {0xFFFFFF, 0x777777},
        {0x0000FF, 0x888877}, {0x123456, 0x9ABCDE}, {0xFF123456, 0x9ABCDE}};
    for (const auto& [background, text] : cases)
        EXPECT_EQ(overlayTextColour(background), text) << std::hex << background;
}

TEST(OverlayBounds, EachCornerOfA1026x770WindowOnA1024x768Screen) {
    // Margins: 1024 div 100 = 10, 768 div 100 = 7.
    struct Case {
        int corner;
        OverlayBounds expected;
    };
    const std::vector<Case> cases = {{0, {10, 7, 120, 20}},
                                     {1, {10, 743, 120, 20}},
                                     {3, {896, 7, 120, 20}},
                                     {4, {896, 743, 120, 20}}};
    for (const Case& c : cases) {
        OverlayBounds got{-1, -1, -1, -1};
        ASSERT_TRUE(overlayBounds(c.corner, 120, 20, 1026, 770, 1024, 768, got)) << c.corner;
        EXPECT_EQ(got.left, c.expected.left) << "corner " << c.corner;
        EXPECT_EQ(got.top, c.expected.top) << "corner " << c.corner;
        EXPECT_EQ(got.width, 120);
        EXPECT_EQ(got.height, 20);
    }
}

TEST(OverlayBounds, MarginsComeFromTheScreenNotTheWindow) {
    OverlayBounds got{};
    ASSERT_TRUE(overlayBounds(4, 50, 10, 800, 600, 1920, 1080, got));
    EXPECT_EQ(got.left, 800 - 50 - 19);
    EXPECT_EQ(got.top, 600 - 10 - 10);
}

TEST(OverlayBounds, OtherPositionsLeaveTheBoxAlone) {
    for (int corner : {2, 5, -1, 6, 100}) {
        OverlayBounds got{1, 2, 3, 4};
        EXPECT_FALSE(overlayBounds(corner, 120, 20, 1026, 770, 1024, 768, got)) << corner;
        EXPECT_EQ(got.left, 1);
        EXPECT_EQ(got.top, 2);
        EXPECT_EQ(got.width, 3);
        EXPECT_EQ(got.height, 4);
    }
}

TEST(OverlayCorner, FixedSettingsAreReturnedWithoutDrawing) {
    for (int setting : {-1, 0, 1, 2, 3, 4, 6}) {
        ScriptedRandom rnd({0.5});
        EXPECT_EQ(overlayCorner(setting, rnd), setting);
        EXPECT_EQ(rnd.draws(), 0u) << setting;
    }
}

TEST(OverlayCorner, RandomRedrawsUntilNotTheNoTextPosition) {
    struct Case {
        std::vector<double> script;
        int expected;
        std::size_t draws;
    };
    const std::vector<Case> cases = {{{0.0}, 0, 1},  {{0.2}, 1, 1},           {{0.6}, 3, 1},
                                     {{0.99}, 4, 1}, {{0.4, 0.5, 0.1}, 0, 3}, {{0.59, 0.8}, 4, 2}};
    for (const Case& c : cases) {
        ScriptedRandom rnd(c.script);
        EXPECT_EQ(overlayCorner(kOverlayRandom, rnd), c.expected);
        EXPECT_EQ(rnd.draws(), c.draws);
    }
}

TEST(OverlayCorner, ClockSeededDrawsCoverTheFourCornersOnly) {
    ClockSeededRandom rnd;
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int corner = overlayCorner(kOverlayRandom, rnd);
        ASSERT_NE(corner, kOverlayNone);
        seen.insert(corner);
    }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 3, 4}));
}

} // namespace
} // namespace slidora
