#include "saver/SaverCore.h"

#include "platform/Clock.h"
#include "platform/Random.h"
#include "saver/Background.h"
#include "saver/Catalogue.h"
#include "saver/Overlay.h"
#include "saver/resize/ResizeHost.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace slidora {

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kTeal{0, 128, 128};
constexpr Rgb kYellow{255, 255, 0};
const char* const kFolderRequest = " フォルダを登録して下さい。";
const char* const kNotSetLine = " 未設定です。　　表示する";
const char* const kProductName = "Slidora";
// Shown for a failure that carries no text of its own.
const char* const kUnknownError = "不明なエラーです";
constexpr Size kDefaultPreviewSize{152, 112};

FontSpec windowFont(int pixelSize) {
    FontSpec font;
    font.family = kWindowFace;
    font.pixelSize = pixelSize;
    return font;
}

// One picture's preparation, where it runs (the preparer's thread, or the
// step's own without one), down to the view's layout.
Preparation prepareForView(const PreparationRequest& request, const PicLoadFn& load,
                           const std::function<void(Bitmap&)>& readyForView) {
    Preparation done = preparePictureFile(request, load);
    if (!done.picture || !readyForView) return done;
    try {
        readyForView(done.picture->bitmap);
    } catch (...) {
        done.picture.reset();
        done.error = std::current_exception();
    }
    return done;
}

} // namespace

FontSpec overlayFontOf(const SaverSettings& settings) {
    FontSpec font;
    font.family = settings.fontName;
    font.pointSize = settings.fontSizePt;
    const int style = FontStyleBits(settings.styleLetters);
    font.bold = (style & kStyleBold) != 0;
    font.italic = (style & kStyleItalic) != 0;
    font.underline = (style & kStyleUnderline) != 0;
    font.strikeout = (style & kStyleStrikeout) != 0;
    return font;
}

SaverCore::SaverCore(unsigned long parentWnd, SaverServices& services, SaverView& view)
    : m_parentWnd(parentWnd), m_services(services), m_view(view), m_overlayBox(kOverlayDesignRect) {
    m_canvasFont = windowFont(12);
}

SaverCore::~SaverCore() {
    if (!m_started) return;
    m_services.timer->setEnabled(false);
    m_services.timer->setHandler({});
}

template <class Step> void SaverCore::guarded(Step step) {
    try {
        step();
    } catch (const std::exception& error) {
        if (m_services.errorReport) m_services.errorReport(error.what());
    } catch (...) {
        if (m_services.errorReport) m_services.errorReport(kUnknownError);
    }
}

void SaverCore::start() {
    if (m_started) return;
    m_started = true;
    m_services.timer->setHandler([this] { onTimer(); });
    // Set-up stops at the failing step; the window stays up as far as it
    // got, without a clock, until input closes it.
    guarded([this] { FormCreate(); });
}

void SaverCore::onTimer() {
    guarded([this] { Mainr(); });
}

// In guest mode the host owns the input: it ends the show with a signal or
// by destroying its window, never through keys, buttons or the pointer.
void SaverCore::onKey() {
    if (guestMode()) return;
    guarded([this] { FormKeyDown(); });
}

void SaverCore::onMouseDown() {
    if (guestMode()) return;
    guarded([this] { FormMouseDown(); });
}

void SaverCore::onMouseMove(Point screenPos) {
    if (guestMode()) return;
    guarded([this, screenPos] { FormMouseMove(screenPos); });
}

void SaverCore::onCloseRequest() {
    guarded([this] {
        if (!m_closed) closeOperation();
    });
}

void SaverCore::onPowerMessage() {
    guarded([this] { m_closePending = true; });
    // A step waiting for its picture need not: it ends at once, and the
    // next tick closes.
    if (waitingForPicture()) onPreparationReady();
}

void SaverCore::onEndRequest() {
    guarded([this] {
        m_closePending = true;
        closeOperation();
    });
}

void SaverCore::setUpGeometry() {
    if (previewMode()) {
        const Size host =
            m_services.hostWindowSize ? m_services.hostWindowSize(m_parentWnd) : Size{-1, -1};
        m_windowSize = host.width >= 0 && host.height >= 0 ? host : kDefaultPreviewSize;
        m_view.setWindowRect({0, 0, m_windowSize.width, m_windowSize.height});
        return;
    }
    // There is no older platform family here whose screen-saver-running flag
    // would need setting.
    m_platformKind = 2;
    if (guestMode()) {
        // The host's window clips the show: it is exactly that window, with
        // no margin past its edges, and the pointer is left alone.
        m_screenSize = m_services.screenSize;
        m_windowSize = m_screenSize;
        m_view.setWindowRect({0, 0, m_windowSize.width, m_windowSize.height});
        followGuestWindow();
        return;
    }
    m_screenSize = m_services.screenSize;
    m_windowSize = {m_screenSize.width + 2, m_screenSize.height + 2};
    m_view.setWindowRect({0, 0, m_windowSize.width, m_windowSize.height});
    m_view.setCursorHidden(true);
    m_cursorHidden = true;
}

void SaverCore::followGuestWindow() {
    if (!guestMode() || !m_services.hostWindowSize) return;
    // An unreadable size (the host is going away) keeps the last one.
    const Size host = m_services.hostWindowSize(m_services.guestWindow);
    if (host.width <= 0 || host.height <= 0) return;
    m_screenSize = host;
    if (host.width == m_windowSize.width && host.height == m_windowSize.height) return;
    m_windowSize = host;
    m_view.setWindowRect({0, 0, host.width, host.height});
}

void SaverCore::FormCreate() {
    m_recorded = Point{-1, -1};
    m_services.random->reseedFromClock();
    setUpGeometry();

    {
        const IniFile file(m_services.settingsPath);
        readSaverSettings(file, m_services.readerContext, m_settings);
    }
    m_overlayFont = FontSpec{};
    m_overlayFont.family = m_settings.fontName;
    m_overlayFont.pointSize = m_settings.fontSizePt;
    m_view.setOverlayFont(m_overlayFont);
    m_tickIntervalMs = m_settings.tickIntervalMs;
    m_settings.backgroundDensity = correctedDensity(m_settings.backgroundDensity);
    m_settings.scanCount = correctedScanCount(m_settings.scanCount);

    bool hasPictures = false;
    if (!previewMode()) {
        (m_services.picRead ? m_services.picRead : PicRead)(
            m_settings.pictureFolder, m_settings.minimumSizeKb, m_pictureList);
        m_picIndex = 0;
        if (m_settings.pictureShuffle) {
            m_services.random->reseedFromClock();
            listShuffle(m_pictureList, *m_services.random);
        }
        if (!m_pictureList.empty()) {
            hasPictures = true;
            // The first picture is prepared while the audio list is read,
            // which walks a folder of its own on this thread.
            if (havePreparer()) askToPrepare(m_pictureList.front(), true);
            SaverAudio* audio = m_services.audio;
            if (audio != nullptr && !m_settings.audioFolder.empty())
                audio->AudRead(m_settings.audioFolder, m_settings.mediaExtText,
                               m_settings.audioShuffle, *m_services.random);
            m_overlayFont = overlayFontOf(m_settings);
            m_view.setOverlayFont(m_overlayFont);
            if (!PicDisp()) {
                // The first picture is being prepared: the window goes up
                // black and empty, and the set-up ends when it is shown.
                m_waitingStep = WaitingStep::SetUp;
                m_windowColour = kBlack;
                m_view.setBackground(m_windowColour);
                m_view.clearPicture();
                measureOverlayAhead(m_pictureList[static_cast<std::size_t>(m_picIndex)]);
                return;
            }
        }
    }
    finishSetUp(hasPictures);
}

void SaverCore::finishSetUp(bool hasPictures) {
    m_setUpEnded = true;
    if (hasPictures) {
        SaverAudio* audio = m_services.audio;
        if (audio != nullptr && !audio->listEmpty())
            audio->start(m_settings.useMp3Library, m_settings.volume);
        m_windowColour = kBlack; // the first picture stands on black
        m_view.setBackground(m_windowColour);
    }
    // No overlay: the label keeps a zero-sized box for the run.
    if (!previewMode() && m_settings.fileNamePosition == kOverlayNone) m_view.hideOverlay();
    m_recorded = MousePos();
    if (!hasPictures) setUpMessageMode();
    startActiveTime();
    // The close-pending flag is left as it is: a first display step that found
    // every picture unreadable has set it, and the next tick must close.
    m_services.timer->setIntervalMs(m_tickIntervalMs);
    m_clockPhase = 1;
    m_services.timer->setEnabled(true);
}

void SaverCore::setUpMessageMode() {
    const int width = m_windowSize.width;
    const int height = m_windowSize.height;
    m_messageMode = true;
    m_tickIntervalMs = 300;
    m_messageText = kFolderRequest;
    bool folderHasPictures = false;
    const int iconWidth = kIconDesignRect.width;
    if (PicFolderChk(m_settings.pictureFolder, m_settings.minimumSizeKb)) {
        m_messageText = kProductName;
        m_view.moveIcon({(width - iconWidth) / 2, kIconDesignRect.top});
        folderHasPictures = true;
    } else {
        m_view.moveIcon({width - iconWidth - 5, kIconDesignRect.top});
    }
    m_windowColour = kTeal;
    m_view.setBackground(m_windowColour);
    m_canvasFontColour = kYellow;

    // The text's width grows in proportion to the font's pixel size, so the
    // size is both measured and set in pixels (not in line heights, which
    // are larger and would carry the text past both edges).
    {
        const int tw = std::max(1, m_view.measureText(m_messageText, m_canvasFont).width);
        const int th = m_canvasFont.pixelSize;
        m_canvasFont.pixelSize = std::max(1, th * width / tw);
    }
    {
        const int tw = m_view.measureText(m_messageText, m_canvasFont).width;
        const int th = std::max(1, m_canvasFont.pixelSize);
        const int limit = tw * height / th;
        if (limit < m_canvasFont.pixelSize) m_canvasFont.pixelSize = std::max(1, limit);
    }
    if (!folderHasPictures) {
        const int canvasHeight = m_canvasFont.pixelSize;
        const Size text = m_view.measureText(m_messageText, m_canvasFont);
        MessageLine line;
        line.text = kNotSetLine;
        line.font = windowFont(canvasHeight);
        line.at = {(width - text.width) / 2, ((height - text.height) / 3) * 2 - 2 * canvasHeight};
        line.colour = kWhite;
        m_view.hideOverlay();
        m_secondLine = line;
        m_view.setSecondLine(line);
    }
    placeMessage();
}

void SaverCore::placeMessage() {
    const Size text = m_view.measureText(m_messageText, m_canvasFont);
    MessageLine line;
    line.text = m_messageText;
    line.font = m_canvasFont;
    line.colour = m_canvasFontColour;
    line.at = {(m_windowSize.width - text.width) / 2,
               ((m_windowSize.height - text.height) / 3) * 2};
    m_view.setMessage(line);
}

void SaverCore::startActiveTime() {
    m_activeSeconds = m_settings.activeMinutes * 60;
    if (m_services.powerSaveInfo) {
        const int power = powerOverrideSeconds(m_services.powerSaveInfo());
        if (power > 0) m_activeSeconds = power;
    }
    m_activeDeadline = m_services.clock->nowDays() + m_activeSeconds * 0.00069444 / 60;
}

void SaverCore::Mainr() {
    Timer& timer = *m_services.timer;
    if (m_closePending) {
        closeOperation();
        if (m_closed) return;
    }
    if (!previewMode() && !m_pictureList.empty()) {
        if (m_activeSeconds > 0 && m_services.clock->nowDays() > m_activeDeadline) {
            if (m_services.audio != nullptr && m_services.audio->audioOn())
                m_services.audio->onActiveTimeEnd();
            timer.setIntervalMs(0); // stopped for good; the last picture stays
        }
        switch (m_clockPhase) {
        case 0:
        case 4:
            // A step that raises leaves the clock off: the show stops on
            // this picture until input ends it.
            timer.setEnabled(false);
            followGuestWindow();
            if (!PicDisp()) {
                // The clock stays off until the picture is shown.
                m_waitingStep = WaitingStep::Tick;
                return;
            }
            if (m_closed) return;
            break;
        case 3:
            timer.setEnabled(false);
            if (m_services.audio != nullptr && m_services.audio->audioOn() &&
                !m_services.audio->listEmpty())
                m_services.audio->AudLoad();
            break;
        default:
            break;
        }
        advanceClock();
        return;
    }
    m_canvasFontColour = m_canvasFontColour == kWhite ? kYellow : kWhite;
    if (m_secondLine) {
        m_secondLine->colour = m_canvasFontColour;
        m_view.setSecondLine(*m_secondLine);
    }
    placeMessage();
}

void SaverCore::advanceClock() {
    m_clockPhase = m_clockPhase + 1 > 7 ? 0 : m_clockPhase + 1;
    m_services.timer->setEnabled(true);
}

void SaverCore::onPreparationReady() {
    guarded([this] {
        const WaitingStep step = std::exchange(m_waitingStep, WaitingStep::None);
        if (step == WaitingStep::None || m_closed) return;
        if (!PicDisp()) {
            m_waitingStep = step;
            return;
        }
        if (m_closed) return;
        if (step == WaitingStep::SetUp) {
            m_view.presentNow();
            finishSetUp(true);
        } else {
            advanceClock();
        }
    });
}

PreparationRequest SaverCore::preparationFor(const std::string& path) const {
    PreparationRequest request;
    request.path = path;
    request.window = m_windowSize;
    request.maxMagnification = m_settings.maxMagnification;
    if (const ResizeHost* host = m_services.resizeHost) {
        request.modulePath = host->modulePath();
        request.noResizeMsg = host->NoResizeMsg;
    }
    return request;
}

void SaverCore::settleResampler(const Preparation& done) {
    ResizeHost* host = m_services.resizeHost;
    if (host == nullptr) return;
    if (done.announceModuleMissing) host->showMessage(kResizeNotFoundMessage);
    host->NoResizeMsg = done.noResizeMsg;
}

std::optional<PreparedPicture> SaverCore::finishPreparation(Preparation done) {
    settleResampler(done);
    if (done.error) std::rethrow_exception(done.error);
    if (!done.picture) return std::nullopt;
    PreparedPicture& prepared = *done.picture;
    prepared.background =
        chooseBackground(prepared.bitmap, m_windowSize.height, m_settings.scanCount,
                         m_settings.backgroundDensity, *m_services.random);
    return std::move(done.picture);
}

std::optional<PreparedPicture> SaverCore::preparePicture(const std::string& path) {
    return finishPreparation(
        prepareForView(preparationFor(path), m_services.picLoad, m_services.readyForView));
}

bool SaverCore::havePreparer() {
    if (m_preparer) return true;
    if (previewMode() || !m_services.makePreparer) return false;
    m_preparer = m_services.makePreparer(
        [load = m_services.picLoad, ready = m_services.readyForView](
            const PreparationRequest& request) { return prepareForView(request, load, ready); },
        [this] { m_view.wakeForPreparation(); });
    return m_preparer != nullptr;
}

void SaverCore::askToPrepare(const std::string& path, bool forTheStep) {
    PreparationRequest request = preparationFor(path);
    m_asked = PreparationAsked{request.path, request.window, forTheStep};
    m_preparer->request(std::move(request));
}

PictureLoad SaverCore::pictureFor(const std::string& path,
                                  std::optional<PreparedPicture>& picture) {
    if (!havePreparer()) {
        picture = preparePicture(path);
        return picture ? PictureLoad::Loaded : PictureLoad::Failed;
    }
    const bool askedForThis = m_asked && m_asked->path == path && m_asked->window == m_windowSize;
    std::optional<Preparation> done = m_preparer->takeDone();
    if (!done) {
        // Still running for this file, or asked for another (or none).
        if (!askedForThis) askToPrepare(path, true);
        return PictureLoad::Pending;
    }
    const bool forTheStep = askedForThis && m_asked->forTheStep;
    m_asked.reset();
    // A picture prepared ahead is taken when the file has not changed since;
    // one prepared for this step is taken as it came, as a load at the tick
    // would be.
    if (askedForThis && !done->abandoned && done->request.path == path &&
        done->request.window == m_windowSize && (forTheStep || done->stamp == fileStampOf(path))) {
        picture = finishPreparation(std::move(*done));
        return picture ? PictureLoad::Loaded : PictureLoad::Failed;
    }
    // Prepared for another file, window or content, or given up: the picture
    // goes, what the resampler told stands, and the file is prepared anew.
    settleResampler(*done);
    askToPrepare(path, true);
    return PictureLoad::Pending;
}

void SaverCore::prepareAhead() {
    if (m_closed || m_closePending || previewMode() || m_pictureList.empty() ||
        m_tickIntervalMs <= 0 || !havePreparer())
        return;
    askToPrepare(m_pictureList[static_cast<std::size_t>(m_picIndex)], false);
}

bool SaverCore::PicDisp() {
    if (m_closePending) return true;
    std::optional<PreparedPicture> prepared;
    const int at =
        nextPicture(m_pictureList, m_picIndex, m_closePending, [&](const std::string& path) {
            prepared.reset();
            return pictureFor(path, prepared);
        });
    if (at == kPicturePending) return false;
    if (at < 0) return true;
    showPrepared(std::move(*prepared));
    // The one the cycle shows next, while this one is up.
    prepareAhead();
    return true;
}

void SaverCore::showPrepared(PreparedPicture picture) {
    // The view takes the pixels over.
    m_view.showBitmap(std::move(picture.bitmap), {picture.place.x, picture.place.y});
    m_windowColour = rgbOfColourRef(picture.background);
    // The set-up's first picture stands on black (finishSetUp): its own
    // colour never reaches the view, so the first frame put up is the one
    // the set-up leaves, not one on that colour followed by a black one.
    if (m_setUpEnded) m_view.setBackground(m_windowColour);
    m_shownPath = picture.path;
    if (m_closePending) return;
    showOverlay(picture.path, picture.background);
    MouseChk();
}

void SaverCore::showOverlay(const std::string& path, std::uint32_t background) {
    const int setting = m_settings.fileNamePosition;
    const int corner = overlayCorner(setting, *m_services.random);
    if (setting == kOverlayNone) {
        m_view.hideOverlay();
        return;
    }
    OverlaySpec overlay;
    overlay.text = overlayTextFor(path, corner);
    const Size measured = measureOverlay(overlay.text);
    OverlayBounds bounds{};
    if (overlayBounds(corner, measured.width, measured.height, m_windowSize.width,
                      m_windowSize.height, m_screenSize.width, m_screenSize.height, bounds))
        m_overlayBox = {bounds.left, bounds.top, bounds.width, bounds.height};
    overlay.box = m_overlayBox;
    overlay.background = rgbOfColourRef(background);
    overlay.textColour = rgbOfColourRef(overlayTextColour(background));
    m_view.setOverlay(overlay);
}

std::string SaverCore::overlayTextFor(const std::string& path, int corner) const {
    const double now = m_services.clock->nowDays();
    const std::string date = m_services.dateText ? m_services.dateText(now) : std::string();
    const std::string time = m_services.timeText ? m_services.timeText(now) : std::string();
    return overlayText(corner, m_settings.fileNamePosition,
                       overlayName(path, m_settings.showFolder), m_settings.showDate,
                       m_settings.showTime, date, time);
}

Size SaverCore::measureOverlay(const std::string& text) {
    // The box is measured one full stop wider than the text. The view falls
    // back per glyph to a font that has it, so no character set is chosen.
    const std::string measured = text + ".";
    if (m_overlayMeasure && m_overlayMeasure->text == measured &&
        m_overlayMeasure->font == m_overlayFont)
        return m_overlayMeasure->size;
    m_overlayMeasure =
        OverlayMeasure{measured, m_overlayFont, m_view.measureText(measured, m_overlayFont)};
    return m_overlayMeasure->size;
}

void SaverCore::measureOverlayAhead(const std::string& path) {
    // The first measure of a caption loads its font on this thread; done
    // here it runs while the worker prepares the picture, not after it. A
    // corner drawn at random is drawn only when the picture shows, so that
    // the random sequence stays as it is, and its caption is measured then.
    // A caption whose text has changed by then (the time) is measured again.
    const int setting = m_settings.fileNamePosition;
    if (setting == kOverlayNone || setting == kOverlayRandom) return;
    measureOverlay(overlayTextFor(path, setting));
}

Point SaverCore::MousePos() const {
    return m_services.cursorPos ? m_services.cursorPos() : Point{0, 0};
}

void SaverCore::MouseChk() {
    if (guestMode() || m_picIndex < 2) return;
    if (MousePos() != m_recorded) closeOperation();
}

void SaverCore::FormMouseMove(Point at) {
    if (m_recorded == Point{-1, -1}) {
        m_recorded = at;
        return;
    }
    if (at != m_recorded) closeOperation();
}

void SaverCore::FormKeyDown() {
    if (!previewMode()) closeOperation();
}

void SaverCore::FormMouseDown() {
    if (!previewMode()) closeOperation();
}

bool SaverCore::FormCloseQuery() {
    if (previewMode() || !m_services.closeQuery || m_services.closeQuery()) return true;
    // A refused password: the show goes on, the next pointer move is recorded
    // afresh and the full active time runs again from now.
    m_recorded = Point{-1, -1};
    startActiveTime();
    return false;
}

bool SaverCore::onSessionEndQuery() {
    bool canClose = true;
    guarded([&] {
        if (!m_closed) canClose = FormCloseQuery();
    });
    return canClose;
}

void SaverCore::FormClose() {
    // The worker ends first, so nothing of the show outlives the window.
    if (m_preparer) m_preparer->stop();
    m_waitingStep = WaitingStep::None;
    m_closePending = true;
    m_services.timer->setEnabled(false);
    if (!previewMode()) {
        if (m_services.audio != nullptr && m_services.audio->audioOn()) m_services.audio->onClose();
        std::vector<std::string>().swap(m_pictureList);
    }
    if (m_cursorHidden) m_view.setCursorHidden(false);
    m_cursorHidden = false;
}

void SaverCore::closeOperation() {
    if (m_closed || m_inCloseOperation) return;
    m_inCloseOperation = true;
    const bool canClose = FormCloseQuery();
    if (canClose) {
        FormClose();
        m_closed = true;
        m_view.closeWindow();
        if (m_services.quit) m_services.quit();
    }
    m_inCloseOperation = false;
}

} // namespace slidora
