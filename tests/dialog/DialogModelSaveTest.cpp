// Saving from the settings dialog: the keys in order, the encodings,
// unknown keys, the active time, the font choice and the round trip.
#include "FakeDialogControls.h"

#include "dialog/DialogRules.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "tests/support/TestNames.h"

namespace slidora::test {
namespace {

std::string defaultsWritten(const std::string& fontName) {
    return "[Image]\nDispFolder=" + native("/srv/default-pictures") +
           "\nMiniSize=10\nSleepTime=3000\nMaxExtend=15\nRandom=No\n"
           "[Text]\nFileName=4\nFolder=No\nDate=No\nTime=No\n"
           "[Font]\nName=" +
           fontName +
           "\nStyle=\nSize=9\n"
           "[Audio]\nAudioFolder=\nVolume=100\nRandom=No\nMPlayer=No\nMediaExt=.mid\n"
           "[Omake]\nActTime=60\nBGDensity=150\nScanTime=20\n";
}

TEST_F(DialogModelTest, OkWithoutAFileWritesAllTwentyKeysInOrder) {
    open();
    model().OKBtnClick();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(settingsText(), defaultsWritten(iconFont));
}

TEST_F(DialogModelTest, OkWritesWhatTheControlsHold) {
    writeSettings("[Image]\nDispFolder=/srv/pics\n[Font]\nName=IPAGothic\nStyle=B\nSize=10\n"
                  "[Audio]\nAudioFolder=/srv/音楽\nMediaExt=.mid .kar\n[Omake]\nActTime=45\n");
    open();
    ctl().setValue("SizeEdit", 25);
    ctl().setValue("SlideTrackBar", 2050);
    ctl().setValue("Bairitu", 27);
    ctl().setChecked("CheckBox1", true);
    ctl().setChecked("DayCheck", true);
    ctl().setValue("TrackBar1", 35);
    ctl().setChecked("CheckBox3", true);
    ctl().setValue("ComboBox1", 8);
    ctl().setValue("BColorTrackBar", 0);
    ctl().setValue("SpinEdit1", 7);
    model().OKBtnClick();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(
        settingsText(),
        "[Image]\nDispFolder=/srv/pics\nMiniSize=25\nSleepTime=2050\nMaxExtend=27\nRandom=Yes\n"
        "[Font]\nName=IPAGothic\nStyle=Bold\nSize=10\n"
        "[Audio]\nAudioFolder=/srv/音楽\nMediaExt=.mid .kar\nVolume=35\nRandom=No\nMPlayer=Yes\n"
        "[Omake]\nActTime=120\nBGDensity=0\nScanTime=7\n"
        "[Text]\nFileName=4\nFolder=No\nDate=Yes\nTime=No\n");
}

TEST_F(DialogModelTest, UnknownKeysSectionsAndCommentsSurviveOk) {
    writeSettings(
        "; written by hand\n[Image]\nExtra=keep me\nSleepTime=4000\n\n[Other]\nKey=Value\n"
        "[OMake]\nBGDensity=300\nNote=still here\n");
    open();
    model().OKBtnClick();
    const std::string written = settingsText();
    EXPECT_EQ(written.rfind("; written by hand\n[Image]\nExtra=keep me\nSleepTime=4000\n", 0), 0u)
        << written;
    EXPECT_NE(written.find("\n[Other]\nKey=Value\n"), std::string::npos) << written;
    EXPECT_NE(written.find("[OMake]\nBGDensity=150\nNote=still here\nActTime=60\nScanTime=20\n"),
              std::string::npos)
        << "Omake and OMake are one section\n"
        << written;
    EXPECT_EQ(written.find("[Omake]"), std::string::npos) << written;
}

struct ActTimeWrite {
    int index;
    const char* written;
};

class ActTimeSaved : public DialogModelTest, public ::testing::WithParamInterface<ActTimeWrite> {};

TEST_P(ActTimeSaved, FromTheSelectedEntry) {
    writeSettings("[Omake]\nActTime=33\n");
    open();
    ctl().setValue("ComboBox1", GetParam().index);
    model().OKBtnClick();
    const IniFile file(settingsPath());
    EXPECT_EQ(file.readString("Omake", "ActTime", "?"), GetParam().written) << GetParam().index;
}

INSTANTIATE_TEST_SUITE_P(Entries, ActTimeSaved,
                         ::testing::Values(ActTimeWrite{0, "5"}, ActTimeWrite{1, "10"},
                                           ActTimeWrite{2, "15"}, ActTimeWrite{3, "20"},
                                           ActTimeWrite{4, "25"}, ActTimeWrite{5, "30"},
                                           ActTimeWrite{6, "45"}, ActTimeWrite{7, "60"},
                                           ActTimeWrite{8, "120"}, ActTimeWrite{9, "180"},
                                           ActTimeWrite{10, "240"}, ActTimeWrite{11, "300"},
                                           ActTimeWrite{12, "0"}, ActTimeWrite{-1, "33"}),
                         [](const ::testing::TestParamInfo<ActTimeWrite>& p) {
                             return testName("entry", std::to_string(p.param.index));
                         });

TEST_F(DialogModelTest, TheComputedEntryStoresTheActiveTimeAsRead) {
    writeSettings("[Omake]\nActTime=60\n");
    power = {true, 600, 1500};
    open();
    ASSERT_EQ(ctl().value("ComboBox1"), 13);
    model().OKBtnClick();
    EXPECT_EQ(IniFile(settingsPath()).readString("Omake", "ActTime", "?"), "60");
}

TEST_F(DialogModelTest, TheFontPickerStartsFromTheOverlayFontAndItsChoiceIsSaved) {
    writeSettings("[Font]\nName=IPAGothic\nStyle=U\nSize=12\n");
    open();
    FontSpec offered;
    fontChooser = [&](const FontSpec& initial) -> std::optional<FontSpec> {
        offered = initial;
        FontSpec chosen;
        chosen.family = "IPAPGothic";
        chosen.pointSize = 20;
        chosen.bold = true;
        chosen.italic = true;
        return chosen;
    };
    model().Button4Click();
    EXPECT_EQ(offered.family, "IPAGothic");
    EXPECT_EQ(offered.pointSize, 12);
    EXPECT_TRUE(offered.underline);
    model().OKBtnClick();
    const IniFile file(settingsPath());
    EXPECT_EQ(file.readString("Font", "Name", "?"), "IPAPGothic");
    EXPECT_EQ(file.readString("Font", "Style", "?"), "Bold+Italic");
    EXPECT_EQ(file.readString("Font", "Size", "?"), "20");
}

TEST_F(DialogModelTest, CancellingTheFontPickerKeepsTheLoadedFont) {
    writeSettings("[Font]\nName=IPAGothic\nStyle=SU\nSize=12\n");
    open();
    fontChooser = [](const FontSpec&) -> std::optional<FontSpec> { return std::nullopt; };
    model().Button4Click();
    model().OKBtnClick();
    const IniFile file(settingsPath());
    EXPECT_EQ(file.readString("Font", "Name", "?"), "IPAGothic");
    EXPECT_EQ(file.readString("Font", "Style", "?"), "Underline+Strikeout");
    EXPECT_EQ(file.readString("Font", "Size", "?"), "12");
}

TEST_F(DialogModelTest, AFileWrittenByTheDialogReadsBackTheSame) {
    writeSettings(
        "[Image]\nDispFolder=/srv/写真\nMiniSize=33\nSleepTime=12345\nMaxExtend=22\nRandom=Yes\n"
        "[Text]\nFileName=5\nDate=Yes\n[Font]\nName=IPAPGothic\nStyle=Italic+Strikeout\nSize=14\n"
        "[Audio]\nAudioFolder=/srv/音楽\nVolume=40\nMPlayer=Yes\nMediaExt=.mid .rmi\n"
        "[Omake]\nActTime=240\nBGDensity=90\nScanTime=50\n");
    {
        open();
        ctl().setValue("SpinEdit1", 7);
        model().OKBtnClick();
    }
    const std::string once = settingsText();
    EXPECT_NE(once.find("ScanTime=7\n"), std::string::npos) << once;
    open();
    EXPECT_EQ(ctl().value("SpinEdit1"), 20) << "a scan count below 10 reads back as 20";
    ctl().setValue("SpinEdit1", 7);
    model().OKBtnClick();
    EXPECT_EQ(settingsText(), once);
    EXPECT_TRUE(errors.empty());
}

TEST_F(DialogModelTest, TheSaverReadsWhatTheDialogWrote) {
    open();
    ctl().setValue("SlideTrackBar", 4000);
    ctl().setValue("BColorTrackBar", 80);
    ctl().setValue("SpinEdit1", 150);
    ctl().setValue("ComboBox1", 3);
    model().OKBtnClick();
    SaverSettings saver;
    readSaverSettings(IniFile(settingsPath()), ReaderContext{"/opt/slidora", "Sans", "11"}, saver);
    EXPECT_EQ(saver.pictureFolder, native("/srv/default-pictures"));
    EXPECT_EQ(saver.tickIntervalMs, 800);
    EXPECT_EQ(saver.styleLetters, "");
    EXPECT_EQ(saver.fontSizePt, 9);
    EXPECT_TRUE(saver.useMp3Library);
    EXPECT_EQ(saver.mediaExtText, ".mid ");
    EXPECT_EQ(saver.activeMinutes, 20);
    EXPECT_EQ(saver.backgroundDensity, 80);
    EXPECT_EQ(saver.scanCount, 150);
}

TEST_F(DialogModelTest, AnEmptiedPictureFolderLeavesTheStoredOne) {
    writeSettings("[Image]\nDispFolder=/srv/old\n");
    open();
    answerYes = true;
    model().BrowseDlg1OKBtnClick(kBrowsePictureFolder, "");
    EXPECT_EQ(model().values().DlgPicFolder, "");
    EXPECT_EQ(ctl().text("FolderText"), "");
    model().OKBtnClick();
    EXPECT_EQ(IniFile(settingsPath()).readString("Image", "DispFolder", "?"), "/srv/old");
}

TEST_F(DialogModelTest, AFailedWriteIsReported) {
    settingsPathOverride = (dir() / "no-such-folder" / "slidora.ini").string();
    open();
    model().OKBtnClick();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], settingsPathOverride + " に書き込めません");
}

} // namespace
} // namespace slidora::test
