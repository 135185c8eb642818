// The settings dialog's controls: captions, hints, ranges, tab order, the
// live value labels and the brightness reset.
#include "DialogTestSupport.h"

#include "dialog/DialogLayout.h"
#include "dialog/RadioGroup.h"
#include "tests/support/TestNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QWindow>

namespace slidora::test {
namespace {

struct Caption {
    const char* control;
    const char* caption;
};

class ControlCaption : public DialogTest, public ::testing::WithParamInterface<Caption> {};

TEST_P(ControlCaption, IsTheDialogsOwnText) {
    const auto dlg = open();
    QObject* object = child<QObject>(*dlg, GetParam().control);
    QString shown;
    if (auto* label = qobject_cast<QLabel*>(object))
        shown = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        shown = button->text();
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        shown = group->title();
    EXPECT_EQ(shown.toStdString(), GetParam().caption) << GetParam().control;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ControlCaption,
    ::testing::Values(
        Caption{"Label1", "画像のあるフォルダ"}, Caption{"CheckBox1", "ランダム"},
        Caption{"Button1", "参照"}, Caption{"GroupBox1", " スライド間隔 "}, Caption{"Label9", "0"},
        Caption{"Label3", "10"}, Caption{"Label5", "20"}, Caption{"Label6", "30"},
        Caption{"GroupBox4", " 最大倍率 "}, Caption{"Label13", "1"}, Caption{"Label17", "2"},
        Caption{"Label18", "3"}, Caption{"GroupBox2", " 背景色の明るさ"}, Caption{"Label8", "暗"},
        Caption{"Label10", "明"}, Caption{"CuteButton1", "↑"},
        Caption{"RadioGroup1", " ファイル名の表示 "}, Caption{"Button4", "フォント"},
        Caption{"DirCheck", "フォルダ名"}, Caption{"DayCheck", "日付表示"},
        Caption{"TimeCheck", "時刻表示"}, Caption{"Label7", "サイズ"}, Caption{"Label15", "KB以上"},
        Caption{"Label12", "スキャン回数"}, Caption{"Label16", "Audioファイルのあるフォルダ"},
        Caption{"CheckBox2", "ランダム"}, Caption{"Button3", "クリア"}, Caption{"Button2", "参照"},
        Caption{"CheckBox3", "Media Player で再生"}, Caption{"GroupBox3", " ボリューム "},
        Caption{"Label20", "Slidoraの動作時間"}, Caption{"Label19", "フォント用Dummy"},
        Caption{"Label14", "<u>S</u>lidora Saver"}, Caption{"OKBtn", "OK"},
        Caption{"CancelBtn", "ｷｬﾝｾﾙ"}),
    [](const ::testing::TestParamInfo<Caption>& p) { return testName(p.param.control); });

TEST_F(DialogTest, EveryControlOfTheTableIsBuiltWithItsNameParentPlaceAndHint) {
    const auto dlg = open();
    for (const ControlDesign& c : DialogLayout()) {
        auto* widget = child<QWidget>(*dlg, c.name.c_str());
        // A path field's hint is the full path it shows.
        if (c.kind != ControlKind::PathField) {
            EXPECT_EQ(widget->toolTip().toStdString(), c.hint) << c.name;
        }
        EXPECT_EQ(widget->parentWidget()->objectName().toStdString(),
                  c.parent.empty() ? "ScSSDlg" : c.parent)
            << c.name;
        EXPECT_EQ(widget->pos(), QPoint(dlg->scaled(c.place.left), dlg->scaled(c.place.top)))
            << c.name;
        if (c.place.width > 0 && c.kind != ControlKind::Picture) {
            EXPECT_EQ(widget->size(),
                      QSize(dlg->scaled(c.place.width), dlg->scaled(c.place.height)))
                << c.name;
        }
    }
    EXPECT_EQ(child<QLabel>(*dlg, "Label11")->text().toStdString(), "1.5.0")
        << "the program's version, cut before its last dot";
}

struct Hint {
    const char* control;
    const char* hint;
};

class ControlHint : public DialogTest, public ::testing::WithParamInterface<Hint> {};

TEST_P(ControlHint, IsItsTooltip) {
    const auto dlg = open();
    EXPECT_EQ(child<QWidget>(*dlg, GetParam().control)->toolTip().toStdString(), GetParam().hint);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ControlHint,
    ::testing::Values(
        Hint{"SlideTrackBar", "目安です。"}, Hint{"Bairitu", "拡大時の最大倍率。"},
        Hint{"BColorTrackBar", "目安です。"}, Hint{"CuteButton1", "デフォルトに戻します。"},
        Hint{"RadioGroup1", "ファイル名の表示位置"}, Hint{"DirCheck", "フォルダ名を表示します。"},
        Hint{"DayCheck", "日付を表示します。"}, Hint{"TimeCheck", "時刻を表示します。"},
        Hint{"Label7", "MAX 200。デフォルトは、20回。"},
        Hint{"SizeEdit", "最低のファイルサイズ。MAX 50KB。MIN 5KB。デフォルトは、10KB。"},
        Hint{"Label12", "MAX 200。デフォルトは、20回。"},
        Hint{"SpinEdit1", "MAX 200。デフォルトは、20回。"},
        Hint{"TrackBar1", "音量調節・Media Player再生時は無効です。"},
        Hint{"ComboBox1", "省電力機能の時間が優先します。"}),
    [](const ::testing::TestParamInfo<Hint>& p) { return testName(p.param.control); });

struct SliderRange {
    const char* control;
    int minimum, maximum, lineStep, pageStep, tickInterval;
};

class SliderDesign : public DialogTest, public ::testing::WithParamInterface<SliderRange> {};

TEST_P(SliderDesign, HasItsRangeAndSteps) {
    const auto dlg = open();
    const SliderRange& r = GetParam();
    auto* slider = child<QSlider>(*dlg, r.control);
    EXPECT_EQ(slider->minimum(), r.minimum);
    EXPECT_EQ(slider->maximum(), r.maximum);
    EXPECT_EQ(slider->singleStep(), r.lineStep);
    EXPECT_EQ(slider->pageStep(), r.pageStep);
    EXPECT_EQ(slider->tickInterval(), r.tickInterval);
    EXPECT_EQ(slider->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(slider->orientation(), Qt::Horizontal);
}

INSTANTIATE_TEST_SUITE_P(Sliders, SliderDesign,
                         ::testing::Values(SliderRange{"SlideTrackBar", 1, 30000, 10, 200, 5000},
                                           SliderRange{"Bairitu", 10, 30, 10, 1, 5},
                                           SliderRange{"BColorTrackBar", 0, 200, 10, 10, 50},
                                           SliderRange{"TrackBar1", 0, 100, 10, 10, 20}),
                         [](const ::testing::TestParamInfo<SliderRange>& p) {
                             return testName(p.param.control);
                         });

TEST_F(DialogTest, SpinEditsListsAndWindow) {
    const auto dlg = open();
    auto* size = child<QSpinBox>(*dlg, "SizeEdit");
    EXPECT_EQ(size->minimum(), 5);
    EXPECT_EQ(size->maximum(), 50);
    EXPECT_EQ(child<QLineEdit>(*size, "qt_spinbox_lineedit")->maxLength(), 3);
    auto* scans = child<QSpinBox>(*dlg, "SpinEdit1");
    EXPECT_EQ(scans->minimum(), 5);
    EXPECT_EQ(scans->maximum(), 200);
    auto* combo = child<QComboBox>(*dlg, "ComboBox1");
    EXPECT_FALSE(combo->isEditable());
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    EXPECT_EQ(entries.join('|').toStdString(), "5 分間|10 分間|15 分間|20 分間|25 分間|30 分間|45 "
                                               "分間|1 時間|2 時間|3 時間|4 時間|5 時間|無制限");
    auto* radio = child<RadioGroup>(*dlg, "RadioGroup1");
    QStringList items;
    for (QRadioButton* b : radio->buttons())
        items << b->text();
    EXPECT_EQ(items.join('|').toStdString(), "左上|左下|なし|右上|右下|ランダム");
    // Two columns, filled top to bottom: 左上 左下 なし on the left.
    EXPECT_LT(radio->buttons()[0]->x(), radio->buttons()[3]->x());
    EXPECT_EQ(radio->buttons()[0]->x(), radio->buttons()[2]->x());
    EXPECT_LT(radio->buttons()[0]->y(), radio->buttons()[1]->y());
    EXPECT_TRUE(child<QLineEdit>(*dlg, "FolderText")->isReadOnly());
    EXPECT_TRUE(child<QLineEdit>(*dlg, "AudioText")->isReadOnly());
    EXPECT_TRUE(child<QPushButton>(*dlg, "OKBtn")->isDefault());
    EXPECT_TRUE(child<QLabel>(*dlg, "Label2")->isHidden());
    EXPECT_TRUE(child<QLabel>(*dlg, "Label19")->isHidden());
    EXPECT_EQ(child<QLabel>(*dlg, "Label2")->width(),
              child<QLineEdit>(*dlg, "FolderText")->width());
    EXPECT_EQ(dlg->windowTitle().toStdString(), "  Slidora の設定");
    EXPECT_EQ(dlg->width(), dlg->scaled(404));
    EXPECT_EQ(dlg->height(), dlg->scaled(450));
    EXPECT_EQ(dlg->scaled(120), 96) << "the offscreen screen has 96 logical dots per inch";
    EXPECT_EQ(child<QWidget>(*dlg, "Panel1")->geometry(), QRect(12, 212, 300, 80));
    EXPECT_EQ(child<QWidget>(*dlg, "TrackBar1")->parentWidget()->objectName(), "GroupBox3");
    EXPECT_EQ(dlg->OwnerWnd(), 0u) << "no foreground window without an X display";
}

TEST_F(DialogTest, TabVisitsTheControlsInTheTablesOrder) {
    const auto dlg = open();
    std::vector<std::string> expected;
    for (const std::string& name : tabChain())
        if (controlDesign(name).kind != ControlKind::PathField) expected.push_back(name);
    ASSERT_EQ(expected.front(), "Button1");
    std::vector<std::string> visited;
    QWidget* start = child<QWidget>(*dlg, "Button1");
    QWidget* w = start;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) {
            QWidget* named = w;
            // Inner widgets (a spin box's field, a radio button) count as their control.
            while (named != dlg.get() &&
                   std::find(expected.begin(), expected.end(), named->objectName().toStdString()) ==
                       expected.end())
                named = named->parentWidget();
            const std::string name = named->objectName().toStdString();
            if (named != dlg.get() && (visited.empty() || visited.back() != name))
                visited.push_back(name);
        }
        w = w->nextInFocusChain();
    } while (w != start);
    EXPECT_EQ(visited, expected);
}

TEST_F(DialogTest, VolumeAndBrightnessLeaveTheSlideLabelAlone) {
    const auto dlg = open();
    child<QSlider>(*dlg, "SlideTrackBar")->setValue(4500);
    child<QSlider>(*dlg, "TrackBar1")->setValue(10);
    child<QSlider>(*dlg, "BColorTrackBar")->setValue(20);
    EXPECT_EQ(child<QLabel>(*dlg, "Label4")->text().toStdString(), " 4.5秒 ");
}

} // namespace
} // namespace slidora::test
