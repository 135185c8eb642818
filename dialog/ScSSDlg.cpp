#include "dialog/ScSSDlg.h"

#include "dialog/DialogRules.h"
#include "dialog/OwnerWindow.h"
#include "dialog/RadioGroup.h"
#include "platform/Paths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStringList>
#include <QToolButton>
#include <QWindow>

#include <cmath>

namespace slidora {

namespace {

constexpr double kDesignDpi = 120.0;
constexpr int kDesignClientWidth = 404;
constexpr int kDesignClientHeight = 450;
constexpr int kFormFontHeight = 15;
constexpr int kTickFontHeight = 13;
constexpr int kOverlayFontDesignPt = 9;

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The form's face when it is installed, else a gothic face that has the
// Japanese glyphs.
QString formFontFamily() {
    for (const char* family : {"ＭＳ Ｐゴシック", "IPAPGothic", "IPAGothic"})
        if (QFontDatabase::hasFamily(q(family))) return q(family);
    return q("ＭＳ Ｐゴシック");
}

// The form's 32 by 32 picture in the 16 standard colours: a framed landscape.
QPixmap formIcon() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(2, 3, 28, 22, QColor(0, 0, 0));
    p.fillRect(3, 4, 26, 20, QColor(192, 192, 192));
    p.fillRect(5, 6, 22, 16, QColor(0, 0, 128));
    p.fillRect(22, 8, 3, 3, QColor(255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 128, 0));
    p.drawPolygon(
        QPolygon({QPoint(5, 22), QPoint(12, 13), QPoint(17, 18), QPoint(21, 15), QPoint(27, 22)}));
    p.fillRect(14, 25, 4, 3, QColor(128, 128, 128));
    p.fillRect(9, 28, 14, 2, QColor(128, 128, 128));
    p.end();
    return QPixmap::fromImage(image);
}

void setHint(QWidget* widget, const char* hint) {
    widget->setToolTip(q(hint));
}

} // namespace

TScSSDlg::TScSSDlg(DialogEnvironment environment, QWidget* parent)
    : QDialog(parent), m_env(std::move(environment)) {
    if (m_env.settingsPath.empty()) m_env.settingsPath = settingsLocation();
    if (m_env.programDir.empty()) m_env.programDir = programDir();
    if (!m_env.powerSaveInfo) m_env.powerSaveInfo = [] { return PowerSaveInfo(); };
    if (!m_env.picFolderChk) m_env.picFolderChk = PicFolderChk;
    if (!m_env.audFolderChk) m_env.audFolderChk = AudFolderChk;

    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) m_scale = screen->logicalDotsPerInch() / kDesignDpi;

    setObjectName(QStringLiteral("ScSSDlg"));
    setWindowTitle(q("  Slidora の設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont formFont(formFontFamily());
    formFont.setPixelSize(scaled(kFormFontHeight));
    setFont(formFont);
    setFixedSize(scaled(kDesignClientWidth), scaled(kDesignClientHeight));
    if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());

    buildControls();
    arrangeTabOrder();
    SlideTrackBarChange();
    BairituChange();
    connectHandlers();
    takeOwner();
    setWindowModality(Qt::ApplicationModal);

    FormCreate();
}

TScSSDlg::~TScSSDlg() {
    if (windowHandle() != nullptr) windowHandle()->setTransientParent(nullptr);
}

int TScSSDlg::scaled(int designPx) const {
    return static_cast<int>(std::lround(designPx * m_scale));
}

void TScSSDlg::takeOwner() {
    // Only an X11 session has a foreground window to stay above.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    m_ownerWnd = foregroundWindowId();
    if (m_ownerWnd == 0) return;
    m_ownerWindow.reset(QWindow::fromWinId(static_cast<WId>(m_ownerWnd)));
    if (!m_ownerWindow) return;
    winId();
    if (windowHandle() != nullptr) windowHandle()->setTransientParent(m_ownerWindow.get());
}

void TScSSDlg::buildControls() {
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel1->setGeometry(scaled(5), scaled(0), scaled(395), scaled(401));

    buildImageSide();
    buildTextSide();
    buildAudioPanel();
    buildFooter();
}

namespace {

struct Builder {
    const TScSSDlg& dlg;

    QRect rect(int left, int top, int width, int height) const {
        return QRect(dlg.scaled(left), dlg.scaled(top), dlg.scaled(width), dlg.scaled(height));
    }
    QLabel* label(QWidget* parent, const char* name, const char* text, int left, int top) const {
        auto* l = new QLabel(q(text), parent);
        l->setObjectName(q(name));
        l->adjustSize();
        l->move(dlg.scaled(left), dlg.scaled(top));
        return l;
    }
    QLabel* tickLabel(QWidget* parent, const char* name, const char* text, int left,
                      int top) const {
        QLabel* l = label(parent, name, text, left, top);
        QFont small = l->font();
        small.setPixelSize(dlg.scaled(kTickFontHeight));
        l->setFont(small);
        l->adjustSize();
        return l;
    }
    QCheckBox* check(QWidget* parent, const char* name, const char* text, int left, int top) const {
        auto* c = new QCheckBox(q(text), parent);
        c->setObjectName(q(name));
        c->adjustSize();
        c->move(dlg.scaled(left), dlg.scaled(top));
        return c;
    }
    QGroupBox* group(QWidget* parent, const char* name, const char* title, QRect place) const {
        auto* g = new QGroupBox(q(title), parent);
        g->setObjectName(q(name));
        g->setGeometry(place);
        return g;
    }
    struct SliderDesign {
        int minimum, maximum, lineStep, pageStep, tickInterval, value;
    };
    QSlider* slider(QWidget* parent, const char* name, QRect place, SliderDesign d) const {
        auto* s = new QSlider(Qt::Horizontal, parent);
        s->setObjectName(q(name));
        s->setGeometry(place);
        s->setRange(d.minimum, d.maximum);
        s->setSingleStep(d.lineStep);
        s->setPageStep(d.pageStep);
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(d.tickInterval);
        s->setValue(d.value);
        return s;
    }
    QPushButton* button(QWidget* parent, const char* name, const char* text, QRect place) const {
        auto* b = new QPushButton(q(text), parent);
        b->setObjectName(q(name));
        b->setGeometry(place);
        // Return presses the dialog's default button (OK) wherever the focus is.
        b->setAutoDefault(false);
        return b;
    }
    QLineEdit* pathField(QWidget* parent, const char* name, QRect place) const {
        auto* e = new QLineEdit(parent);
        e->setObjectName(q(name));
        e->setGeometry(place);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::ClickFocus);
        return e;
    }
    QSpinBox* spin(QWidget* parent, const char* name, QRect place, int minimum, int maximum,
                   int value) const {
        auto* s = new QSpinBox(parent);
        s->setObjectName(q(name));
        s->setGeometry(place);
        s->setRange(minimum, maximum);
        s->setValue(value);
        return s;
    }
};

} // namespace

void TScSSDlg::buildImageSide() {
    const Builder b{*this};
    b.label(this, "Label1", "画像のあるフォルダ", 25, 5);
    CheckBox1 = b.check(this, "CheckBox1", "ランダム", 240, 5);
    FolderText = b.pathField(this, "FolderText", b.rect(25, 25, 301, 23));
    Button1 = b.button(this, "Button1", "参照", b.rect(325, 25, 45, 25));
    Button1->setProperty("Tag", kBrowsePictureFolder);

    GroupBox1 = b.group(this, "GroupBox1", " スライド間隔 ", b.rect(15, 55, 180, 65));
    SlideTrackBar = b.slider(GroupBox1, "SlideTrackBar", b.rect(10, 20, 150, 25),
                             {1, 30000, 10, 200, 5000, 2000});
    setHint(SlideTrackBar, "目安です。");
    b.tickLabel(GroupBox1, "Label9", "0", 15, 45);
    b.tickLabel(GroupBox1, "Label3", "10", 55, 45);
    b.tickLabel(GroupBox1, "Label5", "20", 100, 45);
    b.tickLabel(GroupBox1, "Label6", "30", 145, 45);
    Label4 = b.label(GroupBox1, "Label4", "", 105, 1);

    GroupBox4 = b.group(this, "GroupBox4", " 最大倍率 ", b.rect(15, 130, 180, 65));
    Bairitu = b.slider(GroupBox4, "Bairitu", b.rect(10, 20, 150, 25), {10, 30, 10, 1, 5, 30});
    setHint(Bairitu, "拡大時の最大倍率。");
    b.tickLabel(GroupBox4, "Label13", "1", 15, 45);
    b.tickLabel(GroupBox4, "Label17", "2", 80, 45);
    b.tickLabel(GroupBox4, "Label18", "3", 145, 45);
    BairituD = b.label(GroupBox4, "BairituD", "", 105, 1);

    GroupBox2 = b.group(this, "GroupBox2", " 背景色の明るさ", b.rect(15, 200, 180, 60));
    BColorTrackBar =
        b.slider(GroupBox2, "BColorTrackBar", b.rect(25, 20, 125, 25), {0, 200, 10, 10, 50, 150});
    setHint(BColorTrackBar, "目安です。");
    QLabel* dark = b.label(GroupBox2, "Label8", "暗", 5, 25);
    dark->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    b.label(GroupBox2, "Label10", "明", 155, 25);
    CuteButton1 = new QToolButton(GroupBox2);
    CuteButton1->setObjectName(QStringLiteral("CuteButton1"));
    CuteButton1->setText(q("↑"));
    CuteButton1->setAutoRaise(true);
    CuteButton1->setFocusPolicy(Qt::NoFocus);
    CuteButton1->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; }"));
    CuteButton1->setGeometry(b.rect(110, 35, 10, 20));
    setHint(CuteButton1, "デフォルトに戻します。");
}

void TScSSDlg::buildTextSide() {
    const Builder b{*this};
    const QStringList positions{q("左上"), q("左下"), q("なし"),
                                q("右上"), q("右下"), q("ランダム")};
    RadioGroup1 = new RadioGroup(q(" ファイル名の表示 "), positions, 2, this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(b.rect(210, 55, 180, 86));
    RadioGroup1->arrangeButtons(scaled(kFormFontHeight));
    RadioGroup1->setItemIndex(4);
    setHint(RadioGroup1, "ファイル名の表示位置");

    Button4 = b.button(this, "Button4", "フォント", b.rect(210, 145, 76, 26));
    DirCheck = b.check(this, "DirCheck", "フォルダ名", 300, 150);
    setHint(DirCheck, "フォルダ名を表示します。");
    DayCheck = b.check(this, "DayCheck", "日付表示", 210, 180);
    setHint(DayCheck, "日付を表示します。");
    TimeCheck = b.check(this, "TimeCheck", "時刻表示", 300, 180);
    setHint(TimeCheck, "時刻を表示します。");

    setHint(b.label(this, "Label7", "サイズ", 215, 210), "MAX 200。デフォルトは、20回。");
    SizeEdit = b.spin(this, "SizeEdit", b.rect(275, 205, 46, 24), 5, 50, 10);
    if (auto* edit = SizeEdit->findChild<QLineEdit*>()) edit->setMaxLength(3);
    setHint(SizeEdit, "最低のファイルサイズ。MAX 50KB。MIN 5KB。デフォルトは、10KB。");
    b.label(this, "Label15", "KB以上", 330, 210);
    setHint(b.label(this, "Label12", "スキャン回数", 215, 240), "MAX 200。デフォルトは、20回。");
    SpinEdit1 = b.spin(this, "SpinEdit1", b.rect(320, 235, 45, 24), 5, 200, 10);
    setHint(SpinEdit1, "MAX 200。デフォルトは、20回。");
}

void TScSSDlg::buildAudioPanel() {
    const Builder b{*this};
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(b.rect(15, 265, 375, 100));

    b.label(Panel1, "Label16", "Audioファイルのあるフォルダ", 10, 5);
    CheckBox2 = b.check(Panel1, "CheckBox2", "ランダム", 215, 5);
    Button3 = b.button(Panel1, "Button3", "クリア", b.rect(305, 5, 55, 20));
    AudioText = b.pathField(Panel1, "AudioText", b.rect(10, 25, 306, 23));
    Button2 = b.button(Panel1, "Button2", "参照", b.rect(315, 25, 45, 25));
    Button2->setProperty("Tag", kBrowseAudioFolder);
    CheckBox3 = b.check(Panel1, "CheckBox3", "Media Player で再生", 15, 65);
    GroupBox3 = b.group(Panel1, "GroupBox3", " ボリューム ", b.rect(190, 50, 170, 45));
    TrackBar1 =
        b.slider(GroupBox3, "TrackBar1", b.rect(10, 15, 150, 25), {0, 100, 10, 10, 20, 100});
    setHint(TrackBar1, "音量調節・Media Player再生時は無効です。");
}

void TScSSDlg::buildFooter() {
    const Builder b{*this};
    b.label(this, "Label20", "Slidoraの動作時間", 25, 375);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(b.rect(210, 370, 165, 23));
    for (int i = 0; i < kActTimeFixedEntries; ++i)
        ComboBox1->addItem(q(actTimeCaption(i)));
    ComboBox1->setCurrentIndex(-1);
    setHint(ComboBox1, "省電力機能の時間が優先します。");

    // Label2 is never shown: its font and width are the measure of display
    // paths. Label19 is never shown either: its font is the overlay font
    // being edited.
    Label2 = b.label(this, "Label2", "", 20, 110);
    Label2->resize(FolderText->width(), Label2->height());
    Label2->hide();
    Label19 = b.label(this, "Label19", "フォント用Dummy", 145, 390);
    QFont overlayFont = Label19->font();
    overlayFont.setPointSize(kOverlayFontDesignPt);
    Label19->setFont(overlayFont);
    Label19->hide();

    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(formIcon());
    image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image1->setGeometry(scaled(22), scaled(410), std::max(32, scaled(32)),
                        std::max(32, scaled(41)));
    // The caption "&Slidora Saver" marks its S as an accelerator, drawn
    // underlined; there is no control for it to lead to.
    QLabel* title = b.label(this, "Label14", "", 65, 410);
    title->setTextFormat(Qt::RichText);
    title->setText(QStringLiteral("<u>S</u>lidora Saver"));
    title->adjustSize();
    Label11 = b.label(this, "Label11", "1.50", 85, 430);

    OKBtn = b.button(this, "OKBtn", "OK", b.rect(180, 410, 95, 25));
    OKBtn->setDefault(true);
    CancelBtn = b.button(this, "CancelBtn", "ｷｬﾝｾﾙ", b.rect(285, 410, 90, 25));
}

void TScSSDlg::arrangeTabOrder() {
    std::vector<QWidget*> order{FolderText,    Button1, CheckBox1,
                                SlideTrackBar, Bairitu, BColorTrackBar};
    for (QWidget* item : RadioGroup1->buttons())
        order.push_back(item);
    for (QWidget* item : std::initializer_list<QWidget*>{
             Button4, DirCheck, DayCheck, TimeCheck, SizeEdit, SpinEdit1, AudioText, Button2,
             Button3, CheckBox2, CheckBox3, TrackBar1, ComboBox1, OKBtn, CancelBtn})
        order.push_back(item);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    Button1->setFocus();
}

void TScSSDlg::connectHandlers() {
    connect(SlideTrackBar, &QSlider::valueChanged, this, [this] { SlideTrackBarChange(); });
    connect(BColorTrackBar, &QSlider::valueChanged, this, [this] { SlideTrackBarChange(); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { SlideTrackBarChange(); });
    connect(Bairitu, &QSlider::valueChanged, this, [this] { BairituChange(); });
    connect(CuteButton1, &QToolButton::clicked, this,
            [this] { handle([this] { CuteButton1Click(); }); });
    connect(Button4, &QPushButton::clicked, this, [this] { handle([this] { Button4Click(); }); });
    connect(Button1, &QPushButton::clicked, this,
            [this] { handle([this] { Button1Click(Button1); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { handle([this] { Button1Click(Button2); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { handle([this] { Button3Click(); }); });
    // The dialog closes after OK whether or not the settings could be written.
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        handle([this] { OKBtnClick(); });
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    BrowseDlg1.OnShow = [this] { BrowseDlg1Show(); };
    BrowseDlg1.OnOKBtnClick = [this] { handle([this] { BrowseDlg1OKBtnClick(); }); };
    BrowseDlg1.widthPx = scaled(300);
    BrowseDlg1.heightPx = scaled(400);
    if (m_env.folderChooser) BrowseDlg1.setChooser(m_env.folderChooser);
}

} // namespace slidora
