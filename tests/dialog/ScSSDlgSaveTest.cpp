// Saving from the settings dialog: the keys in order, the encodings, what
// Cancel leaves alone, unknown keys, a failed write and the round trip.
#include "DialogTestSupport.h"

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "tests/support/TestNames.h"

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
                         ::testing::Values(Leave::CancelButton, Leave::EscapeKey, Leave::CloseBox),
                         [](const ::testing::TestParamInfo<Leave>& p) {
                             return std::string(p.param == Leave::CancelButton ? "CancelButton"
                                                : p.param == Leave::EscapeKey  ? "EscapeKey"
                                                                               : "CloseBox");
                         });

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
                                           TypedSpin{"SpinEdit1", "999", "ScanTime", "200"}),
                         [](const ::testing::TestParamInfo<TypedSpin>& p) {
                             return testName(p.param.control,
                                             *p.param.typed == 0 ? "nothing" : p.param.typed);
                         });

} // namespace
} // namespace slidora::test
