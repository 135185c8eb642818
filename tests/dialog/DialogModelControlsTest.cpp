// The dialog's behaviour around its controls: the value labels, the
// brightness reset, the folder checks with their question, and the layout
// table against the dialog's design.
#include "FakeDialogControls.h"
#include "tests/support/TestNames.h"

#include "dialog/DialogLayout.h"
#include "dialog/DialogRules.h"

#include <cctype>
#include <map>
#include <stdexcept>

namespace slidora::test {
namespace {

struct LabelAt {
    const char* slider;
    int position;
    const char* label;
    const char* text;
};

class ValueLabel : public DialogModelTest, public ::testing::WithParamInterface<LabelAt> {};

TEST_P(ValueLabel, FollowsItsSlider) {
    open();
    const LabelAt& c = GetParam();
    ctl().setValue(c.slider, c.position);
    model().SlideTrackBarChange();
    model().BairituChange();
    EXPECT_EQ(ctl().text(c.label), c.text) << c.slider << " at " << c.position;
}

INSTANTIATE_TEST_SUITE_P(Positions, ValueLabel,
                         ::testing::Values(LabelAt{"SlideTrackBar", 1, "Label4", " 0.0秒 "},
                                           LabelAt{"SlideTrackBar", 2050, "Label4", " 2.1秒 "},
                                           LabelAt{"SlideTrackBar", 2049, "Label4", " 2.0秒 "},
                                           LabelAt{"SlideTrackBar", 3010, "Label4", " 3.0秒 "},
                                           LabelAt{"SlideTrackBar", 30000, "Label4", " 30.0秒 "},
                                           LabelAt{"Bairitu", 15, "BairituD", " 1.5倍 "},
                                           LabelAt{"Bairitu", 30, "BairituD", " 3.0倍 "},
                                           LabelAt{"Bairitu", 10, "BairituD", " 1.0倍 "}),
                         [](const ::testing::TestParamInfo<LabelAt>& at) {
                             return testName(at.param.slider, std::to_string(at.param.position));
                         });

TEST_F(DialogModelTest, TheArrowButtonResetsTheBrightness) {
    writeSettings("[Omake]\nBGDensity=40\n");
    open();
    ASSERT_EQ(ctl().value("BColorTrackBar"), 40);
    model().CuteButton1Click();
    EXPECT_EQ(ctl().value("BColorTrackBar"), 150);
    model().CuteButton1Click();
    EXPECT_EQ(ctl().value("BColorTrackBar"), 150);
}

TEST_F(DialogModelTest, APictureFolderWithoutPicturesAsksAndNoKeepsTheOldFolder) {
    writeSettings("[Image]\nDispFolder=/srv/old\nMiniSize=12\n");
    open();
    int checkedSize = 0;
    picFolderChk = [&](const std::string&, int minimumSizeKb) {
        checkedSize = minimumSizeKb;
        return false;
    };
    busyLog.clear();
    model().BrowseDlg1OKBtnClick(kBrowsePictureFolder, "/srv/empty");
    EXPECT_EQ(checkedSize, 12) << "the check takes the size shown now";
    EXPECT_EQ(questions, std::vector<std::string>{folderConfirmationMessage("/srv/empty", 0)});
    EXPECT_EQ(busyLog, (std::vector<std::string>{"busy", "check", "idle", "question"}))
        << "busy only while the folder is walked";
    EXPECT_EQ(model().values().DlgPicFolder, "/srv/old");
    EXPECT_EQ(ctl().hint("FolderText"), "/srv/old");
}

TEST_F(DialogModelTest, AnsweringYesTakesTheFolderAndShowsItShortened) {
    open();
    picFolderChk = [](const std::string&, int) { return false; };
    answerYes = true;
    model().BrowseDlg1OKBtnClick(kBrowsePictureFolder,
                                 native("/srv/a/rather/long/folder/name/here"));
    EXPECT_EQ(model().values().DlgPicFolder, native("/srv/a/rather/long/folder/name/here"));
    EXPECT_EQ(ctl().hint("FolderText"), native("/srv/a/rather/long/folder/name/here"));
    const std::string shown = ctl().text("FolderText");
    EXPECT_NE(shown, model().values().DlgPicFolder) << "the field shows the shortened path";
    EXPECT_LE(8 * static_cast<int>(shown.size()), ctl().width("FolderText")) << shown;
    EXPECT_EQ(shown.rfind(native("/name/here")), shown.size() - 10) << shown;
}

TEST_F(DialogModelTest, AnUsableAudioFolderIsTakenWithoutAQuestionAndClearEmptiesIt) {
    writeSettings("[Audio]\nMediaExt=.kar\n");
    open();
    std::string checkedExt;
    audFolderChk = [&](const std::string&, const std::string& mediaExt) {
        checkedExt = mediaExt;
        return true;
    };
    EXPECT_EQ(model().browseStartFolder(kBrowseAudioFolder), native("/srv/default-pictures"))
        << "without an audio folder the picker starts at the picture folder";
    model().BrowseDlg1OKBtnClick(kBrowseAudioFolder, "/srv/music");
    EXPECT_EQ(checkedExt, ".kar");
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(model().values().DlgAudFolder, "/srv/music");
    EXPECT_EQ(model().browseStartFolder(kBrowseAudioFolder), "/srv/music");
    model().Button3Click();
    EXPECT_EQ(model().values().DlgAudFolder, "");
    EXPECT_EQ(ctl().text("AudioText"), "");
    EXPECT_EQ(ctl().hint("AudioText"), "");
}

TEST_F(DialogModelTest, AThrowingCheckIsReportedAndLeavesTheFolder) {
    open();
    picFolderChk = [](const std::string&, int) -> bool { throw std::runtime_error("gone"); };
    busyLog.clear();
    model().BrowseDlg1OKBtnClick(kBrowsePictureFolder, "/srv/x");
    EXPECT_EQ(errors, std::vector<std::string>{"gone"});
    EXPECT_EQ(busyLog, (std::vector<std::string>{"busy", "check", "idle"}));
    EXPECT_EQ(model().values().DlgPicFolder, native("/srv/default-pictures"));
}

TEST_F(DialogModelTest, TheOverlayFontStartsAtTheHiddenLabelsDesignFont) {
    writeSettings("[Image]\nSleepTime=x\n");
    open();
    EXPECT_EQ(model().overlayFont().family, kFormFace);
    EXPECT_EQ(model().overlayFont().pointSize, 9);
    EXPECT_EQ(ctl().font("Label19").family, kFormFace);
}

// The dialog's controls as its design lists them: object names, the tab
// chain and the ranges with their design values.
TEST(DialogLayoutTable, NamesEveryControlOnceInCreationOrder) {
    const std::vector<std::string> expected{
        "Bevel1",        "Label1",         "CheckBox1", "FolderText", "Button1",     "GroupBox1",
        "SlideTrackBar", "Label9",         "Label3",    "Label5",     "Label6",      "Label4",
        "GroupBox4",     "Bairitu",        "Label13",   "Label17",    "Label18",     "BairituD",
        "GroupBox2",     "BColorTrackBar", "Label8",    "Label10",    "CuteButton1", "RadioGroup1",
        "Button4",       "DirCheck",       "DayCheck",  "TimeCheck",  "Label7",      "SizeEdit",
        "Label15",       "Label12",        "SpinEdit1", "Panel1",     "Label16",     "CheckBox2",
        "Button3",       "AudioText",      "Button2",   "CheckBox3",  "GroupBox3",   "TrackBar1",
        "Label20",       "ComboBox1",      "Label2",    "Label19",    "Image1",      "Label14",
        "Label11",       "OKBtn",          "CancelBtn"};
    std::vector<std::string> names;
    for (const ControlDesign& c : DialogLayout()) {
        names.push_back(c.name);
        if (!c.parent.empty()) {
            EXPECT_NO_THROW(controlDesign(c.parent)) << c.name;
        }
    }
    EXPECT_EQ(names, expected);
}

TEST(DialogLayoutTable, TabChainFollowsTheDesign) {
    EXPECT_EQ(
        tabChain(),
        (std::vector<std::string>{
            "FolderText",  "Button1",   "CheckBox1", "SlideTrackBar", "Bairitu",   "BColorTrackBar",
            "RadioGroup1", "Button4",   "DirCheck",  "DayCheck",      "TimeCheck", "SizeEdit",
            "SpinEdit1",   "AudioText", "Button2",   "Button3",       "CheckBox2", "CheckBox3",
            "TrackBar1",   "ComboBox1", "OKBtn",     "CancelBtn"}));
    EXPECT_EQ(controlDesign("FolderText").kind, ControlKind::PathField) << "not a stop";
    EXPECT_EQ(controlDesign("AudioText").kind, ControlKind::PathField) << "not a stop";
}

struct DesignRange {
    const char* control;
    ControlRange range;
    int design;
};

class DialogLayoutRange : public ::testing::TestWithParam<DesignRange> {};

TEST_P(DialogLayoutRange, MatchesTheDesign) {
    const DesignRange& want = GetParam();
    const ControlDesign& c = controlDesign(want.control);
    EXPECT_EQ(c.range.minimum, want.range.minimum);
    EXPECT_EQ(c.range.maximum, want.range.maximum);
    EXPECT_EQ(c.range.lineStep, want.range.lineStep);
    EXPECT_EQ(c.range.pageStep, want.range.pageStep);
    EXPECT_EQ(c.range.tickInterval, want.range.tickInterval);
    EXPECT_EQ(c.designValue, want.design);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, DialogLayoutRange,
    ::testing::Values(DesignRange{"SlideTrackBar", {1, 30000, 10, 200, 5000}, 2000},
                      DesignRange{"Bairitu", {10, 30, 10, 1, 5}, 30},
                      DesignRange{"BColorTrackBar", {0, 200, 10, 10, 50}, 150},
                      DesignRange{"TrackBar1", {0, 100, 10, 10, 20}, 100},
                      DesignRange{"SizeEdit", {5, 50, 0, 0, 0}, 10},
                      DesignRange{"SpinEdit1", {5, 200, 0, 0, 0}, 10},
                      DesignRange{"RadioGroup1", {}, 4}),
    [](const ::testing::TestParamInfo<DesignRange>& range) {
        return std::string(range.param.control);
    });

TEST(DialogLayoutTable, AnUnknownNameIsAnError) {
    EXPECT_THROW(controlDesign("Button9"), std::out_of_range);
}

} // namespace
} // namespace slidora::test
