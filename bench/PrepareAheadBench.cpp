#include "bench/PrepareAheadBench.h"

#include "bench/BenchSupport.h"
#include "bench/PictureBench.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/ProgramPaths.h"
#include "platform/Random.h"
#include "saver/PicturePreparer.h"
#include "saver/SaverCore.h"
#include "saver/SaverWindow.h"
#include "saver/picture/PicLoad.h"
#include "saver/resize/ResizeHost.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace slidora::bench {
namespace {

// The saver's own default (a tick every 100 ms, a picture every fourth) and
// the settings dialog's (a tick every 600 ms).
constexpr int kSleepTimes[] = {500, 3000};
// The window is the screen plus two pixels each way: 1920 x 1080.
constexpr Size kScreen{1918, 1078};
// How long after a picture appears the key is pressed: the worker is then
// busy with the next one.
constexpr auto kKeyDelay = std::chrono::milliseconds(30);
constexpr int kFilesPerKind = 2;

struct Kind {
    const char* label;
    const char* folder;
    bool png;
    int width;
    int height;
};

const Kind kKinds[] = {
    {"JPEG 24 MP", "ahead-jpeg-24mp", false, 6000, 4000},
    {"PNG 12 MP", "ahead-png-12mp", true, 4256, 2832},
};

// Stands in for the window's timer: the show's loop below fires it. Switched
// on from off, it counts a full interval from that moment, as the window's
// timer does.
class ScheduledTimer final : public Timer {
  public:
    void setIntervalMs(int ms) override { m_intervalMs = ms; }
    int intervalMs() const override { return m_intervalMs; }
    void setEnabled(bool on) override {
        if (on && !m_enabled) m_due = BenchClock::now() + std::chrono::milliseconds(m_intervalMs);
        m_enabled = on;
    }
    bool enabled() const override { return m_enabled; }
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

    bool running() const { return m_enabled && m_intervalMs > 0 && m_handler; }
    BenchClock::time_point due() const { return m_due; }
    void fire() {
        m_due += std::chrono::milliseconds(m_intervalMs);
        m_handler();
    }

  private:
    int m_intervalMs = 0;
    bool m_enabled = false;
    BenchClock::time_point m_due;
    std::function<void()> m_handler;
};

// Takes each picture as the window does, into the pixmap it shows, and
// notes when it had it; draws nothing else.
class CopyingView final : public SaverView {
  public:
    void setWindowRect(const Rect&) override {}
    void showBitmap(Bitmap bitmap, Point) override {
        m_pixmap = QPixmap::fromImage(shownImageOf(std::move(bitmap)));
        shownAt = BenchClock::now();
        ++shows;
    }
    void moveIcon(Point) override {}
    void setBackground(Rgb) override {}
    void setOverlayFont(const FontSpec&) override {}
    void setOverlay(const OverlaySpec&) override {}
    void hideOverlay() override {}
    void setMessage(const MessageLine&) override {}
    void setSecondLine(const MessageLine&) override {}
    Size measureText(const std::string& text, const FontSpec&) const override {
        return {static_cast<int>(text.size()) * 9, 20};
    }
    void setCursorHidden(bool) override {}
    void closeWindow() override {}
    void clearPicture() override {}
    void presentNow() override {}
    void wakeForPreparation() override {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            ++m_wakes;
        }
        m_woken.notify_one();
    }

    // Waits until the worker wakes the show or `until` comes; true for a
    // wake, which is then used up.
    bool waitForWake(BenchClock::time_point until) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_woken.wait_until(lock, until, [this] { return m_wakes > 0; })) return false;
        --m_wakes;
        return true;
    }

    BenchClock::time_point shownAt;
    int shows = 0;

  private:
    QPixmap m_pixmap;
    std::mutex m_mutex;
    std::condition_variable m_woken;
    int m_wakes = 0;
};

class ModuleHost final : public ResizeHost {
  public:
    std::string modulePath() const override { return resizeModulePath(programDir()); }
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "slidora-bench: resampler module %s: %s\n", modulePath().c_str(),
                     text.c_str());
        failed = true;
    }
    bool failed = false;
};

bool writeKind(const Kind& kind, const std::string& folder) {
    ::mkdir(folder.c_str(), 0700);
    for (int i = 0; i < kFilesPerKind; ++i) {
        const auto seed = static_cast<std::uint32_t>(11 + i);
        Bitmap scene = kind.png ? picwriter::makeMountains(kind.width, kind.height, seed)
                                : picwriter::makeMeadow(kind.width, kind.height, seed);
        addPhotoDetail(scene);
        const std::string path = folder + "/" + std::to_string(i) + (kind.png ? ".png" : ".jpg");
        picwriter::JpegOptions jpeg;
        jpeg.quality = 90;
        const bool written =
            kind.png ? picwriter::writePng(path, scene) : picwriter::writeJpeg(path, scene, jpeg);
        if (!written) {
            std::fprintf(stderr, "slidora-bench: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

struct ShowFigures {
    bool ok = false;
    // The set-up call itself, and from its start to the first picture shown.
    double setUpMs = 0;
    double firstShownMs = 0;
    std::vector<double> tickToShownMs;
    double longestTickMs = 0;
    double keyMs = 0;
};

double msBetween(BenchClock::time_point from, BenchClock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

ShowFigures runShow(const std::string& pictureFolder, const std::string& settingsPath,
                    int sleepTime, bool ahead, int steps) {
    ShowFigures figures;
    std::ofstream(settingsPath) << "[Image]\nDispFolder=" << pictureFolder
                                << "\nSleepTime=" << sleepTime << "\n";
    SystemClock clock;
    ScheduledTimer timer;
    ClockSeededRandom random;
    ModuleHost host;
    CopyingView view;
    bool reported = false;
    SaverServices services;
    services.clock = &clock;
    services.timer = &timer;
    services.random = &random;
    services.powerSaveInfo = [] { return PowerSaveState{}; };
    services.cursorPos = [] { return Point{0, 0}; };
    services.screenSize = kScreen;
    services.dateText = [](double) { return std::string("2026/12/09"); };
    services.timeText = [](double) { return std::string("04:00:00"); };
    services.settingsPath = settingsPath;
    services.readerContext.programDir = programDir();
    services.picLoad = [](const std::string& path, WorkingPicture& picture,
                          const TargetSizeFn& target) { return PicLoad(path, picture, target); };
    services.readyForView = widenForDisplay; // as the program does
    services.resizeHost = &host;
    if (ahead)
        services.makePreparer = [](PreparationWork work,
                                   PreparationDone done) -> std::unique_ptr<PicturePreparer> {
            return std::make_unique<ThreadedPreparer>(std::move(work), std::move(done));
        };
    services.errorReport = [&reported](const std::string& message) {
        std::fprintf(stderr, "slidora-bench: the show reported: %s\n", message.c_str());
        reported = true;
    };

    SaverCore core(0, services, view);
    const BenchClock::time_point setUp = BenchClock::now();
    core.start();
    figures.setUpMs = millisecondsSince(setUp);
    if (view.shows > 0) figures.firstShownMs = msBetween(setUp, view.shownAt);
    // The user-interface thread's loop: the worker's wakes and the timer's
    // ticks, each handled whole before the next, as the window's event loop
    // does. A tick whose picture is still being prepared shows it at a wake.
    std::optional<BenchClock::time_point> waitingTick;
    const auto handled = [&](BenchClock::time_point at, int showsBefore) {
        figures.longestTickMs = std::max(figures.longestTickMs, millisecondsSince(at));
        if (view.shows == showsBefore) return;
        if (showsBefore == 0) {
            figures.firstShownMs = msBetween(setUp, view.shownAt);
            return;
        }
        figures.tickToShownMs.push_back(msBetween(waitingTick.value_or(at), view.shownAt));
        waitingTick.reset();
    };
    const auto stepsDone = [&] { return static_cast<int>(figures.tickToShownMs.size()) >= steps; };
    while (!stepsDone() && !reported && !host.failed &&
           (timer.running() || core.waitingForPicture())) {
        const BenchClock::time_point until =
            timer.running() ? timer.due() : BenchClock::now() + std::chrono::seconds(30);
        const int shows = view.shows;
        if (view.waitForWake(until)) {
            const BenchClock::time_point wake = BenchClock::now();
            core.onPreparationReady();
            handled(wake, shows);
            continue;
        }
        if (!timer.running()) break;
        const BenchClock::time_point tick = BenchClock::now();
        timer.fire();
        if (view.shows == shows && core.waitingForPicture()) waitingTick = tick;
        handled(tick, shows);
    }
    if (!stepsDone()) {
        std::fprintf(stderr, "slidora-bench: the show in %s stopped after %zu pictures\n",
                     pictureFolder.c_str(), figures.tickToShownMs.size());
        return figures;
    }
    // The worker is now busy with the next picture; a key lands.
    std::this_thread::sleep_until(view.shownAt + kKeyDelay);
    const BenchClock::time_point key = BenchClock::now();
    core.onKey();
    figures.keyMs = millisecondsSince(key);
    figures.ok = core.closed() && !reported && !host.failed;
    return figures;
}

void printRow(const Kind& kind, int sleepTime, bool ahead, const ShowFigures& f) {
    const Timing shown = summarise(f.tickToShownMs);
    const double worst = *std::max_element(f.tickToShownMs.begin(), f.tickToShownMs.end());
    std::printf("%-11s %5d %-9s %9s %9s %8s %8s %12s %12s\n", kind.label, sleepTime,
                ahead ? "worker" : "UI thread", fixed(f.setUpMs, 1).c_str(),
                fixed(f.firstShownMs, 1).c_str(), fixed(shown.medianMs, 1).c_str(),
                fixed(worst, 1).c_str(), fixed(f.longestTickMs, 1).c_str(),
                fixed(f.keyMs, 1).c_str());
}

} // namespace

bool runPrepareAheadBench(const PrepareAheadOptions& options) {
    // The window's copy of each picture needs a pixmap, so a GUI application,
    // without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "slidora-bench";
    static char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);

    std::printf("\nPrepared ahead against prepared at the tick: window %d x %d, a tick every "
                "SleepTime / 5 ms and a picture every 4th,\n%d picture steps per show, %d files "
                "per kind in turn, resampler module %s\n",
                kScreen.width + 2, kScreen.height + 2, options.steps, kFilesPerKind,
                resizeModulePath(programDir()).c_str());
    std::printf("%-11s %5s %-9s %9s %9s %8s %8s %12s %12s\n", "kind", "Sleep", "prepared", "set-up",
                "first", "tick to", "shown", "longest", "key while");
    std::printf("%-11s %5s %-9s %9s %9s %8s %8s %12s %12s\n", "", "Time", "on", "call ms",
                "shown ms", "shown md", "max ms", "busy ms", "preparing ms");
    bool ok = true;
    for (const Kind& kind : kKinds) {
        const std::string folder = options.folder + "/" + kind.folder;
        if (!writeKind(kind, folder)) return false;
        for (const int sleepTime : kSleepTimes)
            for (const bool ahead : {true, false}) {
                const ShowFigures figures =
                    runShow(folder, options.folder + "/ahead.ini", sleepTime, ahead, options.steps);
                if (!figures.ok) {
                    ok = false;
                    continue;
                }
                printRow(kind, sleepTime, ahead, figures);
            }
    }
    std::printf("Longest busy: the user-interface thread's longest single tick or wake after "
                "the set-up call.\nOn the worker, the set-up call only asks for the first "
                "picture, shown at a wake; on the UI thread it prepares it itself, and a key\n"
                "that lands while a picture is prepared there waits for that step to end.\n"
                "Targets with preparation ahead: tick to shown <= 16 ms; never busy > 20 ms at a "
                "time (24 MP); a key ends the show within 50 ms.\n");
    return ok;
}

} // namespace slidora::bench
