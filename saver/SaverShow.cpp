// The running show: the clock's tick, the display step with its overlay, and
// how the show ends.
#include "saver/SaverWindow.h"

#include "platform/Clock.h"
#include "platform/Random.h"
#include "saver/Background.h"
#include "saver/Catalogue.h"
#include "saver/Layout.h"
#include "saver/Overlay.h"
#include "saver/resize/ResizeHost.h"
#include "saver/resize/Resize.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace slidora {

namespace {

const QColor kYellow(255, 255, 0);

QColor fromColourRef(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// The local date and time of a day count (days since 1899-12-30).
QDateTime dateTimeOfDays(double days) {
    const auto whole = static_cast<qint64>(days);
    const double fraction = days - static_cast<double>(whole);
    const QDate date = QDate(1899, 12, 30).addDays(whole);
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(fraction * 86400000.0) % 86400000);
    return QDateTime(date, time);
}

// A deep copy of the bitmap as an image the label can show.
QImage toImage(const Bitmap& bmp) {
    const int stride = static_cast<int>(bmp.stride());
    switch (bmp.bitsPerPixel()) {
    case 24:
        return QImage(bmp.data(), bmp.width(), bmp.height(), stride, QImage::Format_BGR888).copy();
    case 32:
        return QImage(bmp.data(), bmp.width(), bmp.height(), stride, QImage::Format_RGB32).copy();
    case 8: {
        QImage img(bmp.data(), bmp.width(), bmp.height(), stride, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (const PaletteEntry& e : bmp.palette()) table.append(qRgb(e.red, e.green, e.blue));
        while (table.size() < 256) table.append(qRgb(0, 0, 0));
        img.setColorTable(table);
        return img.copy();
    }
    default:
        return {};
    }
}

} // namespace

void TSlidoraSaver::Mainr() {
    Timer& timer = *m_services.timer;
    if (m_closePending) {
        closeOperation();
        if (m_closed) return;
    }
    if (!previewMode() && !m_pictureList.empty()) {
        if (m_activeSeconds > 0 && m_services.clock->nowDays() > m_activeDeadline) {
            if (m_services.audio != nullptr && m_services.audio->audioOn()) m_services.audio->onActiveTimeEnd();
            timer.setIntervalMs(0); // stopped for good; the last picture stays
        }
        switch (m_clockPhase) {
        case 0:
        case 4:
            timer.setEnabled(false);
            PicDisp();
            if (m_closed) return;
            break;
        case 3:
            timer.setEnabled(false);
            if (m_services.audio != nullptr && m_services.audio->audioOn() && !m_services.audio->listEmpty())
                m_services.audio->AudLoad();
            break;
        default:
            break;
        }
        m_clockPhase = m_clockPhase + 1 > 7 ? 0 : m_clockPhase + 1;
        timer.setEnabled(true);
        return;
    }
    m_canvasFontColour = m_canvasFontColour == QColor(Qt::white) ? kYellow : QColor(Qt::white);
    if (Label2->isVisible()) {
        QPalette pal = Label2->palette();
        pal.setColor(QPalette::WindowText, m_canvasFontColour);
        Label2->setPalette(pal);
    }
    const QFontMetrics fm(m_canvasFont);
    const QString text = QString::fromStdString(m_messageText);
    m_messageAt = QPoint((width() - fm.horizontalAdvance(text)) / 2, ((height() - fm.height()) / 3) * 2);
    update();
}

void TSlidoraSaver::PicDisp() {
    if (m_closePending) return;
    const int windowWidth = width();
    const int windowHeight = height();
    const float maxMagnification = m_settings.maxMagnification;
    // A JPEG may be decoded at a reduced scale that is still at least the
    // size it will be shown at.
    const TargetSizeFn target = [&](int w, int h) {
        const Placement p = StretchSize(w, h, windowWidth, windowHeight, maxMagnification);
        return std::make_pair(p.width, p.height);
    };
    WorkingPicture picture;
    const int at = nextPicture(m_pictureList, m_picIndex, m_closePending, [&](const std::string& path) {
        picture = WorkingPicture();
        return m_services.picLoad(path, picture, target);
    });
    if (at < 0) return;
    const std::string path = m_pictureList[static_cast<std::size_t>(at)];

    const Placement place = StretchSize(picture.width, picture.height, windowWidth, windowHeight, maxMagnification);
    int mode = 1;
    bool resampled = false;
    if (m_services.resizeHost != nullptr)
        resampled = ResizePic(place.width, place.height, picture.bitmap, mode, *m_services.resizeHost);
    if (!resampled && (picture.bitmap.width() != picture.width || picture.bitmap.height() != picture.height)) {
        // Without a resampled result the picture is shown at its own size, so
        // a reduced decode is replaced by the full one.
        WorkingPicture full;
        if (m_services.picLoad(path, full, {})) picture = std::move(full);
    }

    const Bitmap& bitmap = picture.bitmap;
    Image1->setPixmap(QPixmap::fromImage(toImage(bitmap)));
    Image1->setGeometry(place.x, place.y, bitmap.width(), bitmap.height());
    const std::uint32_t background =
        chooseBackground(bitmap, windowHeight, m_settings.scanCount, m_settings.backgroundDensity, *m_services.random);
    m_windowColour = fromColourRef(background);
    picture = WorkingPicture();
    m_shownPath = path;
    update();
    if (m_closePending) return;
    showOverlay(path, background);
    MouseChk();
}

void TSlidoraSaver::showOverlay(const std::string& path, std::uint32_t background) {
    const int setting = m_settings.fileNamePosition;
    const int corner = overlayCorner(setting, *m_services.random);
    if (setting == 2) {
        Label1->clear();
        return;
    }
    const QDateTime now = dateTimeOfDays(m_services.clock->nowDays());
    const QLocale locale;
    const std::string text =
        overlayText(corner, setting, overlayName(path, m_settings.showFolder), m_settings.showDate,
                    m_settings.showTime, localShortDate(now, locale), localTimeWithSeconds(now, locale));
    const QString qtext = QString::fromStdString(text);
    // The box is measured one full stop wider than the text. Qt falls back
    // per glyph to a font that has it, so no character set is chosen here.
    Label2->setText(qtext + QLatin1Char('.'));
    const QFontMetrics fm(Label1->font());
    const int w = fm.horizontalAdvance(qtext + QLatin1Char('.'));
    const int h = fm.height();
    OverlayBounds bounds{};
    if (overlayBounds(corner, w, h, width(), height(), m_services.screenSize.width(), m_services.screenSize.height(),
                      bounds))
        Label1->setGeometry(bounds.left, bounds.top, bounds.width, bounds.height);
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::Window, fromColourRef(background));
    pal.setColor(QPalette::WindowText, fromColourRef(overlayTextColour(background)));
    Label1->setPalette(pal);
    Label1->setText(qtext);
    Label1->raise();
}

QPoint TSlidoraSaver::MousePos() const {
    return m_services.cursorPos ? m_services.cursorPos() : QPoint(0, 0);
}

void TSlidoraSaver::MouseChk() {
    if (m_picIndex < 2) return;
    if (MousePos() != m_recorded) closeOperation();
}

void TSlidoraSaver::FormMouseMove(int x, int y) {
    if (m_recorded == QPoint(-1, -1)) {
        m_recorded = QPoint(x, y);
        return;
    }
    if (x != m_recorded.x() || y != m_recorded.y()) closeOperation();
}

bool TSlidoraSaver::FormCloseQuery() {
    // The preview, and this platform family (kind 2), have no screen-saver
    // password: closing is allowed. The query stays a step of its own so that
    // a password check could stand here, before closing.
    return true;
}

void TSlidoraSaver::FormClose() {
    m_closePending = true;
    m_services.timer->setEnabled(false);
    if (!previewMode()) {
        if (m_services.audio != nullptr && m_services.audio->audioOn()) m_services.audio->onClose();
        std::vector<std::string>().swap(m_pictureList);
    }
    if (m_cursorHidden && m_services.setCursorHidden) m_services.setCursorHidden(false);
    m_cursorHidden = false;
}

void TSlidoraSaver::closeOperation() {
    if (m_closed || m_inCloseOperation) return;
    m_inCloseOperation = true;
    const bool canClose = FormCloseQuery();
    if (canClose) {
        FormClose();
        m_closed = true;
        hide();
        if (m_services.quit) m_services.quit();
    }
    m_inCloseOperation = false;
}

void TSlidoraSaver::endRequested() {
    m_closePending = true;
    closeOperation();
}

void TSlidoraSaver::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (!previewMode()) closeOperation();
}

void TSlidoraSaver::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (!previewMode()) closeOperation();
}

void TSlidoraSaver::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (previewMode()) return;
    // Screen coordinates: the full-screen window lies at the screen's origin,
    // so they equal the window's own, and they stay right while the window
    // manager has not yet confirmed where the window is.
    const QPoint p = event->globalPosition().toPoint();
    FormMouseMove(p.x(), p.y());
}

void TSlidoraSaver::closeEvent(QCloseEvent* event) {
    // The window manager or a host closing the window ends the show.
    if (!m_closed) closeOperation();
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
