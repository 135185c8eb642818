// The program entry: the single-instance guard, the run mode from the command
// line, and the dispatch to the settings dialog or the saver window.
#include "app/CommandLine.h"
#include "app/HostWindow.h"
#include "app/SignalPipe.h"
#include "audio/AudioPlayback.h"
#include "audio/SdlMixerPlayer.h"
#include "audio/Vbmp3Library.h"
#include "dialog/RunDialog.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "platform/QtPlatform.h"
#include "platform/Random.h"
#include "platform/StandardStreams.h"
#include "saver/QtLocaleText.h"
#include "saver/SaverWindow.h"
#include "saver/picture/PicLoad.h"
#include "saver/resize/QtResizeHost.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QScreen>

#include <memory>

namespace slidora {
namespace {

// The saver's audio over the playback logic, with the real MP3 library and
// media player.
class ProgramAudio final : public SaverAudio {
  public:
    ProgramAudio() : m_playback(m_library, m_player) {}
    void AudRead(const std::string& folder, const std::string& mediaExtText, bool shuffle,
                 RandomSource& random) override {
        m_playback.buildList(folder, mediaExtText, shuffle, random);
    }
    void start(bool useMp3Library, int volume) override { m_playback.start(useMp3Library, volume); }
    bool audioOn() const override { return m_playback.audioOn(); }
    bool listEmpty() const override { return m_playback.audioList().empty(); }
    void AudLoad() override { m_playback.AudLoad(); }
    void onActiveTimeEnd() override { m_playback.onActiveTimeEnd(); }
    void onClose() override { m_playback.onClose(); }

  private:
    Vbmp3Library m_library;
    SdlMixerPlayer m_player;
    AudioPlayback m_playback;
};

int runSaver(QApplication& app, unsigned long parentWnd) {
    applyPictureAllocatorSettings();
    const std::string programFolder = programDir();
    SystemClock clock;
    QtTimer timer;
    ClockSeededRandom random;
    QtResizeHost resizeHost(programFolder);
    ProgramAudio audio;

    SaverServices services;
    services.clock = &clock;
    services.timer = &timer;
    services.random = &random;
    services.powerSaveInfo = [] { return PowerSaveInfo(); };
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
    services.settingsPath = settingsPathFor(programPath());
    services.readerContext.programDir = programFolder;
    services.readerContext.iconFontName =
        QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
    services.picLoad = [](const std::string& path, WorkingPicture& picture,
                          const TargetSizeFn& target) { return PicLoad(path, picture, target); };
    services.resizeHost = &resizeHost;
    services.audio = &audio;
    services.errorReport = [](const std::string& message) { showErrorReport(message); };
    services.quit = [] { QCoreApplication::quit(); };

    TSlidoraSaver saver(parentWnd, services);
    // During the set-up the window is not shown yet, so a resampler box for
    // the first picture has no owner; later boxes stand above the saver.
    saver.start();
    resizeHost.setOwner(&saver);
    SignalPipe terminationSignals([&saver] { saver.endRequested(); });
    std::unique_ptr<HostWatch> watch;
    if (parentWnd != 0) {
        embedIntoHost(saver, parentWnd);
        watch = std::make_unique<HostWatch>(parentWnd, [&saver] { saver.endRequested(); });
        saver.show();
    } else {
        saver.show();
        saver.raise();
        saver.activateWindow();
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
    // A second copy ends at once, silently, before any window exists. When the
    // lock file cannot be made at all, run unguarded rather than not at all.
    bool lockUnavailable = false;
    const std::unique_ptr<InstanceLock> lock =
        InstanceLock::acquire(InstanceLock::defaultPath(), &lockUnavailable);
    if (!lock && !lockUnavailable) return 0;

    const CommandLine cl = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);

    switch (cl.selector) {
    case 'A':
        // No password-change hook exists on this platform: the mode ends
        // without effect.
        return 0;
    case 'C':
        runSettingsDialog();
        return 0;
    case 'P':
        return runSaver(app, cl.parentWnd);
    default:
        return runSaver(app, 0);
    }
}
