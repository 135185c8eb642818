#include "dialog/ScSSDlg.h"

#include "dialog/DialogLayout.h"
#include "dialog/OwnerWindow.h"
#include "dialog/RadioGroup.h"

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

QString q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The form's face when it is installed, else a gothic face that has the
// Japanese glyphs.
QString formFontFamily() {
    for (const char* family : {"ＭＳ Ｐゴシック", "IPAPGothic", "IPAGothic"})
        if (QFontDatabase::hasFamily(QString::fromUtf8(family))) return QString::fromUtf8(family);
    return QString::fromUtf8("ＭＳ Ｐゴシック");
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

// "&X" marks X as an accelerator, drawn underlined; a label has no control
// for it to lead to. Returns the caption as rich text, or nothing when it has
// no accelerator.
std::optional<QString> acceleratedCaption(const std::string& caption) {
    const std::size_t amp = caption.find('&');
    if (amp == std::string::npos || amp + 1 >= caption.size()) return std::nullopt;
    return q(caption.substr(0, amp)).toHtmlEscaped() + QStringLiteral("<u>") +
           q(caption.substr(amp + 1, 1)).toHtmlEscaped() + QStringLiteral("</u>") +
           q(caption.substr(amp + 2)).toHtmlEscaped();
}

} // namespace

TScSSDlg::TScSSDlg(DialogEnvironment environment, QWidget* parent) : QDialog(parent) {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) m_scale = screen->logicalDotsPerInch() / kDesignDpi;

    setObjectName(QStringLiteral("ScSSDlg"));
    setWindowTitle(q(kDialogCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont formFont(formFontFamily());
    formFont.setPixelSize(scaled(kFormFontHeight));
    QDialog::setFont(formFont);
    setFixedSize(scaled(kDesignClientWidth), scaled(kDesignClientHeight));
    if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());

    buildControls();
    arrangeTabOrder();
    DialogControls& controls = *this;
    m_model = std::make_unique<DialogModel>(controls, modelServices(std::move(environment)));
    connectHandlers();
    takeOwner();
    setWindowModality(Qt::ApplicationModal);

    m_model->FormCreate();
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
    for (const ControlDesign& design : DialogLayout()) {
        QWidget* parent = design.parent.empty() ? this : control<QWidget>(design.parent);
        QWidget* widget = build(design, parent);
        widget->setObjectName(q(design.name));
        if (!design.hint.empty()) widget->setToolTip(q(design.hint));
        m_widgets.emplace(design.name, widget);
    }
    // Display paths are measured against the picture folder's field, also
    // when loading stops before it would set this.
    setWidth("Label2", width("FolderText"));
}

QWidget* TScSSDlg::build(const ControlDesign& d, QWidget* parent) {
    const QRect place(scaled(d.place.left), scaled(d.place.top), scaled(d.place.width),
                      scaled(d.place.height));
    const QPoint at = place.topLeft();
    auto label = [&]() {
        auto* l = new QLabel(q(d.caption), parent);
        if (const std::optional<QString> rich = acceleratedCaption(d.caption)) {
            l->setTextFormat(Qt::RichText);
            l->setText(*rich);
        }
        l->adjustSize();
        l->move(at);
        return l;
    };
    auto button = [&]() {
        auto* b = new QPushButton(q(d.caption), parent);
        b->setGeometry(place);
        // Return presses the dialog's default button (OK) wherever the focus is.
        b->setAutoDefault(false);
        return b;
    };
    switch (d.kind) {
    case ControlKind::Bevel:
    case ControlKind::Panel: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        frame->setGeometry(place);
        return frame;
    }
    case ControlKind::Label:
        return label();
    case ControlKind::RightLabel: {
        QLabel* l = label();
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    }
    case ControlKind::TickLabel: {
        QLabel* l = label();
        QFont small = l->font();
        small.setPixelSize(scaled(kTickFontHeight));
        l->setFont(small);
        l->adjustSize();
        return l;
    }
    case ControlKind::HiddenLabel: {
        QLabel* l = label();
        if (d.designValue > 0) {
            QFont sized = l->font();
            sized.setPointSize(d.designValue);
            l->setFont(sized);
        }
        l->hide();
        return l;
    }
    case ControlKind::CheckBox: {
        auto* c = new QCheckBox(q(d.caption), parent);
        c->adjustSize();
        c->move(at);
        return c;
    }
    case ControlKind::PathField: {
        auto* e = new QLineEdit(parent);
        e->setGeometry(place);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::ClickFocus);
        return e;
    }
    case ControlKind::Button:
    case ControlKind::CancelButton:
        return button();
    case ControlKind::DefaultButton: {
        QPushButton* b = button();
        b->setDefault(true);
        return b;
    }
    case ControlKind::FlatButton: {
        auto* b = new QToolButton(parent);
        b->setText(q(d.caption));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; }"));
        b->setGeometry(place);
        return b;
    }
    case ControlKind::Group: {
        auto* g = new QGroupBox(q(d.caption), parent);
        g->setGeometry(place);
        return g;
    }
    case ControlKind::Slider: {
        auto* s = new QSlider(Qt::Horizontal, parent);
        s->setGeometry(place);
        s->setRange(d.range.minimum, d.range.maximum);
        s->setSingleStep(d.range.lineStep);
        s->setPageStep(d.range.pageStep);
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(d.range.tickInterval);
        s->setValue(d.designValue);
        return s;
    }
    case ControlKind::SpinEdit: {
        auto* s = new QSpinBox(parent);
        s->setGeometry(place);
        s->setRange(d.range.minimum, d.range.maximum);
        s->setValue(d.designValue);
        if (d.maxLength > 0)
            if (auto* edit = s->findChild<QLineEdit*>()) edit->setMaxLength(d.maxLength);
        return s;
    }
    case ControlKind::RadioGroup: {
        QStringList items;
        for (const std::string& item : d.items)
            items << q(item);
        auto* r = new RadioGroup(q(d.caption), items, d.columns, parent);
        r->setGeometry(place);
        r->arrangeButtons(scaled(kFormFontHeight));
        r->setItemIndex(d.designValue);
        return r;
    }
    case ControlKind::ComboBox: {
        auto* c = new QComboBox(parent);
        c->setEditable(false);
        c->setGeometry(place);
        for (const std::string& item : d.items)
            c->addItem(q(item));
        c->setCurrentIndex(d.designValue);
        return c;
    }
    case ControlKind::Picture: {
        auto* image = new QLabel(parent);
        image->setPixmap(formIcon());
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Never smaller than the 32 by 32 picture it holds.
        image->setGeometry(place.left(), place.top(), std::max(32, place.width()),
                           std::max(32, place.height()));
        return image;
    }
    }
    throw std::logic_error("unknown control kind for " + d.name);
}

void TScSSDlg::arrangeTabOrder() {
    std::vector<QWidget*> order;
    for (const std::string& name : tabChain()) {
        QWidget* widget = control<QWidget>(name);
        // A radio group's stops are its buttons.
        if (auto* group = dynamic_cast<RadioGroup*>(widget))
            order.insert(order.end(), group->buttons().begin(), group->buttons().end());
        else
            order.push_back(widget);
    }
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    for (QWidget* widget : order)
        if (widget->focusPolicy() & Qt::TabFocus) {
            widget->setFocus();
            break;
        }
}

void TScSSDlg::connectHandlers() {
    DialogModel& model = *m_model;
    for (const char* name : {"SlideTrackBar", "BColorTrackBar", "TrackBar1"})
        connect(control<QSlider>(name), &QSlider::valueChanged, this,
                [&model] { model.SlideTrackBarChange(); });
    connect(control<QSlider>("Bairitu"), &QSlider::valueChanged, this,
            [&model] { model.BairituChange(); });
    connect(control<QToolButton>("CuteButton1"), &QToolButton::clicked, this,
            [&model] { model.CuteButton1Click(); });
    connect(control<QPushButton>("Button4"), &QPushButton::clicked, this,
            [&model] { model.Button4Click(); });
    for (const char* name : {"Button1", "Button2"}) {
        const int tag = controlDesign(name).designValue;
        connect(control<QPushButton>(name), &QPushButton::clicked, this,
                [this, tag] { Button1Click(tag); });
    }
    connect(control<QPushButton>("Button3"), &QPushButton::clicked, this,
            [&model] { model.Button3Click(); });
    // The dialog closes after OK whether or not the settings could be written.
    connect(control<QPushButton>("OKBtn"), &QPushButton::clicked, this, [this, &model] {
        model.OKBtnClick();
        accept();
    });
    connect(control<QPushButton>("CancelBtn"), &QPushButton::clicked, this, &QDialog::reject);
    BrowseDlg1.OnShow = [this, &model] {
        BrowseDlg1.setInitialFolder(model.browseStartFolder(BrowseDlg1.tag()));
    };
    BrowseDlg1.OnOKBtnClick = [this, &model] {
        model.BrowseDlg1OKBtnClick(BrowseDlg1.tag(), BrowseDlg1.folder());
    };
    BrowseDlg1.widthPx = scaled(300);
    BrowseDlg1.heightPx = scaled(400);
}

void TScSSDlg::Button1Click(int tag) {
    try {
        BrowseDlg1.setTag(tag);
        BrowseDlg1.execute(this);
    } catch (const std::exception& e) {
        reportError(e.what());
    }
}

} // namespace slidora
