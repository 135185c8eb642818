#include "saver/SaverWindow.h"

#include <QApplication>
#include <QBackingStore>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScreen>

#include "platform/Memory.h"
#include "saver/Layout.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace slidora {

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.red, c.green, c.blue);
}

// The program's 32 x 32 icon, drawn rather than stored: a framed picture of
// a sun over hills in sixteen-colour style.
QPixmap programIcon() {
    QPixmap icon(kIconDesignRect.width, kIconDesignRect.height);
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

// A deep copy of the bitmap as an image the label can show.
QImage copiedImage(const Bitmap& bmp) {
    const int stride = static_cast<int>(bmp.stride());
    switch (bmp.bitsPerPixel()) {
    case 24:
        return QImage(bmp.data(), bmp.width(), bmp.height(), stride, QImage::Format_BGR888).copy();
    case 32:
        return QImage(bmp.data(), bmp.width(), bmp.height(), stride, QImage::Format_RGB32).copy();
    case 8: {
        QImage img(bmp.data(), bmp.width(), bmp.height(), stride, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (const PaletteEntry& e : bmp.palette())
            table.append(qRgb(e.red, e.green, e.blue));
        while (table.size() < 256)
            table.append(qRgb(0, 0, 0));
        img.setColorTable(table);
        return img.copy();
    }
    default:
        return {};
    }
}

void setTextColour(QLabel* label, Rgb colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, toQColor(colour));
    label->setPalette(pal);
}

} // namespace

void widenForDisplay(Bitmap& bitmap) {
    if (bitmap.bitsPerPixel() != 24) return;
    Bitmap wide;
    if (!wide.allocateUnfilled(bitmap.width(), bitmap.height(), 32, RowOrder::TopDown)) return;
    const auto width = static_cast<std::size_t>(bitmap.width());
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* in = bitmap.row(y);
        std::uint8_t* out = wide.row(y);
        // Four bytes at a time, the fourth overwritten with the opaque
        // byte; the row's last pixel on its own, since its fourth byte may
        // lie past the pixels.
        for (std::size_t x = 1; x < width; ++x, in += 3, out += 4) {
            std::memcpy(out, in, 4);
            out[3] = 0xff;
        }
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = 0xff;
    }
    bitmap = std::move(wide);
}

QImage shownImageOf(Bitmap bitmap) {
    // Widened here only when the preparation did not do it already.
    widenForDisplay(bitmap);
    if (bitmap.rowOrder() == RowOrder::TopDown && bitmap.bitsPerPixel() == 32) {
        // The image owns the pixels from here and frees them with itself,
        // and a pixmap made from it shares them: no copy, no conversion.
        auto* owned = new Bitmap(std::move(bitmap));
        return QImage(
            owned->data(), owned->width(), owned->height(), static_cast<qsizetype>(owned->stride()),
            QImage::Format_RGB32, [](void* pixels) { delete static_cast<Bitmap*>(pixels); }, owned);
    }
    return copiedImage(bitmap);
}

// A monitor other than the primary one during the full-screen show: the
// saver's picture fitted to this monitor by the same layout rules, on the
// saver's background. It scales the picture as the saver window shows it
// rather than decoding and resampling the file once more per monitor; a
// monitor much larger than the primary one thus shows a softer picture.
class MirrorWindow final : public QWidget {
  public:
    MirrorWindow(TSlidoraSaver& owner, QScreen* screen)
        : QWidget(nullptr), m_owner(owner), m_screen(screen) {
        setWindowTitle(QStringLiteral("SlidoraMirror"));
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setScreen(screen);
        const QRect g = screen->geometry();
        // Two pixels past the monitor's edges, as the primary window.
        setGeometry(g.x(), g.y(), g.width() + 2, g.height() + 2);
        // As on the saver window: paintEvent covers every pixel.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QScreen* monitor() const { return m_screen; }
    void refresh() {
        m_fitted = QImage();
        const QImage& shown = m_owner.m_shownImage;
        if (!shown.isNull()) {
            const Placement p = StretchSize(shown.width(), shown.height(), width(), height(),
                                            m_owner.core().settings().maxMagnification);
            m_at = QPoint(p.x, p.y);
            m_fitted = shown.size() == QSize(p.width, p.height)
                           ? shown
                           : shown.scaled(p.width, p.height, Qt::IgnoreAspectRatio,
                                          Qt::SmoothTransformation);
        }
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), m_owner.m_windowColour);
        if (!m_fitted.isNull()) painter.drawImage(m_at, m_fitted);
    }
    void resizeEvent(QResizeEvent*) override { refresh(); }
    // As on the saver window: nothing drawn depends on the focus.
    void focusInEvent(QFocusEvent*) override {}
    void focusOutEvent(QFocusEvent*) override {}
    void keyPressEvent(QKeyEvent* event) override {
        event->accept();
        m_owner.m_core.onKey();
    }
    // As on the saver window, presses and moves over the picture reach
    // nothing (the cursor check still sees the pointer move).
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        if (!overPicture(event->position().toPoint())) m_owner.m_core.onMouseDown();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        event->accept();
        if (overPicture(event->position().toPoint())) return;
        const QPoint p = event->globalPosition().toPoint();
        m_owner.m_core.onMouseMove({p.x(), p.y()});
    }
    void closeEvent(QCloseEvent* event) override {
        m_owner.m_core.onCloseRequest();
        QWidget::closeEvent(event);
    }

  private:
    bool overPicture(QPoint at) const {
        return !m_fitted.isNull() && QRect(m_at, m_fitted.size()).contains(at);
    }

    TSlidoraSaver& m_owner;
    QScreen* m_screen;
    QImage m_fitted;
    QPoint m_at;
};

QFont toQFont(const FontSpec& wanted) {
    const QString family = QString::fromStdString(wanted.family);
    QFont font(family);
    // The window's face falls back to an installed gothic face with the
    // Japanese glyphs; other faces fall back per glyph as Qt chooses.
    if (wanted.family == kWindowFace)
        font.setFamilies({family, QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    if (wanted.pixelSize > 0)
        font.setPixelSize(wanted.pixelSize);
    else if (wanted.pointSize > 0)
        font.setPointSize(wanted.pointSize);
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    font.setUnderline(wanted.underline);
    font.setStrikeOut(wanted.strikeout);
    return font;
}

TSlidoraSaver::TSlidoraSaver(unsigned long parentWnd, SaverServices& services)
    : QWidget(nullptr), m_core(parentWnd, services, *this) {
    setObjectName(QStringLiteral("SlidoraSaver"));
    setWindowTitle(QStringLiteral("SlidoraSaver"));
    if (parentWnd != 0 || services.guestWindow != 0) {
        // The preview and a guest only show; the host keeps all input.
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                       Qt::WindowDoesNotAcceptFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    } else {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // paintEvent covers every pixel with the window's colour, so the
    // toolkit's own fill of the window before it would be a second pass over
    // the whole screen for every frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
    FontSpec windowFont;
    windowFont.family = kWindowFace;
    windowFont.pixelSize = 12;
    setFont(toQFont(windowFont));
    createComponents();
}

TSlidoraSaver::~TSlidoraSaver() {
    if (m_core.cursorHidden()) setCursorHidden(false);
}

void TSlidoraSaver::coverOtherScreens() {
    if (m_coversScreens || m_core.previewMode() || m_core.guestMode() || m_core.closed()) return;
    m_coversScreens = true;
    for (QScreen* screen : QGuiApplication::screens())
        addMirror(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* s) { addMirror(s); });
    connect(qApp, &QGuiApplication::screenRemoved, this, [this](QScreen* s) { removeMirror(s); });
}

void TSlidoraSaver::addMirror(QScreen* screen) {
    if (screen == nullptr || screen == QGuiApplication::primaryScreen() || m_core.closed()) return;
    for (const auto& mirror : m_mirrors)
        if (mirror->monitor() == screen) return;
    m_mirrors.push_back(std::make_unique<MirrorWindow>(*this, screen));
    MirrorWindow& mirror = *m_mirrors.back();
    mirror.refresh();
    mirror.show();
    mirror.raise();
}

void TSlidoraSaver::removeMirror(QScreen* screen) {
    std::erase_if(m_mirrors, [screen](const auto& m) { return m->monitor() == screen; });
}

void TSlidoraSaver::updateMirrors() {
    for (const auto& mirror : m_mirrors)
        mirror->refresh();
}

void TSlidoraSaver::createComponents() {
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(programIcon());
    const Rect icon = kIconDesignRect;
    Image1->setGeometry(icon.left, icon.top, icon.width, icon.height);

    Label1 = new QLabel(QString::fromUtf8(kOverlayDesignCaption), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    FontSpec labelFont;
    labelFont.family = kWindowFace;
    labelFont.pixelSize = kOverlayDesignPixels;
    Label1->setFont(toQFont(labelFont));
    Label1->setAutoFillBackground(true);
    const Rect box = kOverlayDesignRect;
    Label1->setGeometry(box.left, box.top, box.width, box.height);

    Label2 = new QLabel(QStringLiteral("Label2"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(385, 275);
    // Sized when it is first shown (setSecondLine): measuring text here
    // would load the font database at every start, also for a show that
    // never draws any.
    Label2->hide();

    // Presses and moves over the picture or a label reach nothing: they are
    // swallowed here instead of reaching the window's own handlers.
    for (QLabel* child : {Image1, Label1, Label2}) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

void TSlidoraSaver::setWindowRect(const Rect& rect) {
    move(rect.left, rect.top);
    resize(rect.width, rect.height);
    if (!isVisible() && !m_core.previewMode() && !m_core.guestMode()) putUpBlackAhead();
}

void TSlidoraSaver::putUpBlackAhead() {
    // The full show's window goes up black as soon as its size is known,
    // before the set-up waits for the picture folder's walk. The display
    // server's first read of the window's backing store (8 MB on a
    // 1920 x 1080 screen, shared memory it has just mapped) took 23 to
    // 55 ms of its time on our machines, against about 1 ms for every later
    // frame, and the first picture's frame waited behind it; it now runs
    // while the folder is still being walked. The frame is black whatever the set-up paints
    // later (the set-up's own colour is black, the message's comes with its
    // first paint), and holds none of the children. Under a window manager
    // the window may not be mapped yet: the frame is then clipped away, and
    // the first paint puts it up as before.
    (void)winId(); // the store belongs to the native window
    QBackingStore* store = backingStore();
    if (store == nullptr) return;
    // The store is sized as the toolkit sizes it for the first paint, which
    // then keeps it. Backed in one call, not one fault per page as it is
    // first written.
    store->resize(size());
    store->beginPaint(QRegion(rect()));
    QPaintDevice* device = store->paintDevice();
    if (const auto* image = dynamic_cast<const QImage*>(device))
        backMemoryNow(image->constBits(), static_cast<std::size_t>(image->sizeInBytes()));
    QPainter(device).fillRect(rect(), Qt::black);
    store->endPaint();
    show();
    store->flush(QRegion(rect()));
}

void TSlidoraSaver::showBitmap(Bitmap bitmap, Point at) {
    const int width = bitmap.width();
    const int height = bitmap.height();
    m_shownImage = shownImageOf(std::move(bitmap));
    Image1->setPixmap(QPixmap::fromImage(m_shownImage));
    Image1->setGeometry(at.x, at.y, width, height);
    Image1->show();
    if (m_mirrors.empty()) m_shownImage = QImage();
    updateMirrors();
}

void TSlidoraSaver::moveIcon(Point topLeft) {
    Image1->move(topLeft.x, topLeft.y);
}

void TSlidoraSaver::setBackground(Rgb colour) {
    // The same colour again repaints nothing: a repaint of the whole window
    // is a frame of the whole screen for the display server to take.
    const QColor wanted = toQColor(colour);
    if (wanted == m_windowColour) return;
    m_windowColour = wanted;
    update();
    for (const auto& mirror : m_mirrors)
        mirror->update();
}

void TSlidoraSaver::setOverlayFont(const FontSpec& font) {
    Label1->setFont(toQFont(font));
}

void TSlidoraSaver::setOverlay(const OverlaySpec& overlay) {
    Label1->setGeometry(overlay.box.left, overlay.box.top, overlay.box.width, overlay.box.height);
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::Window, toQColor(overlay.background));
    pal.setColor(QPalette::WindowText, toQColor(overlay.textColour));
    Label1->setPalette(pal);
    Label1->setText(QString::fromStdString(overlay.text));
    Label1->show();
    Label1->raise();
}

void TSlidoraSaver::hideOverlay() {
    Label1->hide();
}

void TSlidoraSaver::setMessage(const MessageLine& line) {
    m_message = line;
    update();
}

void TSlidoraSaver::setSecondLine(const MessageLine& line) {
    Label2->setFont(toQFont(line.font));
    Label2->setText(QString::fromStdString(line.text));
    Label2->adjustSize();
    Label2->move(line.at.x, line.at.y);
    setTextColour(Label2, line.colour);
    Label2->show();
}

Size TSlidoraSaver::measureText(const std::string& text, const FontSpec& font) const {
    const QFontMetrics fm(toQFont(font));
    return {fm.horizontalAdvance(QString::fromStdString(text)), fm.height()};
}

void TSlidoraSaver::setCursorHidden(bool hidden) {
    if (hidden)
        QApplication::setOverrideCursor(Qt::BlankCursor);
    else
        while (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
}

void TSlidoraSaver::closeWindow() {
    // Hidden, not destroyed: the close may come from a mirror's own input
    // handler. They go with this window.
    for (const auto& mirror : m_mirrors)
        mirror->hide();
    hide();
}

void TSlidoraSaver::clearPicture() {
    // The picture's label stays shown, empty and of no size: showing a
    // child of a shown window makes the toolkit ask the display server
    // where the pointer is, and at the first picture that answer waits
    // behind the server's work on the window's first frame.
    Image1->setPixmap(QPixmap());
    Image1->setGeometry(0, 0, 0, 0);
    Label1->hide();
}

void TSlidoraSaver::presentNow() {
    // The parts a picture changes (the picture, the caption) are painted and
    // sent to the display server now, not the whole window: the rest stands
    // on the colour it had. Anything else waiting to be painted follows from
    // the event loop. A hidden window paints nothing.
    QRegion changed(Image1->geometry());
    if (Label1->isVisible()) changed += Label1->geometry();
    repaint(changed);
}

void TSlidoraSaver::wakeForPreparation() {
    // Queued to this window's thread; dropped with the window if it goes
    // first.
    QMetaObject::invokeMethod(
        this, [this] { m_core.onPreparationReady(); }, Qt::QueuedConnection);
}

void TSlidoraSaver::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_windowColour);
    if (!m_message) return;
    const QFont font = toQFont(m_message->font);
    painter.setFont(font);
    painter.setPen(toQColor(m_message->colour));
    const QFontMetrics fm(font);
    painter.drawText(m_message->at.x, m_message->at.y + fm.ascent(),
                     QString::fromStdString(m_message->text));
}

void TSlidoraSaver::keyPressEvent(QKeyEvent* event) {
    event->accept();
    m_core.onKey();
}

void TSlidoraSaver::mousePressEvent(QMouseEvent* event) {
    event->accept();
    m_core.onMouseDown();
}

void TSlidoraSaver::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (m_core.previewMode()) return;
    // Screen coordinates: the full-screen window lies at the screen's origin,
    // so they equal the window's own, and they stay right while the window
    // manager has not yet confirmed where the window is.
    const QPoint p = event->globalPosition().toPoint();
    m_core.onMouseMove({p.x(), p.y()});
}

void TSlidoraSaver::closeEvent(QCloseEvent* event) {
    // The window manager or a host closing the window ends the show.
    m_core.onCloseRequest();
    QWidget::closeEvent(event);
}

bool TSlidoraSaver::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

} // namespace slidora
