// Saving from the settings dialog: the keys in order, the encodings, what
// Cancel leaves alone, unknown keys, a failed write and the round trip.
#include "DialogTestSupport.h"

#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace slidora::test {
namespace {

void pressOk(TScSSDlg& dlg) {
    child<QPushButton>(dlg, "OKBtn")->click();
}

std::string defaultsWritten(const std::string& fontName) {
    return "[Image]\nDispFolder=/srv/"
           "default-pictures\nMiniSize=10\nSleepTime=3000\nMaxExtend=15\nRandom=No\n"
           "[Text]\nFileName=4\nFolder=No\nDate=No\nTime=No\n"
           "[Font]\nName=" +
           fontName +
           "\nStyle=\nSize=9\n"
           "[Audio]\nAudioFolder=\nVolume=100\nRandom=No\nMPlayer=No\nMediaExt=.mid\n"
           "[Omake]\nActTime=60\nBGDensity=150\nScanTime=20\n";
}

TEST_F(DialogTest, OkWithoutAFileWritesAllTwentyKeysInOrder) {
    const auto dlg = open();
    pressOk(*dlg);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(settingsText(),
              defaultsWritten(
                  QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString()));
}

TEST_F(DialogTest, OkWritesWhatTheControlsHold) {
    writeSettings("[Image]\nDispFolder=/srv/pics\n[Font]\nName=IPAGothic\nStyle=B\nSize=10\n"
                  "[Audio]\nAudioFolder=/srv/音楽\nMediaExt=.mid .kar\n[Omake]\nActTime=45\n");
    const auto dlg = open();
    child<QSpinBox>(*dlg, "SizeEdit")->setValue(25);
    child<QSlider>(*dlg, "SlideTrackBar")->setValue(2050);
    child<QSlider>(*dlg, "Bairitu")->setValue(27);
    child<QAbstractButton>(*dlg, "CheckBox1")->setChecked(true);
    child<QAbstractButton>(*dlg, "DayCheck")->setChecked(true);
    child<QSlider>(*dlg, "TrackBar1")->setValue(35);
    child<QAbstractButton>(*dlg, "CheckBox3")->setChecked(true);
    child<QComboBox>(*dlg, "ComboBox1")->setCurrentIndex(8);
    child<QSlider>(*dlg, "BColorTrackBar")->setValue(0);
    child<QSpinBox>(*dlg, "SpinEdit1")->setValue(7);
    pressOk(*dlg);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(
        settingsText(),
        "[Image]\nDispFolder=/srv/pics\nMiniSize=25\nSleepTime=2050\nMaxExtend=27\nRandom=Yes\n"
        "[Font]\nName=IPAGothic\nStyle=Bold\nSize=10\n"
        "[Audio]\nAudioFolder=/srv/音楽\nMediaExt=.mid .kar\nVolume=35\nRandom=No\nMPlayer=Yes\n"
        "[Omake]\nActTime=120\nBGDensity=0\nScanTime=7\n"
        "[Text]\nFileName=4\nFolder=No\nDate=Yes\nTime=No\n");
}

TEST_F(DialogTest, UnknownKeysSectionsAndCommentsSurviveOk) {
    writeSettings(
        "; written by hand\n[Image]\nExtra=keep me\nSleepTime=4000\n\n[Other]\nKey=Value\n"
        "[OMake]\nBGDensity=300\nNote=still here\n");
    const auto dlg = open();
    pressOk(*dlg);
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

enum class Leave { CancelButton, EscapeKey, CloseBox };

class LeavingWithoutOk : public DialogTest, public ::testing::WithParamInterface<Leave> {};

TEST_P(LeavingWithoutOk, WritesNothing) {
    const std::string before = "[Image]\nSleepTime=4000\nDispFolder=/srv/pics\n";
    writeSettings(before);
    const auto dlg = open();
    dlg->show();
    child<QSlider>(*dlg, "SlideTrackBar")->setValue(9000);
    child<QPushButton>(*dlg, "Button3")->click();
    switch (GetParam()) {
    case Leave::CancelButton:
        child<QPushButton>(*dlg, "CancelBtn")->click();
        break;
    case Leave::EscapeKey: {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dlg.get(), &escape);
        break;
    }
    case Leave::CloseBox:
        dlg->close();
        break;
    }
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(settingsText(), before);
}

INSTANTIATE_TEST_SUITE_P(Ways, LeavingWithoutOk,
                         ::testing::Values(Leave::CancelButton, Leave::EscapeKey, Leave::CloseBox));

TEST_F(DialogTest, LeavingWithoutOkCreatesNoFile) {
    const auto dlg = open();
    child<QPushButton>(*dlg, "CancelBtn")->click();
    EXPECT_FALSE(settingsExist());
}

TEST_F(DialogTest, ReturnPressesOk) {
    const auto dlg = open();
    dlg->show();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(child<QPushButton>(*dlg, "Button1"), &enter);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_TRUE(settingsExist());
}

TEST_F(DialogTest, AFailedWriteIsReportedAndTheDialogClosesAnyway) {
    settingsPathOverride = (dir() / "no-such-folder" / "slidora.ini").string();
    const auto dlg = open();
    dlg->show();
    pressOk(*dlg);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], settingsPathOverride + " に書き込めません");
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg->isVisible());
}

struct ActTimeWrite {
    int index;
    const char* written;
};

class ActTimeSaved : public DialogTest, public ::testing::WithParamInterface<ActTimeWrite> {};

TEST_P(ActTimeSaved, FromTheSelectedEntry) {
    writeSettings("[Omake]\nActTime=33\n");
    const auto dlg = open();
    child<QComboBox>(*dlg, "ComboBox1")->setCurrentIndex(GetParam().index);
    pressOk(*dlg);
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
                                           ActTimeWrite{12, "0"}, ActTimeWrite{-1, "33"}));

TEST_F(DialogTest, TheComputedEntryStoresTheActiveTimeAsRead) {
    writeSettings("[Omake]\nActTime=60\n");
    power = {true, 600, 1500};
    const auto dlg = open();
    ASSERT_EQ(child<QComboBox>(*dlg, "ComboBox1")->currentIndex(), 13);
    pressOk(*dlg);
    EXPECT_EQ(IniFile(settingsPath()).readString("Omake", "ActTime", "?"), "60");
}

TEST_F(DialogTest, TheFontPickerStartsFromTheOverlayFontAndItsChoiceIsSaved) {
    writeSettings("[Font]\nName=IPAGothic\nStyle=U\nSize=12\n");
    const auto dlg = open();
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
    child<QPushButton>(*dlg, "Button4")->click();
    EXPECT_EQ(offered.family, "IPAGothic");
    EXPECT_EQ(offered.pointSize, 12);
    EXPECT_TRUE(offered.underline);
    pressOk(*dlg);
    const IniFile file(settingsPath());
    EXPECT_EQ(file.readString("Font", "Name", "?"), "IPAPGothic");
    EXPECT_EQ(file.readString("Font", "Style", "?"), "Bold+Italic");
    EXPECT_EQ(file.readString("Font", "Size", "?"), "20");
}

TEST_F(DialogTest, CancellingTheFontPickerKeepsTheLoadedFont) {
    writeSettings("[Font]\nName=IPAGothic\nStyle=SU\nSize=12\n");
    const auto dlg = open();
    fontChooser = [](const FontSpec&) -> std::optional<FontSpec> { return std::nullopt; };
    child<QPushButton>(*dlg, "Button4")->click();
    pressOk(*dlg);
    const IniFile file(settingsPath());
    EXPECT_EQ(file.readString("Font", "Name", "?"), "IPAGothic");
    EXPECT_EQ(file.readString("Font", "Style", "?"), "Underline+Strikeout");
    EXPECT_EQ(file.readString("Font", "Size", "?"), "12");
}

struct TypedSpin {
    const char* control;
    const char* typed;
    const char* key;
    const char* written;
};

class TypedSpinValue : public DialogTest, public ::testing::WithParamInterface<TypedSpin> {};

TEST_P(TypedSpinValue, IsSavedInRange) {
    const TypedSpin& c = GetParam();
    const auto dlg = open();
    child<QLineEdit>(*child<QSpinBox>(*dlg, c.control), "qt_spinbox_lineedit")
        ->setText(QString::fromUtf8(c.typed));
    pressOk(*dlg);
    EXPECT_EQ(IniFile(settingsPath())
                  .readString(c.control == std::string("SizeEdit") ? "Image" : "Omake", c.key, "?"),
              c.written)
        << c.control << " typed '" << c.typed << "'";
}

INSTANTIATE_TEST_SUITE_P(Texts, TypedSpinValue,
                         ::testing::Values(TypedSpin{"SizeEdit", "", "MiniSize", "5"},
                                           TypedSpin{"SizeEdit", "abc", "MiniSize", "5"},
                                           TypedSpin{"SizeEdit", "99", "MiniSize", "50"},
                                           TypedSpin{"SizeEdit", "3", "MiniSize", "5"},
                                           TypedSpin{"SizeEdit", "42", "MiniSize", "42"},
                                           TypedSpin{"SpinEdit1", "7", "ScanTime", "7"},
                                           TypedSpin{"SpinEdit1", "999", "ScanTime", "200"}));

TEST_F(DialogTest, AFileWrittenByTheDialogReadsBackTheSame) {
    writeSettings(
        "[Image]\nDispFolder=/srv/写真\nMiniSize=33\nSleepTime=12345\nMaxExtend=22\nRandom=Yes\n"
        "[Text]\nFileName=5\nDate=Yes\n[Font]\nName=IPAPGothic\nStyle=Italic+Strikeout\nSize=14\n"
        "[Audio]\nAudioFolder=/srv/音楽\nVolume=40\nMPlayer=Yes\nMediaExt=.mid .rmi\n"
        "[Omake]\nActTime=240\nBGDensity=90\nScanTime=50\n");
    {
        const auto first = open();
        child<QSpinBox>(*first, "SpinEdit1")->setValue(7);
        pressOk(*first);
    }
    const std::string once = settingsText();
    EXPECT_NE(once.find("ScanTime=7\n"), std::string::npos) << once;
    const auto second = open();
    EXPECT_EQ(child<QSpinBox>(*second, "SpinEdit1")->value(), 20)
        << "a scan count below 10 reads back as 20";
    child<QSpinBox>(*second, "SpinEdit1")->setValue(7);
    pressOk(*second);
    EXPECT_EQ(settingsText(), once);
    EXPECT_TRUE(errors.empty());
}

TEST_F(DialogTest, TheSaverReadsWhatTheDialogWrote) {
    const auto dlg = open();
    child<QSlider>(*dlg, "SlideTrackBar")->setValue(4000);
    child<QSlider>(*dlg, "BColorTrackBar")->setValue(80);
    child<QSpinBox>(*dlg, "SpinEdit1")->setValue(150);
    child<QComboBox>(*dlg, "ComboBox1")->setCurrentIndex(3);
    pressOk(*dlg);
    SaverSettings saver;
    readSaverSettings(IniFile(settingsPath()), ReaderContext{"/opt/slidora", "Sans", "11"}, saver);
    EXPECT_EQ(saver.pictureFolder, "/srv/default-pictures");
    EXPECT_EQ(saver.tickIntervalMs, 800);
    EXPECT_EQ(saver.styleLetters, "");
    EXPECT_EQ(saver.fontSizePt, 9);
    EXPECT_TRUE(saver.useMp3Library);
    EXPECT_EQ(saver.mediaExtText, ".mid ");
    EXPECT_EQ(saver.activeMinutes, 20);
    EXPECT_EQ(saver.backgroundDensity, 80);
    EXPECT_EQ(saver.scanCount, 150);
}

TEST_F(DialogTest, AnEmptiedPictureFolderLeavesTheStoredOne) {
    writeSettings("[Image]\nDispFolder=/srv/old\n");
    const auto dlg = open();
    answerYes = true;
    chooser = [](TBrowseDlg& picker) { picker.confirm(""); };
    child<QPushButton>(*dlg, "Button1")->click();
    EXPECT_EQ(dlg->values().DlgPicFolder, "");
    EXPECT_EQ(child<QLineEdit>(*dlg, "FolderText")->text().toStdString(), "");
    pressOk(*dlg);
    EXPECT_EQ(IniFile(settingsPath()).readString("Image", "DispFolder", "?"), "/srv/old");
}

} // namespace
} // namespace slidora::test
