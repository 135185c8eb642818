#pragma once
// The saver's logic below any toolkit: the set-up, the clock, the display
// step, message mode and the ending rules. It owns the window's state for the
// run and draws only through a SaverView. Every entry point catches what it
// raises and hands it to the error report, so nothing unwinds into the
// toolkit's event loop.
#include "platform/Bitmap.h"
#include "platform/FontSpec.h"
#include "platform/Geometry.h"
#include "saver/Catalogue.h"
#include "saver/Layout.h"
#include "saver/PicturePreparer.h"
#include "saver/PreparedPicture.h"
#include "saver/SaverServices.h"
#include "saver/SaverView.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace slidora {

// The caption's font for a show with pictures: the settings' face and point
// size with the styles their letters name.
FontSpec overlayFontOf(const SaverSettings& settings);

class SaverCore {
  public:
    // `parentWnd` is the preview host's window id; 0 for full screen. Keeps
    // the references and does nothing else.
    SaverCore(unsigned long parentWnd, SaverServices& services, SaverView& view);
    ~SaverCore();
    SaverCore(const SaverCore&) = delete;
    SaverCore& operator=(const SaverCore&) = delete;

    // The set-up, once, after the view exists and before it is shown. An
    // error stops it at the failing step and is reported; no clock runs then.
    void start();

    // Entry points from the window and the program.
    void onTimer();
    void onKey();
    void onMouseDown();
    // `screenPos` in screen pixels.
    void onMouseMove(Point screenPos);
    // The window manager or the host closes the window.
    void onCloseRequest();
    // A signal or a vanished host ends the show.
    void onEndRequest();
    // The preparer has a result (SaverView::wakeForPreparation): a display
    // step waiting for its picture goes on.
    void onPreparationReady();
    // A power message: the show ends at the next tick, through the close
    // query.
    void onPowerMessage();
    // The session is ending: the close query alone, true when the show may
    // end (it is not closed here).
    bool onSessionEndQuery();

    bool previewMode() const { return m_parentWnd != 0; }
    bool guestMode() const { return !previewMode() && m_services.guestWindow != 0; }
    bool closePending() const { return m_closePending; }
    // A display step (the set-up's first, or a tick's) waits for its picture.
    bool waitingForPicture() const { return m_waitingStep != WaitingStep::None; }
    bool closed() const { return m_closed; }
    bool messageMode() const { return m_messageMode; }
    bool cursorHidden() const { return m_cursorHidden; }
    int clockPhase() const { return m_clockPhase; }
    int tickIntervalMs() const { return m_tickIntervalMs; }
    int PicIndex() const { return m_picIndex; }
    int platformKind() const { return m_platformKind; }
    Size windowSize() const { return m_windowSize; }
    const std::vector<std::string>& pictureList() const { return m_pictureList; }
    const SaverSettings& settings() const { return m_settings; }
    const std::string& messageText() const { return m_messageText; }
    int activeSeconds() const { return m_activeSeconds; }
    double activeDeadline() const { return m_activeDeadline; }
    Rgb windowColour() const { return m_windowColour; }
    Rgb canvasFontColour() const { return m_canvasFontColour; }
    const FontSpec& canvasFont() const { return m_canvasFont; }
    const FontSpec& overlayFont() const { return m_overlayFont; }
    Point recordedPointer() const { return m_recorded; }
    // The path shown last, empty before the first picture.
    const std::string& shownPath() const { return m_shownPath; }

    // The display step's picture work, here and now: reads the file, scales
    // it for the current window size and chooses its background; empty when
    // the file cannot be shown. Changes no state of the show but the
    // resampler's message flag and the random numbers drawn.
    std::optional<PreparedPicture> preparePicture(const std::string& path);

  private:
    enum class WaitingStep { None, SetUp, Tick };
    // The preparation asked for last and not taken yet.
    struct PreparationAsked {
        std::string path;
        Size window;
        // Asked by a display step for its own picture, not ahead of it.
        bool forTheStep = false;
    };

    template <class Step> void guarded(Step step);

    void FormCreate();
    void finishSetUp(bool hasPictures);
    void advanceClock();
    void setUpGeometry();
    void followGuestWindow();
    void setUpMessageMode();
    void startActiveTime();
    void placeMessage();
    void Mainr();
    // False while its picture is being prepared: the step goes on from
    // onPreparationReady.
    bool PicDisp();
    void showPrepared(PreparedPicture picture);
    PreparationRequest preparationFor(const std::string& path) const;
    std::optional<PreparedPicture> finishPreparation(Preparation done);
    void settleResampler(const Preparation& done);
    bool havePreparer();
    void askToPrepare(const std::string& path, bool forTheStep);
    PictureLoad pictureFor(const std::string& path, std::optional<PreparedPicture>& picture);
    void prepareAhead();
    void showOverlay(const std::string& path, std::uint32_t background);
    std::string overlayTextFor(const std::string& path, int corner) const;
    Size measureOverlay(const std::string& text);
    void measureOverlayAhead(const std::string& path);
    Point MousePos() const;
    void MouseChk();
    void FormMouseMove(Point at);
    void FormKeyDown();
    void FormMouseDown();
    bool FormCloseQuery();
    void FormClose();
    void closeOperation();

    unsigned long m_parentWnd = 0;
    SaverServices& m_services;
    SaverView& m_view;

    SaverSettings m_settings;
    std::vector<std::string> m_pictureList;
    Size m_windowSize;
    // What the layout rules take as the screen: the screen, or in guest mode
    // the host's window.
    Size m_screenSize;
    Point m_recorded{-1, -1};
    int m_platformKind = 0;
    std::string m_messageText;
    int m_tickIntervalMs = 0;
    int m_picIndex = 0;
    bool m_closePending = false;
    double m_activeDeadline = 0.0;
    int m_activeSeconds = 0;
    int m_clockPhase = 0;

    bool m_started = false;
    bool m_setUpEnded = false;
    bool m_messageMode = false;
    bool m_closed = false;
    bool m_cursorHidden = false;
    bool m_inCloseOperation = false;
    std::string m_shownPath;
    // The overlay label's box: its design box until a picture places it.
    Rect m_overlayBox;
    Rgb m_windowColour{0, 128, 128};
    FontSpec m_canvasFont;
    FontSpec m_overlayFont;
    // The last caption measured, with its font and size: the set-up measures
    // the first picture's caption while that picture is being prepared.
    struct OverlayMeasure {
        std::string text;
        FontSpec font;
        Size size;
    };
    std::optional<OverlayMeasure> m_overlayMeasure;
    Rgb m_canvasFontColour{0, 0, 0};
    // The second message line, when message mode shows one.
    std::optional<MessageLine> m_secondLine;
    WaitingStep m_waitingStep = WaitingStep::None;
    std::optional<PreparationAsked> m_asked;
    // Made with the first picture; stopped when the window closes. Last, so
    // that its worker ends before the rest goes.
    std::unique_ptr<PicturePreparer> m_preparer;
};

} // namespace slidora
