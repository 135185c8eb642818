// Loading the settings dialog: defaults, a full file, the controls' own
// corrections, the active-time list and a loading stopped by a bad value.
#include "FakeDialogControls.h"

#include "dialog/MiniDir.h"
#include "tests/support/TestNames.h"

namespace slidora::test {
namespace {

// A display path is one of the shortened forms of the path, never the path
// itself (which step depends on the font's glyph widths).
::testing::AssertionResult isShortenedForm(const std::string& shown, const std::string& path) {
    const std::vector<std::string> steps = shorteningSteps(path);
    for (std::size_t i = 1; i < steps.size(); ++i)
        if (steps[i] == shown) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "'" << shown << "' is no shortened form of " << path;
}

const std::string kFullFile = "[Image]\n"
                              "DispFolder=" +
                              native("/srv/写真/旅行") +
                              "\n"
                              "MiniSize=33\n"
                              "SleepTime=12345\n"
                              "MaxExtend=22\n"
                              "Random=Yes\n"
                              "[Text]\n"
                              "FileName=1\n"
                              "Folder=Yes\n"
                              "Date=Yes\n"
                              "Time=Yes\n"
                              "[Font]\n"
                              "Name=IPAPGothic\n"
                              "Style=Bold+Italic\n"
                              "Size=14\n"
                              "[Audio]\n"
                              "AudioFolder=" +
                              native("/srv/音楽") +
                              "\n"
                              "Volume=40\n"
                              "Random=Yes\n"
                              "MPlayer=Yes\n"
                              "MediaExt=.mid .rmi\n"
                              "[Omake]\n"
                              "ActTime=25\n"
                              "BGDensity=90\n"
                              "ScanTime=120\n";

TEST_F(DialogModelTest, WithoutAFileEveryDialogDefaultApplies) {
    open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(model().values().DlgPicFolder, native("/srv/default-pictures"));
    EXPECT_EQ(ctl().hint("FolderText"), native("/srv/default-pictures"));
    EXPECT_TRUE(isShortenedForm(ctl().text("FolderText"), native("/srv/default-pictures")));
    EXPECT_EQ(ctl().value("SizeEdit"), 10);
    EXPECT_EQ(ctl().value("SlideTrackBar"), 3000);
    EXPECT_EQ(ctl().text("Label4"), " 3.0秒 ");
    EXPECT_EQ(ctl().value("Bairitu"), 15);
    EXPECT_EQ(ctl().text("BairituD"), " 1.5倍 ");
    EXPECT_FALSE(ctl().checked("CheckBox1"));
    EXPECT_EQ(ctl().value("RadioGroup1"), 4);
    EXPECT_FALSE(ctl().checked("DirCheck"));
    EXPECT_FALSE(ctl().checked("DayCheck"));
    EXPECT_FALSE(ctl().checked("TimeCheck"));
    const FontSpec font = model().overlayFont();
    EXPECT_EQ(font.family, iconFont);
    EXPECT_FALSE(font.bold || font.italic || font.underline || font.strikeout);
    EXPECT_EQ(font.pointSize, 9) << "the screen's default size";
    EXPECT_EQ(model().values().DlgAudFolder, "");
    EXPECT_EQ(ctl().text("AudioText"), "");
    EXPECT_EQ(ctl().value("TrackBar1"), 100);
    EXPECT_FALSE(ctl().checked("CheckBox2"));
    EXPECT_FALSE(ctl().checked("CheckBox3"));
    EXPECT_EQ(model().values().DlgMediaExt, ".mid");
    EXPECT_EQ(model().values().DlgActTime, 60);
    EXPECT_EQ(ctl().currentItem("ComboBox1"), "1 時間");
    EXPECT_EQ(ctl().items("ComboBox1").size(), 13u);
    EXPECT_EQ(ctl().value("BColorTrackBar"), 150);
    EXPECT_EQ(ctl().value("SpinEdit1"), 20);
    EXPECT_EQ(ctl().text("Label11"), "1.5.0");
    EXPECT_FALSE(settingsExist()) << "loading never writes";
}

TEST_F(DialogModelTest, WithoutAnyKnownPictureFolderTheProgramFolderIsUsed) {
    defaultPictureFolder = "";
    open();
    EXPECT_EQ(model().values().DlgPicFolder, native("/opt/slidora"));
    EXPECT_EQ(ctl().hint("FolderText"), native("/opt/slidora"));
}

TEST_F(DialogModelTest, AnEmptyFileIsNoError) {
    writeSettings("");
    open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(ctl().value("SlideTrackBar"), 3000);
    EXPECT_EQ(ctl().currentItem("ComboBox1"), "1 時間");
}

TEST_F(DialogModelTest, AFullFileFillsEveryControl) {
    writeSettings(kFullFile);
    open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(model().values().DlgPicFolder, native("/srv/写真/旅行"));
    EXPECT_EQ(ctl().hint("FolderText"), native("/srv/写真/旅行"));
    EXPECT_TRUE(isShortenedForm(ctl().text("FolderText"), native("/srv/写真/旅行")));
    EXPECT_EQ(ctl().value("SizeEdit"), 33);
    EXPECT_EQ(ctl().value("SlideTrackBar"), 12345);
    EXPECT_EQ(ctl().text("Label4"), " 12.3秒 ");
    EXPECT_EQ(ctl().value("Bairitu"), 22);
    EXPECT_EQ(ctl().text("BairituD"), " 2.2倍 ");
    EXPECT_TRUE(ctl().checked("CheckBox1"));
    EXPECT_EQ(ctl().value("RadioGroup1"), 1);
    EXPECT_TRUE(ctl().checked("DirCheck"));
    EXPECT_TRUE(ctl().checked("DayCheck"));
    EXPECT_TRUE(ctl().checked("TimeCheck"));
    const FontSpec font = model().overlayFont();
    EXPECT_EQ(font.family, "IPAPGothic");
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.italic);
    EXPECT_FALSE(font.underline);
    EXPECT_FALSE(font.strikeout);
    EXPECT_EQ(font.pointSize, 14);
    EXPECT_EQ(model().values().DlgAudFolder, native("/srv/音楽"));
    EXPECT_EQ(ctl().hint("AudioText"), native("/srv/音楽"));
    EXPECT_TRUE(isShortenedForm(ctl().text("AudioText"), native("/srv/音楽")));
    EXPECT_EQ(ctl().value("TrackBar1"), 40);
    EXPECT_TRUE(ctl().checked("CheckBox2"));
    EXPECT_TRUE(ctl().checked("CheckBox3"));
    EXPECT_EQ(model().values().DlgMediaExt, ".mid .rmi");
    EXPECT_EQ(model().values().DlgActTime, 25);
    EXPECT_EQ(ctl().currentItem("ComboBox1"), "25 分間");
    EXPECT_EQ(ctl().value("BColorTrackBar"), 90);
    EXPECT_EQ(ctl().value("SpinEdit1"), 120);
}

TEST_F(DialogModelTest, StyleLettersAndWordsReadAlike) {
    writeSettings("[Font]\nStyle=XSU\n");
    open();
    const FontSpec font = model().overlayFont();
    EXPECT_FALSE(font.bold);
    EXPECT_FALSE(font.italic);
    EXPECT_TRUE(font.underline);
    EXPECT_TRUE(font.strikeout);
}

TEST_F(DialogModelTest, FlagsAreYesOnlyInExactCase) {
    writeSettings("[Image]\nRandom=yes\n[Audio]\nMPlayer=YES\nRandom=Yes\n");
    open();
    EXPECT_FALSE(ctl().checked("CheckBox1"));
    EXPECT_FALSE(ctl().checked("CheckBox3"));
    EXPECT_TRUE(ctl().checked("CheckBox2"));
}

TEST_F(DialogModelTest, AStoredPictureFolderIsShownEvenWhenMissing) {
    writeSettings("[Image]\nDispFolder=" + native("/no/such/folder") + "\n[Audio]\nAudioFolder=\n");
    open();
    EXPECT_EQ(model().values().DlgPicFolder, native("/no/such/folder"));
    EXPECT_TRUE(isShortenedForm(ctl().text("FolderText"), native("/no/such/folder")));
    EXPECT_EQ(ctl().text("AudioText"), "");
    EXPECT_EQ(ctl().hint("AudioText"), "");
}

struct Correction {
    const char* section;
    const char* key;
    const char* value;
    const char* control;
    int shown;
};

class ControlCorrection : public DialogModelTest,
                          public ::testing::WithParamInterface<Correction> {};

TEST_P(ControlCorrection, BringsTheStoredValueIntoRange) {
    const Correction& c = GetParam();
    writeSettings(std::string("[") + c.section + "]\n" + c.key + "=" + c.value + "\n");
    open();
    EXPECT_TRUE(errors.empty());
    const std::string control = c.control;
    int shown = 0;
    if (control == "RadioGroup1")
        shown = ctl().value("RadioGroup1");
    else if (control == "SizeEdit" || control == "SpinEdit1")
        shown = ctl().value(c.control);
    else
        shown = ctl().value(c.control);
    EXPECT_EQ(shown, c.shown) << c.key << "=" << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeValues, ControlCorrection,
    ::testing::Values(Correction{"Image", "MiniSize", "100", "SizeEdit", 50},
                      Correction{"Image", "MiniSize", "1", "SizeEdit", 5},
                      Correction{"Image", "SleepTime", "0", "SlideTrackBar", 1},
                      Correction{"Image", "SleepTime", "99999", "SlideTrackBar", 30000},
                      Correction{"Image", "MaxExtend", "9", "Bairitu", 10},
                      Correction{"Image", "MaxExtend", "31", "Bairitu", 30},
                      Correction{"Text", "FileName", "9", "RadioGroup1", 5},
                      Correction{"Text", "FileName", "-1", "RadioGroup1", -1},
                      Correction{"Text", "FileName", "-7", "RadioGroup1", -1},
                      Correction{"Text", "FileName", "0", "RadioGroup1", 0},
                      Correction{"Audio", "Volume", "101", "TrackBar1", 100},
                      Correction{"Audio", "Volume", "-3", "TrackBar1", 0},
                      Correction{"Omake", "BGDensity", "201", "BColorTrackBar", 150},
                      Correction{"Omake", "BGDensity", "-1", "BColorTrackBar", 150},
                      Correction{"Omake", "BGDensity", "0", "BColorTrackBar", 0},
                      Correction{"OMake", "BGDensity", "300", "BColorTrackBar", 150},
                      Correction{"OMAKE", "BGDensity", "200", "BColorTrackBar", 200},
                      Correction{"Omake", "ScanTime", "7", "SpinEdit1", 20},
                      Correction{"Omake", "ScanTime", "9", "SpinEdit1", 20},
                      Correction{"Omake", "ScanTime", "10", "SpinEdit1", 10},
                      Correction{"Omake", "ScanTime", "201", "SpinEdit1", 20}),
    [](const ::testing::TestParamInfo<Correction>& p) {
        return testName(p.param.section, p.param.key, p.param.value);
    });

struct ActTimeCase {
    const char* stored;
    const char* caption;
};

class ActTimeSelection : public DialogModelTest,
                         public ::testing::WithParamInterface<ActTimeCase> {};

TEST_P(ActTimeSelection, SelectsTheEntryOfTheStoredRange) {
    writeSettings(std::string("[Omake]\nActTime=") + GetParam().stored + "\n");
    open();
    EXPECT_EQ(ctl().currentItem("ComboBox1"), GetParam().caption) << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(Stored, ActTimeSelection,
                         ::testing::Values(ActTimeCase{"0", "無制限"}, ActTimeCase{"-5", "無制限"},
                                           ActTimeCase{"7", "5 分間"}, ActTimeCase{"44", "30 分間"},
                                           ActTimeCase{"45", "45 分間"},
                                           ActTimeCase{"119", "1 時間"},
                                           ActTimeCase{"1000", "5 時間"}),
                         [](const ::testing::TestParamInfo<ActTimeCase>& p) {
                             return testName("stored", p.param.stored);
                         });

TEST_F(DialogModelTest, PowerSavingAddsAndSelectsTheComputedEntry) {
    power = {true, 600, 1500};
    open();
    ASSERT_EQ(ctl().items("ComboBox1").size(), 14u);
    EXPECT_EQ(ctl().items("ComboBox1")[13], "15 分間 (算出値)");
    EXPECT_EQ(ctl().value("ComboBox1"), 13);
    EXPECT_EQ(model().values().DlgActTime, 60) << "the stored active time stays as read";
}

TEST_F(DialogModelTest, PowerSavingWithinAMinuteOfTheSaverAddsNothing) {
    power = {true, 600, 660};
    open();
    EXPECT_EQ(ctl().items("ComboBox1").size(), 13u);
    EXPECT_EQ(ctl().currentItem("ComboBox1"), "1 時間");
}

TEST_F(DialogModelTest, WithoutAVersionRecordTheLastLoadingStepsAreSkipped) {
    writeSettings("[Audio]\nVolume=40\n");
    power = {true, 600, 1500};
    hasVersionRecord = false;
    open();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "バージョン情報が取得できません.");
    EXPECT_EQ(ctl().text("Label11"), "1.50");
    EXPECT_EQ(ctl().value("TrackBar1"), 100) << "the volume comes after the version";
    EXPECT_EQ(ctl().items("ComboBox1").size(), 13u);
    EXPECT_EQ(ctl().currentItem("ComboBox1"), "1 時間") << "the steps before it ran";
}

TEST_F(DialogModelTest, InactivePowerSavingAddsNothing) {
    power = {false, 600, 1500};
    open();
    EXPECT_EQ(ctl().items("ComboBox1").size(), 13u);
}

TEST_F(DialogModelTest, ALetterValueStopsLoadingAndLeavesLaterControlsAtDesignValues) {
    writeSettings("[Image]\nDispFolder=/srv/pics\nMiniSize=20\nSleepTime=abc\nMaxExtend=12\n"
                  "[Audio]\nVolume=40\n[Omake]\nActTime=0\nBGDensity=30\nScanTime=50\n");
    power = {true, 600, 1500};
    open();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "'abc' は整数ではありません");
    EXPECT_EQ(model().values().DlgPicFolder, "/srv/pics");
    EXPECT_EQ(ctl().value("SizeEdit"), 20);
    // Design values from here on.
    EXPECT_EQ(ctl().value("SlideTrackBar"), 2000);
    EXPECT_EQ(ctl().text("Label4"), " 2.0秒 ");
    EXPECT_EQ(ctl().value("Bairitu"), 30);
    EXPECT_EQ(ctl().text("BairituD"), " 3.0倍 ");
    EXPECT_EQ(ctl().value("RadioGroup1"), 4);
    EXPECT_EQ(ctl().value("TrackBar1"), 100);
    EXPECT_EQ(ctl().value("BColorTrackBar"), 150);
    EXPECT_EQ(ctl().value("SpinEdit1"), 10);
    EXPECT_EQ(ctl().text("Label11"), "1.50");
    EXPECT_EQ(ctl().value("ComboBox1"), -1);
    EXPECT_EQ(ctl().items("ComboBox1").size(), 13u);
    EXPECT_EQ(ctl().text("FolderText"), "") << "no folder is shown after a failed load";
    EXPECT_EQ(model().values().DlgMediaExt, "");
    EXPECT_EQ(model().values().DlgActTime, 0);
}

TEST_F(DialogModelTest, ABadValueLateInTheFileKeepsWhatWasReadBeforeIt) {
    writeSettings(
        "[Image]\nSleepTime=4000\n[Font]\nStyle=B\nSize=12\n[Audio]\nVolume=40\nMPlayer=Yes\n"
        "[Omake]\nActTime=30\nBGDensity=30\nScanTime=\n");
    open();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "'' は整数ではありません");
    EXPECT_EQ(ctl().value("SlideTrackBar"), 4000);
    EXPECT_EQ(ctl().text("Label4"), " 4.0秒 ") << "a slider set while reading updates its label";
    EXPECT_EQ(model().overlayFont().pointSize, 12);
    EXPECT_FALSE(model().overlayFont().bold) << "the style is applied only after a complete read";
    EXPECT_TRUE(ctl().checked("CheckBox3"));
    EXPECT_EQ(ctl().value("TrackBar1"), 100) << "the volume is applied only after a complete read";
    EXPECT_EQ(ctl().value("BColorTrackBar"), 150);
    EXPECT_EQ(model().values().DlgActTime, 30);
    EXPECT_EQ(ctl().value("ComboBox1"), -1);
    EXPECT_EQ(ctl().text("Label11"), "1.50");
}

TEST_F(DialogModelTest, AFontSizeBelowOnePointKeepsTheDesignSize) {
    writeSettings("[Font]\nSize=0\n");
    open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(model().overlayFont().pointSize, 9);
}

} // namespace
} // namespace slidora::test
