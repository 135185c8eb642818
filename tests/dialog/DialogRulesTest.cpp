#include "dialog/DialogRules.h"

#include "tests/support/NativePaths.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace slidora {
namespace {

using test::native;
using test::testName;

struct LoadMapping {
    int minutes;
    int index;
    const char* caption;
};

class ActTimeAtLoad : public ::testing::TestWithParam<LoadMapping> {};

TEST_P(ActTimeAtLoad, SelectsTheEntryOfItsRange) {
    const LoadMapping& m = GetParam();
    EXPECT_EQ(actTimeIndexFor(m.minutes), m.index) << m.minutes;
    EXPECT_STREQ(actTimeCaption(actTimeIndexFor(m.minutes)), m.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ActTimeAtLoad,
    ::testing::Values(
        LoadMapping{-2147483647 - 1, 12, "無制限"}, LoadMapping{-5, 12, "無制限"},
        LoadMapping{0, 12, "無制限"}, LoadMapping{1, 0, "5 分間"}, LoadMapping{7, 0, "5 分間"},
        LoadMapping{9, 0, "5 分間"}, LoadMapping{10, 1, "10 分間"}, LoadMapping{14, 1, "10 分間"},
        LoadMapping{15, 2, "15 分間"}, LoadMapping{19, 2, "15 分間"}, LoadMapping{20, 3, "20 分間"},
        LoadMapping{25, 4, "25 分間"}, LoadMapping{29, 4, "25 分間"}, LoadMapping{30, 5, "30 分間"},
        LoadMapping{44, 5, "30 分間"}, LoadMapping{45, 6, "45 分間"}, LoadMapping{59, 6, "45 分間"},
        LoadMapping{60, 7, "1 時間"}, LoadMapping{119, 7, "1 時間"}, LoadMapping{120, 8, "2 時間"},
        LoadMapping{179, 8, "2 時間"}, LoadMapping{180, 9, "3 時間"},
        LoadMapping{240, 10, "4 時間"}, LoadMapping{299, 10, "4 時間"},
        LoadMapping{300, 11, "5 時間"}, LoadMapping{1000, 11, "5 時間"},
        LoadMapping{2147483647, 11, "5 時間"}),
    [](const ::testing::TestParamInfo<LoadMapping>& p) {
        return testName("minutes", std::to_string(p.param.minutes));
    });

TEST(ActTimeAtSave, EveryFixedEntryStoresItsMinutesAndSelectsItselfAgain) {
    const int expected[kActTimeFixedEntries] = {5,  10,  15,  20,  25,  30, 45,
                                                60, 120, 180, 240, 300, 0};
    for (int i = 0; i < kActTimeFixedEntries; ++i) {
        ASSERT_TRUE(actTimeMinutesFor(i).has_value()) << i;
        EXPECT_EQ(*actTimeMinutesFor(i), expected[i]) << i;
        EXPECT_EQ(actTimeIndexFor(expected[i]), i)
            << "a stored " << expected[i] << " reads back as another entry";
    }
}

TEST(ActTimeAtSave, TheComputedEntryAndNoSelectionKeepTheReadValue) {
    EXPECT_FALSE(actTimeMinutesFor(kActTimeFixedEntries).has_value());
    EXPECT_FALSE(actTimeMinutesFor(-1).has_value());
    EXPECT_FALSE(actTimeMinutesFor(99).has_value());
}

TEST(ActTimeList, CaptionsAreTheThirteenFixedEntries) {
    std::set<std::string> seen;
    for (int i = 0; i < kActTimeFixedEntries; ++i)
        seen.insert(actTimeCaption(i));
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kActTimeFixedEntries));
    EXPECT_STREQ(actTimeCaption(0), "5 分間");
    EXPECT_STREQ(actTimeCaption(7), "1 時間");
    EXPECT_STREQ(actTimeCaption(12), "無制限");
    EXPECT_STREQ(actTimeCaption(13), "");
}

struct PowerCase {
    PowerSaveState state;
    std::optional<int> minutes;
};

class ComputedEntry : public ::testing::TestWithParam<PowerCase> {};

TEST_P(ComputedEntry, FollowsThePowerSavingTimeout) {
    const PowerCase& c = GetParam();
    EXPECT_EQ(computedActTimeMinutes(c.state), c.minutes)
        << c.state.active << " " << c.state.screenSaveTimeoutSec << " " << c.state.powerTimeoutSec;
}

INSTANTIATE_TEST_SUITE_P(
    Timeouts, ComputedEntry,
    ::testing::Values(PowerCase{{true, 600, 1500}, 15}, PowerCase{{true, 600, 660}, std::nullopt},
                      PowerCase{{true, 600, 661}, 1}, PowerCase{{true, 600, 719}, 1},
                      PowerCase{{true, 0, 3600}, 60}, PowerCase{{false, 600, 1500}, std::nullopt},
                      PowerCase{{true, 600, 0}, std::nullopt}),
    [](const ::testing::TestParamInfo<PowerCase>& p) {
        return testName(p.param.state.active ? "On" : "Off",
                        std::to_string(p.param.state.screenSaveTimeoutSec),
                        std::to_string(p.param.state.powerTimeoutSec));
    });

TEST(ComputedEntry, CaptionIsTheMinutesAndTheMark) {
    EXPECT_EQ(computedActTimeCaption(15), "15 分間 (算出値)");
}

struct LabelCase {
    int position;
    const char* text;
};

class SlideLabel : public ::testing::TestWithParam<LabelCase> {};
TEST_P(SlideLabel, ShowsSecondsToOneDecimalWithHalvesUp) {
    EXPECT_EQ(slideIntervalText(GetParam().position), GetParam().text) << GetParam().position;
}
INSTANTIATE_TEST_SUITE_P(Positions, SlideLabel,
                         ::testing::Values(LabelCase{1, " 0.0秒 "}, LabelCase{49, " 0.0秒 "},
                                           LabelCase{50, " 0.1秒 "}, LabelCase{2049, " 2.0秒 "},
                                           LabelCase{2050, " 2.1秒 "}, LabelCase{2150, " 2.2秒 "},
                                           LabelCase{2250, " 2.3秒 "}, LabelCase{3000, " 3.0秒 "},
                                           LabelCase{9950, " 10.0秒 "},
                                           LabelCase{30000, " 30.0秒 "}, LabelCase{0, " 0.0秒 "},
                                           LabelCase{-50, " -0.1秒 "}),
                         [](const ::testing::TestParamInfo<LabelCase>& p) {
                             return testName("position", std::to_string(p.param.position));
                         });

class MagnificationLabel : public ::testing::TestWithParam<LabelCase> {};
TEST_P(MagnificationLabel, ShowsTheFactor) {
    EXPECT_EQ(magnificationText(GetParam().position), GetParam().text) << GetParam().position;
}
INSTANTIATE_TEST_SUITE_P(Positions, MagnificationLabel,
                         ::testing::Values(LabelCase{10, " 1.0倍 "}, LabelCase{15, " 1.5倍 "},
                                           LabelCase{29, " 2.9倍 "}, LabelCase{30, " 3.0倍 "}),
                         [](const ::testing::TestParamInfo<LabelCase>& p) {
                             return testName("position", std::to_string(p.param.position));
                         });

TEST(ValueLabels, UseTheGivenDecimalPoint) {
    EXPECT_EQ(slideIntervalText(2050, ","), " 2,1秒 ");
    EXPECT_EQ(magnificationText(15, ","), " 1,5倍 ");
    EXPECT_EQ(formatTenths(-2147483648LL, "."), "-214748364.8");
}

struct VersionCase {
    const char* version;
    const char* label;
};
class VersionLabel : public ::testing::TestWithParam<VersionCase> {};
TEST_P(VersionLabel, IsCutBeforeTheLastDot) {
    EXPECT_EQ(versionLabelText(GetParam().version), GetParam().label) << GetParam().version;
}
INSTANTIATE_TEST_SUITE_P(
    Versions, VersionLabel,
    ::testing::Values(VersionCase{"1.5.0.0", "1.5.0"}, VersionCase{"0.9.7.3", "0.9.7"},
                      VersionCase{"0.9.7.13", "0.9.7"}, VersionCase{"  1.2.3  ", "1.2"},
                      VersionCase{"1.50.", "1"}, VersionCase{"150", "150"}, VersionCase{"7", "7"},
                      VersionCase{"", ""}, VersionCase{"   ", ""}, VersionCase{".5", ""}),
    [](const ::testing::TestParamInfo<VersionCase>& p) {
        return testName("v", p.param.version, std::to_string(p.index));
    });

struct FontSizeCase {
    double dpi;
    int width;
    const char* size;
};
class FontSizeDefault : public ::testing::TestWithParam<FontSizeCase> {};
TEST_P(FontSizeDefault, IsElevenOnlyOnLargeFontWideScreens) {
    EXPECT_EQ(defaultFontSizeText(GetParam().dpi, GetParam().width), GetParam().size)
        << GetParam().dpi << " dpi " << GetParam().width << " px";
}
INSTANTIATE_TEST_SUITE_P(
    Screens, FontSizeDefault,
    ::testing::Values(FontSizeCase{96, 1920, "9"}, FontSizeCase{120, 1920, "11"},
                      FontSizeCase{110, 1920, "9"}, FontSizeCase{110.5, 1001, "11"},
                      FontSizeCase{144, 1000, "9"}, FontSizeCase{144, 800, "9"}),
    [](const ::testing::TestParamInfo<FontSizeCase>& p) {
        return testName(std::to_string(static_cast<int>(p.param.dpi * 10)) + "dpi10",
                        std::to_string(p.param.width) + "px");
    });

TEST(DefaultPictureFolder, PicturesThenHomeThenNothing) {
    const std::set<std::string> existing{"/home/ann", "/home/ann/Pictures", "/home/bob"};
    const auto exists = [&](const std::string& folder) { return existing.count(folder) != 0; };
    EXPECT_EQ(defaultPictureFolderFrom("/home/ann", "/home/ann/Pictures", exists),
              "/home/ann/Pictures");
    EXPECT_EQ(defaultPictureFolderFrom("/home/bob", "/home/bob/Pictures", exists), "/home/bob");
    EXPECT_EQ(defaultPictureFolderFrom("/home/bob", "", exists), "/home/bob");
    EXPECT_EQ(defaultPictureFolderFrom("/home/gone", "/home/ann/Pictures", exists), "");
    EXPECT_EQ(defaultPictureFolderFrom("", "/home/ann/Pictures", exists), "");
}

TEST(FolderConfirmation, NamesThePathAndTheMissingKindOfFile) {
    // The folder is named with the system's separator after it.
    EXPECT_EQ(folderConfirmationMessage(native("/home/ann/Pictures"), kBrowsePictureFolder),
              native("/home/ann/Pictures/") +
                  " には\n画像ファイルがありません。\n\nこのフォルダを登録しますか？");
    EXPECT_EQ(folderConfirmationMessage(native("/srv/音楽"), kBrowseAudioFolder),
              native("/srv/音楽/") +
                  " には\n音源ファイルがありません。\n\nこのフォルダを登録しますか？");
    EXPECT_EQ(folderConfirmationMessage(native("/"), kBrowsePictureFolder),
              native("/") + " には\n画像ファイルがありません。\n\nこのフォルダを登録しますか？");
    EXPECT_EQ(folderConfirmationMessage("", kBrowseAudioFolder),
              native("/") + " には\n音源ファイルがありません。\n\nこのフォルダを登録しますか？");
}

} // namespace
} // namespace slidora
