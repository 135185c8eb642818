#pragma once
// The saver window: full screen (frameless, stay-on-top, covering the screen
// and two pixels past it) or a preview embedded in a host's window. It owns
// the picture list, the overlay labels and the clock state for its life; set-up
// runs once in the constructor, then only the clock and input act.
#include "saver/SaverServices.h"

#include <QColor>
#include <QFont>
#include <QWidget>

#include <string>
#include <vector>

class QLabel;

namespace slidora {

class TSlidoraSaver : public QWidget {
    Q_OBJECT
  public:
    // `parentWnd` is the preview host's X11 window id; 0 for full screen.
    TSlidoraSaver(unsigned long parentWnd, SaverServices& services);
    ~TSlidoraSaver() override;

    // The clock's tick handler.
    void Mainr();
    // The display step: the next picture, its place, background and overlay.
    void PicDisp();
    // The close operation: the close query, then closing.
    void closeOperation();
    // A host or the session asks the saver to end (termination signals).
    void endRequested();
    // The cursor check after each new picture.
    void MouseChk();
    QPoint MousePos() const;
    bool FormCloseQuery();
    void FormClose();

    // State, read by the program and by tests.
    bool previewMode() const { return m_parentWnd != 0; }
    bool closePending() const { return m_closePending; }
    bool closed() const { return m_closed; }
    bool messageMode() const { return m_messageMode; }
    int clockPhase() const { return m_clockPhase; }
    int tickIntervalMs() const { return m_tickIntervalMs; }
    int PicIndex() const { return m_picIndex; }
    const std::vector<std::string>& pictureList() const { return m_pictureList; }
    const SaverSettings& settings() const { return m_settings; }
    const std::string& messageText() const { return m_messageText; }
    int activeSeconds() const { return m_activeSeconds; }
    double activeDeadline() const { return m_activeDeadline; }
    QColor windowColour() const { return m_windowColour; }
    QColor canvasFontColour() const { return m_canvasFontColour; }
    int canvasFontPixels() const { return m_canvasFont.pixelSize(); }
    const QFont& canvasFont() const { return m_canvasFont; }
    QPoint recordedPointer() const { return m_recorded; }
    // The path shown last, empty before the first picture.
    const std::string& shownPath() const { return m_shownPath; }
    QLabel* image1() const { return Image1; }
    QLabel* label1() const { return Label1; }
    QLabel* label2() const { return Label2; }
    // Sets the close-pending flag, as a power message does.
    void setClosePending() { m_closePending = true; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    void createComponents();
    void setUpGeometry();
    void setUpMessageMode();
    void startActiveTime();
    void showOverlay(const std::string& path, std::uint32_t background);
    void FormMouseMove(int x, int y);

    unsigned long m_parentWnd = 0;
    SaverServices& m_services;

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;

    SaverSettings m_settings;
    std::vector<std::string> m_pictureList;
    QPoint m_recorded{-1, -1};
    int m_platformKind = 0;
    std::string m_messageText;
    int m_tickIntervalMs = 0;
    int m_picIndex = 0;
    bool m_closePending = false;
    double m_activeDeadline = 0.0;
    int m_activeSeconds = 0;
    int m_clockPhase = 0;

    bool m_messageMode = false;
    bool m_closed = false;
    bool m_cursorHidden = false;
    bool m_inCloseOperation = false;
    std::string m_shownPath;
    QColor m_windowColour{0, 128, 128};
    QFont m_canvasFont;
    QColor m_canvasFontColour{Qt::black};
    QPoint m_messageAt;
};

} // namespace slidora
