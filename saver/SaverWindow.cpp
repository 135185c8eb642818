#include "saver/SaverWindow.h"

#include "platform/Clock.h"
#include "platform/ErrorText.h"
#include "platform/Random.h"
#include "saver/Catalogue.h"
#include "settings/IniFile.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace slidora {

namespace {

const QColor kTeal(0, 128, 128);
const QColor kYellow(255, 255, 0);
const char* const kFolderRequest = " フォルダを登録して下さい。";
const char* const kNotSetLine = " 未設定です。　　表示する";
const char* const kProductName = "Slidora";

// The window's own font: the named face when installed, else a gothic face
// that has the Japanese glyphs.
QFont windowFont(int pixelHeight) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic")});
    font.setPixelSize(pixelHeight);
    return font;
}

// The program's 32 x 32 icon, drawn rather than stored: a framed picture of
// a sun over hills in sixteen-colour style.
QPixmap programIcon() {
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.fillRect(2, 4, 28, 24, QColor(0, 0, 128));
    p.fillRect(4, 6, 24, 20, QColor(0, 255, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(18, 8, 7, 7);
    p.setBrush(QColor(0, 128, 0));
    p.drawPolygon(QPolygon({QPoint(4, 26), QPoint(12, 14), QPoint(20, 26)}));
    p.drawPolygon(QPolygon({QPoint(14, 26), QPoint(22, 17), QPoint(28, 26)}));
    return icon;
}

} // namespace

TSlidoraSaver::TSlidoraSaver(unsigned long parentWnd, SaverServices& services)
    : QWidget(nullptr), m_parentWnd(parentWnd), m_services(services) {
    setObjectName(QStringLiteral("SlidoraSaver"));
    setWindowTitle(QStringLiteral("SlidoraSaver"));
    if (previewMode()) {
        // The preview only shows; the host keeps all input.
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                       Qt::WindowDoesNotAcceptFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    } else {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }
    setFont(windowFont(12));
    m_canvasFont = windowFont(12);
    createComponents();
    m_services.timer->setHandler([this] { Mainr(); });
    try {
        FormCreate();
    } catch (const SlidoraError& error) {
        // Set-up stops at the failing step; the window stays up as far as it
        // got, without a clock, until input closes it.
        if (m_services.errorReport) m_services.errorReport(error.what());
    }
}

TSlidoraSaver::~TSlidoraSaver() {
    m_services.timer->setEnabled(false);
    m_services.timer->setHandler({});
    if (m_cursorHidden && m_services.setCursorHidden) m_services.setCursorHidden(false);
}

void TSlidoraSaver::createComponents() {
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(programIcon());
    Image1->setGeometry(53, 5, 32, 32);

    Label1 = new QLabel(QStringLiteral("Label1"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(windowFont(18));
    Label1->setAutoFillBackground(true);
    Label1->setGeometry(384, 296, 50, 18);

    Label2 = new QLabel(QStringLiteral("Label2"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(385, 275);
    Label2->adjustSize();
    Label2->hide();

    // Presses and moves over the picture or a label reach nothing: they are
    // swallowed here instead of reaching the window's own handlers.
    for (QLabel* child : {Image1, Label1, Label2}) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

void TSlidoraSaver::setUpGeometry() {
    if (previewMode()) {
        const QSize host =
            m_services.hostWindowSize ? m_services.hostWindowSize(m_parentWnd) : QSize();
        resize(host.isValid() ? host : QSize(152, 112));
        return;
    }
    resize(m_services.screenSize.width() + 2, m_services.screenSize.height() + 2);
    if (m_services.setCursorHidden) m_services.setCursorHidden(true);
    m_cursorHidden = true;
    // There is no older platform family here whose screen-saver-running flag
    // would need setting.
    m_platformKind = 2;
}

void TSlidoraSaver::FormCreate() {
    m_recorded = QPoint(-1, -1);
    move(0, 0);
    m_services.random->reseedFromClock();
    setUpGeometry();
    setAttribute(Qt::WA_InputMethodEnabled, false);

    {
        const IniFile file(m_services.settingsPath);
        readSaverSettings(file, m_services.readerContext, m_settings);
    }
    QFont overlayFont(QString::fromStdString(m_settings.fontName));
    if (m_settings.fontSizePt > 0) overlayFont.setPointSize(m_settings.fontSizePt);
    Label1->setFont(overlayFont);
    m_tickIntervalMs = m_settings.tickIntervalMs;
    m_settings.backgroundDensity = correctedDensity(m_settings.backgroundDensity);
    m_settings.scanCount = correctedScanCount(m_settings.scanCount);

    bool hasPictures = false;
    if (!previewMode()) {
        PicRead(m_settings.pictureFolder, m_settings.minimumSizeKb, m_pictureList);
        m_picIndex = 0;
        if (m_settings.pictureShuffle) {
            m_services.random->reseedFromClock();
            listShuffle(m_pictureList, *m_services.random);
        }
        if (!m_pictureList.empty()) {
            hasPictures = true;
            SaverAudio* audio = m_services.audio;
            if (audio != nullptr && !m_settings.audioFolder.empty())
                audio->AudRead(m_settings.audioFolder, m_settings.mediaExtText,
                               m_settings.audioShuffle, *m_services.random);
            const int style = FontStyleBits(m_settings.styleLetters);
            overlayFont.setBold((style & kStyleBold) != 0);
            overlayFont.setItalic((style & kStyleItalic) != 0);
            overlayFont.setUnderline((style & kStyleUnderline) != 0);
            overlayFont.setStrikeOut((style & kStyleStrikeout) != 0);
            Label1->setFont(overlayFont);
            Label2->setFont(overlayFont);
            Label2->move(width() + 10, height() + 10);
            PicDisp();
            if (audio != nullptr && !audio->listEmpty())
                audio->start(m_settings.useMp3Library, m_settings.volume);
            m_windowColour = Qt::black; // the first picture stands on black
        }
        if (m_settings.fileNamePosition == 2) Label1->setGeometry(0, 0, 0, 0);
    }
    m_recorded = MousePos();
    if (!hasPictures) setUpMessageMode();
    startActiveTime();
    // The close-pending flag is left as it is: a first display step that found
    // every picture unreadable has set it, and the next tick must close.
    m_services.timer->setIntervalMs(m_tickIntervalMs);
    m_clockPhase = 1;
    m_services.timer->setEnabled(true);
    update();
}

void TSlidoraSaver::setUpMessageMode() {
    m_messageMode = true;
    m_tickIntervalMs = 300;
    m_messageText = kFolderRequest;
    bool folderHasPictures = false;
    if (PicFolderChk(m_settings.pictureFolder, m_settings.minimumSizeKb)) {
        m_messageText = kProductName;
        Image1->move((width() - Image1->width()) / 2, Image1->y());
        folderHasPictures = true;
    } else {
        Label2->setText(QString::fromUtf8(kNotSetLine));
        Image1->move(width() - Image1->width() - 5, Image1->y());
    }
    m_windowColour = kTeal;
    m_canvasFontColour = kYellow;

    const QString text = QString::fromStdString(m_messageText);
    // The text's width grows in proportion to the font's pixel size, so the
    // size is both measured and set in pixels (not in line heights, which
    // are larger and would carry the text past both edges).
    {
        const QFontMetrics fm(m_canvasFont);
        const int tw = std::max(1, fm.horizontalAdvance(text));
        const int th = m_canvasFont.pixelSize();
        m_canvasFont.setPixelSize(std::max(1, th * width() / tw));
    }
    {
        const QFontMetrics fm(m_canvasFont);
        const int tw = fm.horizontalAdvance(text);
        const int th = std::max(1, m_canvasFont.pixelSize());
        const int limit = tw * height() / th;
        if (limit < m_canvasFont.pixelSize()) m_canvasFont.setPixelSize(std::max(1, limit));
    }
    if (!folderHasPictures) {
        const int canvasHeight = m_canvasFont.pixelSize();
        QFont labelFont = Label2->font();
        labelFont.setPixelSize(canvasHeight);
        Label2->setFont(labelFont);
        Label2->adjustSize();
        const QFontMetrics fm(m_canvasFont);
        const int tw = fm.horizontalAdvance(text);
        const int th = fm.height();
        Label2->move((width() - tw) / 2, ((height() - th) / 3) * 2 - 2 * canvasHeight);
        Label1->hide();
        QPalette pal = Label2->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        Label2->setPalette(pal);
        Label2->show();
    }
    const QFontMetrics fm(m_canvasFont);
    m_messageAt =
        QPoint((width() - fm.horizontalAdvance(text)) / 2, ((height() - fm.height()) / 3) * 2);
}

void TSlidoraSaver::startActiveTime() {
    m_activeSeconds = m_settings.activeMinutes * 60;
    if (m_services.powerSaveInfo) {
        const int power = powerOverrideSeconds(m_services.powerSaveInfo());
        if (power > 0) m_activeSeconds = power;
    }
    m_activeDeadline = m_services.clock->nowDays() + m_activeSeconds * 0.00069444 / 60;
}

void TSlidoraSaver::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_windowColour);
    if (!m_messageMode) return;
    painter.setFont(m_canvasFont);
    painter.setPen(m_canvasFontColour);
    const QFontMetrics fm(m_canvasFont);
    painter.drawText(m_messageAt.x(), m_messageAt.y() + fm.ascent(),
                     QString::fromStdString(m_messageText));
}

} // namespace slidora
