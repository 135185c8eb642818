// slidora-toolkit-floor [--window] FOLDER: the least a program on the
// saver's toolkit does to put a picture up full screen. It starts the
// toolkit, opens one frameless stay-on-top window two pixels past the
// primary screen (as the saver's), decodes the first JPEG that the folder's
// listing yields (no sorting, no settings, no audio) with the saver's own
// decoder, and shows it at its own size, centred on black.
//
// By default the window is a widget, as the saver's is: its first frame is
// the whole window. With --window it is a bare toolkit window whose black is
// the display server's own fill and whose only frame is the picture, as
// feh's: the least any program on this toolkit can send.
//
// The start-up bench times both beside the saver and feh, to show how much
// of the saver's start-up is the toolkit's. It ends on SIGTERM (the
// toolkit's default handling) like any other program timed.
#include "saver/picture/PicLoad.h"

#include <QApplication>
#include <QBackingStore>
#include <QExposeEvent>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <X11/Xlib.h>
#include <dirent.h>

#include <cstdio>
#include <string>
#include <utility>

namespace {

class FloorWindow final : public QWidget {
  public:
    explicit FloorWindow(QImage picture) : m_picture(std::move(picture)) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.drawImage((width() - m_picture.width()) / 2, (height() - m_picture.height()) / 2,
                          m_picture);
    }

  private:
    QImage m_picture;
};

class FloorBareWindow final : public QWindow {
  public:
    explicit FloorBareWindow(QImage picture) : m_picture(std::move(picture)), m_store(this) {
        setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    }
    // Before the window is shown: the server fills it black itself.
    void fillBlackByServer() {
        create();
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr) return;
        Display* display = x11->display();
        XSetWindowBackground(display, winId(), BlackPixel(display, DefaultScreen(display)));
    }

  protected:
    void exposeEvent(QExposeEvent*) override {
        if (!isExposed()) return;
        // Only the picture is painted and sent; the rest stands on the
        // server's fill.
        m_store.resize(size());
        const QRect at((width() - m_picture.width()) / 2, (height() - m_picture.height()) / 2,
                       m_picture.width(), m_picture.height());
        m_store.beginPaint(at);
        QPainter(m_store.paintDevice()).drawImage(at.topLeft(), m_picture);
        m_store.endPaint();
        m_store.flush(at);
    }

  private:
    QImage m_picture;
    QBackingStore m_store;
};

// The first entry of the listing whose name ends in ".jpg"; empty if none.
std::string firstJpeg(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return {};
    std::string found;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0) {
            found = folder + "/" + name;
            break;
        }
    }
    closedir(dir);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    const bool bare = argc == 3 && std::string(argv[1]) == "--window";
    if (argc != 2 && !bare) {
        std::fprintf(stderr, "usage: slidora-toolkit-floor [--window] FOLDER\n");
        return 2;
    }
    const char* folder = argv[argc - 1];
    QApplication application(argc, argv);
    slidora::WorkingPicture picture;
    const std::string path = firstJpeg(folder);
    if (path.empty() || !slidora::PicLoad(path, picture) || picture.bitmap.bitsPerPixel() != 24) {
        std::fprintf(stderr, "slidora-toolkit-floor: no colour JPEG to show in %s\n", folder);
        return 1;
    }
    const slidora::Bitmap& bitmap = picture.bitmap;
    // A view of the decoder's top-down 24-bit rows; the bitmap outlives it.
    const QImage view(bitmap.data(), bitmap.width(), bitmap.height(),
                      static_cast<qsizetype>(bitmap.stride()), QImage::Format_BGR888);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect area(screen.x(), screen.y(), screen.width() + 2, screen.height() + 2);
    if (bare) {
        FloorBareWindow window(view);
        window.setGeometry(area);
        window.fillBlackByServer();
        window.show();
        return QApplication::exec();
    }
    FloorWindow window(view);
    window.setGeometry(area);
    window.show();
    return QApplication::exec();
}
