// The program entry: the single-instance guard, the run mode from the command
// line, and the dispatch to the settings dialog, the saver window, or one of
// the window-free modes (help, version, check).
#include "app/Check.h"
#include "app/CommandLine.h"
#include "app/EarlyCatalogue.h"
#include "app/HostWindow.h"
#include "app/ProgramAudio.h"
#include "app/RootWindow.h"
#include "app/SignalPipe.h"
#include "audio/AudioPlayback.h"
#include "audio/MixerModulePlayer.h"
#include "audio/Vbmp3Library.h"
#include "dialog/RunDialog.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "platform/ProgramPaths.h"
#include "platform/QtLocaleText.h"
#include "platform/QtPlatform.h"
#include "platform/Random.h"
#include "platform/SessionBus.h"
#include "platform/StandardStreams.h"
#include "platform/X11PowerParams.h"
#include "saver/Catalogue.h"
#include "saver/Overlay.h"
#include "saver/PicturePreparer.h"
#include "saver/SaverCore.h"
#include "saver/SaverWindow.h"
#include "saver/picture/PicLoad.h"
#include "saver/resize/QtResizeHost.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QScreen>
#include <fontconfig/fontconfig.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <thread>
#include <utility>

#ifndef SLIDORA_VERSION
#error "SLIDORA_VERSION must name the project version"
#endif

namespace slidora {
namespace {

// The caption's font as the show will ask for it, looked up and measured
// once off the window's thread. The font database keeps much of what it
// finds (the face's match, its fallbacks) for every thread, so the first
// caption measured on the window's thread, just before the first picture
// shows, no longer looks it all up itself (it took about 2.5 ms less in the
// start-up's timeline). Settings the core refuses warm nothing.
void findCaptionFont(const std::string& settingsPath, const ReaderContext& context) {
    SaverSettings settings;
    try {
        readSaverSettings(IniFile(settingsPath), context, settings);
    } catch (const std::exception&) {
        return;
    }
    if (settings.fileNamePosition == kOverlayNone) return;
    (void)QFontMetrics(toQFont(overlayFontOf(settings))).horizontalAdvance(QStringLiteral("Ag."));
}

// `parentWnd` not 0: the preview inside that window. `guestWnd` not 0: guest
// mode, the full show inside a window the host hands over.
// `catalogue`: the picture list walked since the program started (full
// show and guest mode), or null.
int runSaver(QApplication& app, unsigned long parentWnd, unsigned long guestWnd,
             std::jthread& fontConfig, EarlyCatalogue* catalogue = nullptr) {
    applyPictureAllocatorSettings();
    const std::string programFolder = programDir();
    SystemClock clock;
    QtTimer timer;
    ClockSeededRandom random;
    QtResizeHost resizeHost(programFolder);
    ProgramAudio<Vbmp3Library, MixerModulePlayer> audio(programFolder);
    // Several guest copies run at once (one per monitor); one of them plays.
    std::unique_ptr<InstanceLock> audioLock;
    if (guestWnd != 0)
        audioLock = InstanceLock::acquire(guestAudioLockPath(InstanceLock::defaultPath()));

    SaverServices services;
    services.clock = &clock;
    services.timer = &timer;
    services.random = &random;
    services.powerSaveInfo = [] { return PowerSaveInfo(readX11PowerParams()); };
    services.cursorPos = [] {
        const QPoint p = QCursor::pos();
        return Point{p.x(), p.y()};
    };
    if (QScreen* screen = QGuiApplication::primaryScreen())
        services.screenSize = {screen->geometry().width(), screen->geometry().height()};
    services.hostWindowSize = [](unsigned long xid) {
        const QSize size = hostWindowSize(xid);
        return Size{size.width(), size.height()};
    };
    services.dateText = shortDateOfDays;
    services.timeText = timeWithSecondsOfDays;
    services.settingsPath = settingsLocation();
    services.readerContext.programDir = programFolder;
    services.readerContext.iconFontName =
        QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
    if (catalogue != nullptr)
        services.picRead = [catalogue](const std::string& folder, int minimumSizeKb,
                                       std::vector<std::string>& list) {
            catalogue->picRead(folder, minimumSizeKb, list);
        };
    services.picLoad = [](const std::string& path, WorkingPicture& picture,
                          const TargetSizeFn& target) { return PicLoad(path, picture, target); };
    services.readyForView = widenForDisplay;
    services.resizeHost = &resizeHost;
    services.makePreparer = [](PreparationWork work,
                               PreparationDone done) -> std::unique_ptr<PicturePreparer> {
        return std::make_unique<ThreadedPreparer>(std::move(work), std::move(done));
    };
    services.audio = &audio;
    services.errorReport = [](const std::string& message) { showErrorReport(message); };
    services.quit = [] { QCoreApplication::quit(); };

    // In guest mode the core reads the host window's size before every
    // picture and leaves the input to the host; only the copy holding the
    // audio lock plays.
    services.guestWindow = guestWnd;
    if (guestWnd != 0 && !audioLock) services.audio = nullptr;
    const unsigned long hostWnd = guestWnd != 0 ? guestWnd : parentWnd;

    // The font database (the system's font configuration and every font's
    // entry) is filled while the window is made and the first picture is
    // read; the first text measured then waits only for what is left of it.
    // Qt guards the database with its own lock, so this only moves the work.
    // The system's font configuration has been read meanwhile from the top
    // of main (most of the work); the database is filled from it.
    std::thread fontWarmUp([&fontConfig, &services, preview = parentWnd != 0] {
        if (fontConfig.joinable()) fontConfig.join();
        QFontDatabase::families();
        if (!preview) findCaptionFont(services.settingsPath, services.readerContext);
    });
    const struct JoinAtEnd {
        std::thread& thread;
        ~JoinAtEnd() { thread.join(); }
    } joinFontWarmUp{fontWarmUp};

    TSlidoraSaver saver(parentWnd, services);
    // During the set-up the window is not shown yet, so a resampler box for
    // the first picture has no owner; later boxes stand above the saver.
    saver.start();
    resizeHost.setOwner(&saver);
    SignalPipe terminationSignals([&saver] { saver.endRequested(); });
    std::unique_ptr<HostWatch> watch;
    if (hostWnd != 0) {
        embedIntoHost(saver, hostWnd);
        watch = std::make_unique<HostWatch>(hostWnd, [&saver] { saver.endRequested(); });
        saver.show();
    } else {
        // The full show went up black during the set-up; this shows a
        // window the set-up left hidden.
        saver.show();
        saver.raise();
        saver.activateWindow();
        saver.coverOtherScreens();
    }
    if (saver.closed()) return 0;
    app.exec();
    return 0;
}

} // namespace
} // namespace slidora

int main(int argc, char** argv) {
    using namespace slidora;
    // Before any file is opened, so none takes the number of a closed
    // standard stream.
    openClosedStandardStreams();
    GuestHostFacts host;
    host.xscreensaverWindow = std::getenv("XSCREENSAVER_WINDOW");
    host.rootWindow = rootOrVirtualRoot;
    const CommandLine cl = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), host);
    const RunMode mode = runModeOf(cl);

    // The window-free modes take no lock: they can run beside a show.
    switch (mode) {
    case RunMode::UsageError:
        std::fprintf(stderr, "slidora: %s\nTry 'slidora --help'.\n", cl.error.c_str());
        return 2;
    case RunMode::Help:
        std::fputs(usageText().c_str(), stdout);
        return 0;
    case RunMode::Version:
        std::printf("slidora %s\n", SLIDORA_VERSION);
        return 0;
    case RunMode::Check:
        return runCheck(CheckInput{settingsLocation(), programDir(), cl.checkFolder}, std::cout);
    default:
        break;
    }

    // A second copy ends at once, silently, before any window exists. When the
    // lock file cannot be made at all, run unguarded rather than not at all.
    bool lockUnavailable = false;
    const std::unique_ptr<InstanceLock> lock =
        InstanceLock::acquire(lockPathFor(cl, InstanceLock::defaultPath()), &lockUnavailable);
    if (!lock && !lockUnavailable) return 0;

    // The locale the toolkit sets as the application is made, set before
    // the threads below start: its files are mapped then, and mapping waits
    // while other threads of the process take page faults (about 3 ms of the
    // toolkit's start went to that wait). The toolkit's own call then finds
    // the locale loaded.
    std::setlocale(LC_ALL, "");

    // The saver's windows: the full show, guest mode and the preview.
    const bool saverWindow =
        mode == RunMode::Saver || mode == RunMode::Guest || mode == RunMode::Preview;

    // The full show's picture folder is walked while the toolkit starts.
    std::unique_ptr<EarlyCatalogue> catalogue;
    if (mode == RunMode::Saver || mode == RunMode::Guest)
        catalogue = std::make_unique<EarlyCatalogue>(settingsLocation(), programDir(), PicRead);

    // The system's font configuration and caches (about 5 ms) are read
    // while the toolkit loads; the font warm-up in runSaver then only fills
    // the toolkit's own database from them. Joined by the warm-up, or here.
    std::jthread fontConfig;
    if (saverWindow) fontConfig = std::jthread([] { FcInit(); });

    // The saver's windows show pictures and take no text: no bus daemon is
    // started for them where the session has none.
    if (saverWindow) findSessionBusWithoutLaunching();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);

    switch (mode) {
    case RunMode::Password:
        // No password-change hook exists on this platform: the mode ends
        // without effect.
        return 0;
    case RunMode::Dialog:
        runSettingsDialog([] { return PowerSaveInfo(readX11PowerParams()); });
        return 0;
    case RunMode::Preview:
        return runSaver(app, cl.parentWnd, 0, fontConfig);
    case RunMode::Guest:
        return runSaver(app, 0, cl.guestWindow, fontConfig, catalogue.get());
    default:
        return runSaver(app, 0, 0, fontConfig, catalogue.get());
    }
}
