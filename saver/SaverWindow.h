#pragma once
// The saver window on Qt: full screen (frameless, stay-on-top, covering the
// screen and two pixels past it) or a preview embedded in a host's window. It
// draws what the saver's logic tells it and hands it the window's input; the
// logic, not the window, decides everything.
#include "saver/SaverCore.h"
#include "saver/SaverView.h"

#include <QColor>
#include <QFont>
#include <QWidget>

#include <QImage>

#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QScreen;

namespace slidora {

// The Qt font for a font as the logic names it.
QFont toQFont(const FontSpec& font);
// The layout the window shows without a conversion: a 24-bit picture is
// widened to 32 bits (the fourth byte opaque) with its rows top-down, the
// same colours; any other stays as it is. Needs no window: the preparer
// runs it on its own thread (SaverServices::readyForView), which spares the
// window's thread a pass over the picture at its tick.
void widenForDisplay(Bitmap& bitmap);
// The image the window shows for a picture: a 32-bit top-down one is taken
// over as it is, a 24-bit one widened to 32 bits, anything else copied.
QImage shownImageOf(Bitmap bitmap);

class MirrorWindow;

class TSlidoraSaver : public QWidget, public SaverView {
    Q_OBJECT
  public:
    // `parentWnd` is the preview host's X11 window id; 0 for full screen.
    // Builds the window's parts only; start() runs the set-up.
    TSlidoraSaver(unsigned long parentWnd, SaverServices& services);
    ~TSlidoraSaver() override;

    void start() { m_core.start(); }
    // A host or the session asks the saver to end (termination signals).
    void endRequested() { m_core.onEndRequest(); }
    SaverCore& core() { return m_core; }
    const SaverCore& core() const { return m_core; }
    bool closed() const { return m_core.closed(); }
    // Full screen only: every monitor besides the primary one gets a window
    // of its own showing the same picture, fitted to that monitor, on the
    // same background; monitors coming and going later are followed. Input
    // on any of them counts as input on this window.
    void coverOtherScreens();
    std::size_t mirrorCount() const { return m_mirrors.size(); }

    QLabel* image1() const { return Image1; }
    QLabel* label1() const { return Label1; }
    QLabel* label2() const { return Label2; }

    // SaverView
    void setWindowRect(const Rect& rect) override;
    void showBitmap(Bitmap bitmap, Point at) override;
    void moveIcon(Point topLeft) override;
    void setBackground(Rgb colour) override;
    void setOverlayFont(const FontSpec& font) override;
    void setOverlay(const OverlaySpec& overlay) override;
    void hideOverlay() override;
    void setMessage(const MessageLine& line) override;
    void setSecondLine(const MessageLine& line) override;
    Size measureText(const std::string& text, const FontSpec& font) const override;
    void setCursorHidden(bool hidden) override;
    void closeWindow() override;
    void clearPicture() override;
    void presentNow() override;
    void wakeForPreparation() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Nothing drawn depends on the focus: the toolkit's own handlers would
    // repaint the whole window when it gains or loses it, as it does when
    // the show goes up.
    void focusInEvent(QFocusEvent*) override {}
    void focusOutEvent(QFocusEvent*) override {}
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class MirrorWindow;
    void createComponents();
    void putUpBlackAhead();
    void addMirror(QScreen* screen);
    void removeMirror(QScreen* screen);
    void updateMirrors();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;

    QColor m_windowColour{0, 128, 128};
    std::optional<MessageLine> m_message;
    // The picture as shown here, for the mirrors to fit to their monitors;
    // null while the icon stands in its place.
    QImage m_shownImage;
    std::vector<std::unique_ptr<MirrorWindow>> m_mirrors;
    bool m_coversScreens = false;
    SaverCore m_core;
};

} // namespace slidora
