// Loading the settings dialog: defaults, a full file, the controls' own
// corrections, the active-time list and a loading stopped by a bad value.
#include "DialogTestSupport.h"

#include "dialog/MiniDir.h"
#include "dialog/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>

namespace slidora::test {
namespace {

std::string text(const QLabel* label) {
    return label->text().toStdString();
}
std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}
std::string hint(const QWidget* widget) {
    return widget->toolTip().toStdString();
}
int slider(const QObject& dlg, const char* name) {
    return child<QSlider>(dlg, name)->value();
}
int spin(const QObject& dlg, const char* name) {
    return child<QSpinBox>(dlg, name)->value();
}
bool checked(const QObject& dlg, const char* name) {
    return child<QCheckBox>(dlg, name)->isChecked();
}
int radioIndex(const QObject& dlg) {
    return child<RadioGroup>(dlg, "RadioGroup1")->itemIndex();
}
std::string comboText(const QObject& dlg) {
    return child<QComboBox>(dlg, "ComboBox1")->currentText().toStdString();
}
QFont overlayFont(const QObject& dlg) {
    return child<QLabel>(dlg, "Label19")->font();
}

// A display path is one of the shortened forms of the path, never the path
// itself (which step depends on the font's glyph widths).
::testing::AssertionResult isShortenedForm(const std::string& shown, const std::string& path) {
    const std::vector<std::string> steps = shorteningSteps(path);
    for (std::size_t i = 1; i < steps.size(); ++i)
        if (steps[i] == shown) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "'" << shown << "' is no shortened form of " << path;
}

const char* const kFullFile = "[Image]\n"
                              "DispFolder=/srv/写真/旅行\n"
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
                              "AudioFolder=/srv/音楽\n"
                              "Volume=40\n"
                              "Random=Yes\n"
                              "MPlayer=Yes\n"
                              "MediaExt=.mid .rmi\n"
                              "[Omake]\n"
                              "ActTime=25\n"
                              "BGDensity=90\n"
                              "ScanTime=120\n";

TEST_F(DialogTest, WithoutAFileEveryDialogDefaultApplies) {
    const auto dlg = open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(dlg->values().DlgPicFolder, "/srv/default-pictures");
    EXPECT_EQ(hint(child<QLineEdit>(*dlg, "FolderText")), "/srv/default-pictures");
    EXPECT_TRUE(
        isShortenedForm(text(child<QLineEdit>(*dlg, "FolderText")), "/srv/default-pictures"));
    EXPECT_EQ(spin(*dlg, "SizeEdit"), 10);
    EXPECT_EQ(slider(*dlg, "SlideTrackBar"), 3000);
    EXPECT_EQ(text(child<QLabel>(*dlg, "Label4")), " 3.0秒 ");
    EXPECT_EQ(slider(*dlg, "Bairitu"), 15);
    EXPECT_EQ(text(child<QLabel>(*dlg, "BairituD")), " 1.5倍 ");
    EXPECT_FALSE(checked(*dlg, "CheckBox1"));
    EXPECT_EQ(radioIndex(*dlg), 4);
    EXPECT_FALSE(checked(*dlg, "DirCheck"));
    EXPECT_FALSE(checked(*dlg, "DayCheck"));
    EXPECT_FALSE(checked(*dlg, "TimeCheck"));
    const QFont font = overlayFont(*dlg);
    EXPECT_EQ(font.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    EXPECT_FALSE(font.bold() || font.italic() || font.underline() || font.strikeOut());
    EXPECT_EQ(font.pointSize(), 9) << "the offscreen screen is 96 dpi and 800 pixels wide";
    EXPECT_EQ(dlg->values().DlgAudFolder, "");
    EXPECT_EQ(text(child<QLineEdit>(*dlg, "AudioText")), "");
    EXPECT_EQ(slider(*dlg, "TrackBar1"), 100);
    EXPECT_FALSE(checked(*dlg, "CheckBox2"));
    EXPECT_FALSE(checked(*dlg, "CheckBox3"));
    EXPECT_EQ(dlg->values().DlgMediaExt, ".mid");
    EXPECT_EQ(dlg->values().DlgActTime, 60);
    EXPECT_EQ(comboText(*dlg), "1 時間");
    EXPECT_EQ(child<QComboBox>(*dlg, "ComboBox1")->count(), 13);
    EXPECT_EQ(slider(*dlg, "BColorTrackBar"), 150);
    EXPECT_EQ(spin(*dlg, "SpinEdit1"), 20);
    EXPECT_EQ(text(child<QLabel>(*dlg, "Label11")), "1.5.0");
    EXPECT_FALSE(settingsExist()) << "loading never writes";
}

TEST_F(DialogTest, WithoutAnyKnownPictureFolderTheProgramFolderIsUsed) {
    defaultPictureFolder = "";
    const auto dlg = open();
    EXPECT_EQ(dlg->values().DlgPicFolder, "/opt/slidora");
    EXPECT_EQ(hint(child<QLineEdit>(*dlg, "FolderText")), "/opt/slidora");
}

TEST_F(DialogTest, AnEmptyFileIsNoError) {
    writeSettings("");
    const auto dlg = open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(slider(*dlg, "SlideTrackBar"), 3000);
    EXPECT_EQ(comboText(*dlg), "1 時間");
}

TEST_F(DialogTest, AFullFileFillsEveryControl) {
    writeSettings(kFullFile);
    const auto dlg = open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(dlg->values().DlgPicFolder, "/srv/写真/旅行");
    EXPECT_EQ(hint(child<QLineEdit>(*dlg, "FolderText")), "/srv/写真/旅行");
    EXPECT_TRUE(isShortenedForm(text(child<QLineEdit>(*dlg, "FolderText")), "/srv/写真/旅行"));
    EXPECT_EQ(spin(*dlg, "SizeEdit"), 33);
    EXPECT_EQ(slider(*dlg, "SlideTrackBar"), 12345);
    EXPECT_EQ(text(child<QLabel>(*dlg, "Label4")), " 12.3秒 ");
    EXPECT_EQ(slider(*dlg, "Bairitu"), 22);
    EXPECT_EQ(text(child<QLabel>(*dlg, "BairituD")), " 2.2倍 ");
    EXPECT_TRUE(checked(*dlg, "CheckBox1"));
    EXPECT_EQ(radioIndex(*dlg), 1);
    EXPECT_TRUE(checked(*dlg, "DirCheck"));
    EXPECT_TRUE(checked(*dlg, "DayCheck"));
    EXPECT_TRUE(checked(*dlg, "TimeCheck"));
    const QFont font = overlayFont(*dlg);
    EXPECT_EQ(font.family(), "IPAPGothic");
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_FALSE(font.strikeOut());
    EXPECT_EQ(font.pointSize(), 14);
    EXPECT_EQ(dlg->values().DlgAudFolder, "/srv/音楽");
    EXPECT_EQ(hint(child<QLineEdit>(*dlg, "AudioText")), "/srv/音楽");
    EXPECT_TRUE(isShortenedForm(text(child<QLineEdit>(*dlg, "AudioText")), "/srv/音楽"));
    EXPECT_EQ(slider(*dlg, "TrackBar1"), 40);
    EXPECT_TRUE(checked(*dlg, "CheckBox2"));
    EXPECT_TRUE(checked(*dlg, "CheckBox3"));
    EXPECT_EQ(dlg->values().DlgMediaExt, ".mid .rmi");
    EXPECT_EQ(dlg->values().DlgActTime, 25);
    EXPECT_EQ(comboText(*dlg), "25 分間");
    EXPECT_EQ(slider(*dlg, "BColorTrackBar"), 90);
    EXPECT_EQ(spin(*dlg, "SpinEdit1"), 120);
}

TEST_F(DialogTest, StyleLettersAndWordsReadAlike) {
    writeSettings("[Font]\nStyle=XSU\n");
    const auto dlg = open();
    const QFont font = overlayFont(*dlg);
    EXPECT_FALSE(font.bold());
    EXPECT_FALSE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_TRUE(font.strikeOut());
}

TEST_F(DialogTest, FlagsAreYesOnlyInExactCase) {
    writeSettings("[Image]\nRandom=yes\n[Audio]\nMPlayer=YES\nRandom=Yes\n");
    const auto dlg = open();
    EXPECT_FALSE(checked(*dlg, "CheckBox1"));
    EXPECT_FALSE(checked(*dlg, "CheckBox3"));
    EXPECT_TRUE(checked(*dlg, "CheckBox2"));
}

TEST_F(DialogTest, AStoredPictureFolderIsShownEvenWhenMissing) {
    writeSettings("[Image]\nDispFolder=/no/such/folder\n[Audio]\nAudioFolder=\n");
    const auto dlg = open();
    EXPECT_EQ(dlg->values().DlgPicFolder, "/no/such/folder");
    EXPECT_TRUE(isShortenedForm(text(child<QLineEdit>(*dlg, "FolderText")), "/no/such/folder"));
    EXPECT_EQ(text(child<QLineEdit>(*dlg, "AudioText")), "");
    EXPECT_EQ(hint(child<QLineEdit>(*dlg, "AudioText")), "");
}

struct Correction {
    const char* section;
    const char* key;
    const char* value;
    const char* control;
    int shown;
};

class ControlCorrection : public DialogTest, public ::testing::WithParamInterface<Correction> {};

TEST_P(ControlCorrection, BringsTheStoredValueIntoRange) {
    const Correction& c = GetParam();
    writeSettings(std::string("[") + c.section + "]\n" + c.key + "=" + c.value + "\n");
    const auto dlg = open();
    EXPECT_TRUE(errors.empty());
    const std::string control = c.control;
    int shown = 0;
    if (control == "RadioGroup1")
        shown = radioIndex(*dlg);
    else if (control == "SizeEdit" || control == "SpinEdit1")
        shown = spin(*dlg, c.control);
    else
        shown = slider(*dlg, c.control);
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
                      Correction{"Omake", "ScanTime", "201", "SpinEdit1", 20}));

struct ActTimeCase {
    const char* stored;
    const char* caption;
};

class ActTimeSelection : public DialogTest, public ::testing::WithParamInterface<ActTimeCase> {};

TEST_P(ActTimeSelection, SelectsTheEntryOfTheStoredRange) {
    writeSettings(std::string("[Omake]\nActTime=") + GetParam().stored + "\n");
    const auto dlg = open();
    EXPECT_EQ(comboText(*dlg), GetParam().caption) << GetParam().stored;
}

INSTANTIATE_TEST_SUITE_P(Stored, ActTimeSelection,
                         ::testing::Values(ActTimeCase{"0", "無制限"}, ActTimeCase{"-5", "無制限"},
                                           ActTimeCase{"7", "5 分間"}, ActTimeCase{"44", "30 分間"},
                                           ActTimeCase{"45", "45 分間"},
                                           ActTimeCase{"119", "1 時間"},
                                           ActTimeCase{"1000", "5 時間"}));

TEST_F(DialogTest, PowerSavingAddsAndSelectsTheComputedEntry) {
    power = {true, 600, 1500};
    const auto dlg = open();
    auto* combo = child<QComboBox>(*dlg, "ComboBox1");
    ASSERT_EQ(combo->count(), 14);
    EXPECT_EQ(combo->itemText(13).toStdString(), "15 分間 (算出値)");
    EXPECT_EQ(combo->currentIndex(), 13);
    EXPECT_EQ(dlg->values().DlgActTime, 60) << "the stored active time stays as read";
}

TEST_F(DialogTest, PowerSavingWithinAMinuteOfTheSaverAddsNothing) {
    power = {true, 600, 660};
    const auto dlg = open();
    EXPECT_EQ(child<QComboBox>(*dlg, "ComboBox1")->count(), 13);
    EXPECT_EQ(comboText(*dlg), "1 時間");
}

TEST_F(DialogTest, InactivePowerSavingAddsNothing) {
    power = {false, 600, 1500};
    const auto dlg = open();
    EXPECT_EQ(child<QComboBox>(*dlg, "ComboBox1")->count(), 13);
}

TEST_F(DialogTest, ALetterValueStopsLoadingAndLeavesLaterControlsAtDesignValues) {
    writeSettings("[Image]\nDispFolder=/srv/pics\nMiniSize=20\nSleepTime=abc\nMaxExtend=12\n"
                  "[Audio]\nVolume=40\n[Omake]\nActTime=0\nBGDensity=30\nScanTime=50\n");
    power = {true, 600, 1500};
    const auto dlg = open();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "'abc' は整数ではありません");
    EXPECT_EQ(dlg->values().DlgPicFolder, "/srv/pics");
    EXPECT_EQ(spin(*dlg, "SizeEdit"), 20);
    // Design values from here on.
    EXPECT_EQ(slider(*dlg, "SlideTrackBar"), 2000);
    EXPECT_EQ(text(child<QLabel>(*dlg, "Label4")), " 2.0秒 ");
    EXPECT_EQ(slider(*dlg, "Bairitu"), 30);
    EXPECT_EQ(text(child<QLabel>(*dlg, "BairituD")), " 3.0倍 ");
    EXPECT_EQ(radioIndex(*dlg), 4);
    EXPECT_EQ(slider(*dlg, "TrackBar1"), 100);
    EXPECT_EQ(slider(*dlg, "BColorTrackBar"), 150);
    EXPECT_EQ(spin(*dlg, "SpinEdit1"), 10);
    EXPECT_EQ(text(child<QLabel>(*dlg, "Label11")), "1.50");
    auto* combo = child<QComboBox>(*dlg, "ComboBox1");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->count(), 13);
    EXPECT_EQ(text(child<QLineEdit>(*dlg, "FolderText")), "")
        << "no folder is shown after a failed load";
    EXPECT_EQ(dlg->values().DlgMediaExt, "");
    EXPECT_EQ(dlg->values().DlgActTime, 0);
}

TEST_F(DialogTest, ABadValueLateInTheFileKeepsWhatWasReadBeforeIt) {
    writeSettings(
        "[Image]\nSleepTime=4000\n[Font]\nStyle=B\nSize=12\n[Audio]\nVolume=40\nMPlayer=Yes\n"
        "[Omake]\nActTime=30\nBGDensity=30\nScanTime=\n");
    const auto dlg = open();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "'' は整数ではありません");
    EXPECT_EQ(slider(*dlg, "SlideTrackBar"), 4000);
    EXPECT_EQ(text(child<QLabel>(*dlg, "Label4")), " 4.0秒 ")
        << "a slider set while reading updates its label";
    EXPECT_EQ(overlayFont(*dlg).pointSize(), 12);
    EXPECT_FALSE(overlayFont(*dlg).bold()) << "the style is applied only after a complete read";
    EXPECT_TRUE(checked(*dlg, "CheckBox3"));
    EXPECT_EQ(slider(*dlg, "TrackBar1"), 100) << "the volume is applied only after a complete read";
    EXPECT_EQ(slider(*dlg, "BColorTrackBar"), 150);
    EXPECT_EQ(dlg->values().DlgActTime, 30);
    EXPECT_EQ(child<QComboBox>(*dlg, "ComboBox1")->currentIndex(), -1);
    EXPECT_EQ(text(child<QLabel>(*dlg, "Label11")), "1.50");
}

TEST_F(DialogTest, AFontSizeBelowOnePointKeepsTheDesignSize) {
    writeSettings("[Font]\nSize=0\n");
    const auto dlg = open();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(overlayFont(*dlg).pointSize(), 9);
}

} // namespace
} // namespace slidora::test
