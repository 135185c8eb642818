// The next picture prepared ahead: the hand-over at the tick with a fake
// preparer that the test runs by hand, and the threaded preparer on real
// files through the real resampler module.
#include "platform/Paths.h"
#include "saver/PicturePreparer.h"
#include "saver/PreparedPicture.h"
#include "saver/picture/PicLoad.h"
#include "saver/picture/StopRequest.h"
#include "saver/resize/ResizeHost.h"
#include "tests/saver/SaverFixture.h"
#include "tests/support/TestNames.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>

namespace slidora::test {
namespace {

struct PreparerLog {
    std::vector<std::string> requests;
    int waits = 0; // takes that found the preparation still running
    bool stoppedWhileOutstanding = false;
    int viewClosesAtStop = -1;
};

// Prepares only when the test calls finish(), like a worker that is done
// between two ticks or while a step waits for it.
class FakePreparer final : public PicturePreparer {
  public:
    FakePreparer(PreparationWork work, PreparationDone done, PreparerLog& log, const FakeView& view)
        : m_work(std::move(work)), m_done(std::move(done)), m_log(log), m_view(view) {}
    void request(PreparationRequest request) override {
        if (m_log.viewClosesAtStop >= 0) return;
        m_log.requests.push_back(request.path);
        m_pending = std::move(request);
        m_result.reset();
    }
    std::optional<Preparation> takeDone() override {
        if (m_pending) ++m_log.waits;
        return std::exchange(m_result, std::nullopt);
    }
    void stop() override {
        m_log.stoppedWhileOutstanding = m_pending.has_value();
        m_log.viewClosesAtStop = m_view.closes;
        m_pending.reset();
        m_result.reset();
    }
    bool finish() {
        if (!m_pending) return false;
        m_result = m_work(*m_pending);
        m_pending.reset();
        m_done();
        return true;
    }

  private:
    PreparationWork m_work;
    PreparationDone m_done;
    PreparerLog& m_log;
    const FakeView& m_view;
    std::optional<PreparationRequest> m_pending;
    std::optional<Preparation> m_result;
};

constexpr std::chrono::seconds kDeadline{20};

struct PreparingRig : SaverRig {
    PreparerLog log;
    FakePreparer* preparer = nullptr; // owned by the core
    SaverCore* saver = nullptr;
    int wakesServed = 0;
    PreparingRig() {
        services.makePreparer = [this](PreparationWork work,
                                       PreparationDone done) -> std::unique_ptr<PicturePreparer> {
            auto fake = std::make_unique<FakePreparer>(std::move(work), std::move(done), log, view);
            preparer = fake.get();
            return fake;
        };
    }
    void useThreadedPreparer() {
        services.makePreparer = [](PreparationWork work,
                                   PreparationDone done) -> std::unique_ptr<PicturePreparer> {
            return std::make_unique<ThreadedPreparer>(std::move(work), std::move(done));
        };
    }
    int loadsOf(const std::string& path) const {
        return static_cast<int>(std::count(loads.begin(), loads.end(), path));
    }
    // A started core, its first picture not yet shown when it is prepared
    // off this thread.
    std::unique_ptr<SaverCore> makeWaiting() {
        auto core = make();
        saver = core.get();
        return core;
    }
    // A started core with its first picture shown.
    std::unique_ptr<SaverCore> makeShown() {
        auto core = makeWaiting();
        serveWaitingStep();
        return core;
    }
    // What the window's event loop does while a step waits: the fake worker
    // finishes there; for a real one, its wakes are served as they come.
    void serveWaitingStep() {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        while (saver->waitingForPicture() && std::chrono::steady_clock::now() < deadline) {
            if (preparer != nullptr) {
                if (!preparer->finish()) return;
                saver->onPreparationReady();
            } else if (view.wakes.load() > wakesServed) {
                ++wakesServed;
                saver->onPreparationReady();
            } else {
                std::this_thread::yield();
            }
        }
    }
    // From one picture step to the next.
    void nextStep() {
        for (int i = 0; i < 4; ++i) {
            timer.tick();
            serveWaitingStep();
        }
    }
};

std::string nameOf(const std::string& path) {
    return path.substr(path.find_last_of(kPathSeparators) + 1);
}

TEST(PreparedAhead, FailedPreparationLeavesTheListAtItsTick) {
    PreparingRig rig;
    rig.pictureSettings();
    const std::string a = rig.tree.file("pics/a.jpg", 20000);
    const std::string b = rig.tree.file("pics/b.jpg", 20000);
    const std::string c = rig.tree.file("pics/c.jpg", 20000);
    rig.unreadable.insert(b);
    auto saver = rig.makeShown();
    ASSERT_NE(rig.preparer, nullptr);
    EXPECT_EQ(rig.log.requests, (std::vector<std::string>{a, b}));
    ASSERT_TRUE(rig.preparer->finish());
    EXPECT_EQ(saver->pictureList().size(), 3u) << "the list changes at the tick only";
    rig.nextStep();
    EXPECT_EQ(saver->shownPath(), c);
    EXPECT_EQ(saver->pictureList(), (std::vector<std::string>{a, c}));
    EXPECT_EQ(rig.loadsOf(b), 1) << "the failed preparation stands";
    EXPECT_EQ(rig.log.requests.back(), a);

    // The list running empty at a tick closes at the next one.
    rig.unreadable.insert(a);
    rig.unreadable.insert(c);
    ASSERT_TRUE(rig.preparer->finish());
    rig.nextStep();
    EXPECT_TRUE(saver->pictureList().empty());
    EXPECT_TRUE(saver->closePending());
    EXPECT_FALSE(saver->closed());
    rig.timer.tick();
    EXPECT_TRUE(saver->closed());
}

TEST(PreparedAhead, FileChangedSincePreparationIsPreparedAgainAtTheTick) {
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        void (*change)(const std::string& path);
        bool nowUnreadable;
        int wantLoads;
    };
    const Case cases[] = {
        {"unchanged", [](const std::string&) {}, false, 1},
        {"grown", [](const std::string& p) { std::ofstream(p, std::ios::app) << "more"; }, false,
         2},
        {"touched",
         [](const std::string& p) {
             fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(1));
         },
         false, 2},
        {"broken since", [](const std::string& p) { fs::resize_file(p, 10); }, true, 2},
    };
    for (const Case& c : cases) {
        PreparingRig rig;
        rig.pictureSettings();
        const std::string a = rig.tree.file("pics/a.jpg", 20000);
        const std::string b = rig.tree.file("pics/b.jpg", 20000);
        auto saver = rig.makeShown();
        rig.log.waits = 0; // the set-up waits for its own picture; the tick is what counts
        ASSERT_TRUE(rig.preparer->finish()) << c.name;
        c.change(b);
        if (c.nowUnreadable) rig.unreadable.insert(b);
        rig.nextStep();
        EXPECT_EQ(saver->shownPath(), c.nowUnreadable ? a : b) << c.name;
        EXPECT_EQ(rig.loadsOf(b), c.wantLoads) << c.name;
        EXPECT_EQ(saver->pictureList().size(), c.nowUnreadable ? 1u : 2u) << c.name;
        EXPECT_EQ(rig.log.waits, 0) << c.name;
    }
}

TEST(PreparedAhead, ClosingDuringAPreparationStopsItFirstAndShowsNothingMore) {
    enum class During { FirstPicture, PictureAhead, TicksPicture };
    struct Case {
        const char* name;
        During during;
        void (SaverCore::*close)();
        int wantShown;
    };
    const Case cases[] = {
        {"key during the first picture", During::FirstPicture, &SaverCore::onKey, 0},
        {"signal during the first picture", During::FirstPicture, &SaverCore::onEndRequest, 0},
        {"key during the next picture", During::PictureAhead, &SaverCore::onKey, 1},
        {"signal during the next picture", During::PictureAhead, &SaverCore::onEndRequest, 1},
        {"window manager during the next picture", During::PictureAhead, &SaverCore::onCloseRequest,
         1},
        {"key during a tick's picture", During::TicksPicture, &SaverCore::onKey, 1},
    };
    for (const Case& c : cases) {
        PreparingRig rig;
        rig.pictureSettings();
        const std::string a = rig.tree.file("pics/a.jpg", 20000);
        const std::string b = rig.tree.file("pics/b.jpg", 20000);
        auto saver = c.during == During::FirstPicture ? rig.makeWaiting() : rig.makeShown();
        if (c.during == During::TicksPicture) {
            // The tick finds b changed since it was prepared and waits for it.
            ASSERT_TRUE(rig.preparer->finish()) << c.name;
            std::ofstream(b, std::ios::app) << "more";
            for (int i = 0; i < 4; ++i)
                rig.timer.tick();
            ASSERT_TRUE(saver->waitingForPicture()) << c.name;
            EXPECT_FALSE(rig.timer.enabled()) << c.name << ": no clock while it waits";
        }
        (saver.get()->*c.close)();
        EXPECT_TRUE(saver->closed()) << c.name;
        EXPECT_FALSE(saver->waitingForPicture()) << c.name;
        EXPECT_TRUE(rig.log.stoppedWhileOutstanding) << c.name;
        EXPECT_EQ(rig.log.viewClosesAtStop, 0) << c.name << ": stopped before the window went";
        EXPECT_FALSE(rig.preparer->finish()) << c.name;
        saver->onPreparationReady();
        EXPECT_FALSE(rig.timer.tick()) << c.name;
        EXPECT_EQ(rig.view.bitmaps, c.wantShown) << c.name;
        EXPECT_EQ(rig.loadsOf(a), c.wantShown) << c.name;
    }
}

TEST(PreparedAhead, TheFirstPictureComesFromTheWorkerOnABlackWindowBeforeTheClockStarts) {
    PreparingRig rig;
    rig.pictureSettings("[Audio]\nAudioFolder=/music\n");
    const std::string a = rig.tree.file("pics/a.jpg", 20000);
    rig.tree.file("pics/b.jpg", 20000);
    // White to its edges, so the colour it would stand on is white.
    const auto load = rig.services.picLoad;
    rig.services.picLoad = [load](const std::string& path, WorkingPicture& pic,
                                  const TargetSizeFn& target) {
        if (!load(path, pic, target)) return false;
        for (int y = 0; y < pic.bitmap.height(); ++y)
            std::memset(pic.bitmap.row(y), 0xff, pic.bitmap.stride());
        return true;
    };
    std::size_t askedAtAudioRead = 0;
    rig.audio.atRead = [&] { askedAtAudioRead = rig.log.requests.size(); };
    auto saver = rig.makeWaiting();
    EXPECT_EQ(askedAtAudioRead, 1u) << "prepared while the audio list is read";
    EXPECT_TRUE(saver->waitingForPicture());
    EXPECT_TRUE(rig.loads.empty()) << "nothing loaded on this thread";
    EXPECT_EQ(rig.view.clears, 1);
    EXPECT_EQ(colourRefOf(rig.view.background), 0u);
    EXPECT_FALSE(rig.view.overlayShown);
    EXPECT_FALSE(rig.timer.enabled());
    EXPECT_EQ(rig.audio.starts, 0) << "the music starts with the first picture";
    saver->onPreparationReady(); // a wake for nothing done yet changes nothing
    EXPECT_TRUE(saver->waitingForPicture());
    ASSERT_TRUE(rig.preparer->finish());
    EXPECT_EQ(rig.view.wakes.load(), 1);
    EXPECT_EQ(rig.view.presents, 0);
    bool clockAtPresent = true;
    int musicAtPresent = -1;
    std::uint32_t backgroundAtPresent = 1;
    rig.view.atPresent = [&] {
        clockAtPresent = rig.timer.enabled();
        musicAtPresent = rig.audio.starts;
        backgroundAtPresent = colourRefOf(rig.view.background);
    };
    saver->onPreparationReady();
    EXPECT_FALSE(saver->waitingForPicture());
    EXPECT_EQ(saver->shownPath(), a);
    EXPECT_EQ(rig.view.presents, 1) << "the first picture is put on the screen at once";
    EXPECT_EQ(rig.view.bitmapsAtPresent, 1);
    EXPECT_FALSE(clockAtPresent) << "before the rest of the set-up";
    EXPECT_EQ(musicAtPresent, 0);
    EXPECT_EQ(backgroundAtPresent, 0u) << "already on the black the first picture stands on";
    EXPECT_EQ(saver->clockPhase(), 1);
    EXPECT_TRUE(rig.timer.enabled());
    EXPECT_EQ(rig.audio.starts, 1);
    EXPECT_EQ(rig.log.requests.size(), 2u) << "and the next one is asked for ahead";
    rig.nextStep();
    EXPECT_EQ(rig.view.bitmaps, 2);
    EXPECT_EQ(rig.view.presents, 1) << "a tick's picture waits for the event loop";
}

TEST(PreparedAhead, TheFirstCaptionIsMeasuredWhileItsPictureIsPrepared) {
    // Measured once in all: ahead when the corner is known and the text
    // stays, at the show otherwise.
    struct Case {
        const char* name;
        const char* text;
        bool timeMoves; // the caption's time changes while the picture is prepared
        std::size_t wantAhead;
        std::size_t wantInAll;
    };
    const Case cases[] = {
        {"fixed corner", "[Text]\nFileName=0\n", false, 1, 1},
        {"fixed corner, time changed", "[Text]\nFileName=0\nTime=Yes\n", true, 1, 2},
        {"random corner", "[Text]\nFileName=5\n", false, 0, 1},
        {"no caption", "[Text]\nFileName=2\n", false, 0, 0},
    };
    for (const Case& c : cases) {
        PreparingRig rig;
        rig.pictureSettings(c.text);
        const std::string a = rig.tree.file("pics/a.jpg", 20000);
        std::string time = "12:34:56";
        rig.services.timeText = [&time](double) { return time; };
        auto saver = rig.makeWaiting();
        EXPECT_EQ(rig.view.measured.size(), c.wantAhead) << c.name;
        if (c.timeMoves) time = "12:35:00";
        rig.serveWaitingStep();
        ASSERT_EQ(rig.view.bitmaps, 1) << c.name;
        EXPECT_EQ(rig.view.measured.size(), c.wantInAll) << c.name;
        if (c.wantInAll == 0) continue;
        EXPECT_EQ(rig.view.measured.back(), rig.view.overlay.text + ".")
            << c.name << ": the box is the shown text's";
    }
}

TEST(PreparedAhead, AnAbandonedPreparationLeavesTheFileInTheListAndIsPreparedAtTheTick) {
    PreparingRig rig;
    rig.pictureSettings();
    const std::string a = rig.tree.file("pics/a.jpg", 20000);
    const std::string b = rig.tree.file("pics/b.jpg", 20000);
    const auto load = rig.services.picLoad;
    rig.services.picLoad = [load](const std::string& path, WorkingPicture& pic,
                                  const TargetSizeFn& target) {
        return !stopRequested() && load(path, pic, target);
    };
    auto saver = rig.makeShown();
    {
        // The worker's preparation of b is given up before it loads anything.
        const StopScope stop([] { return true; });
        ASSERT_TRUE(rig.preparer->finish());
    }
    rig.nextStep();
    EXPECT_EQ(saver->shownPath(), b);
    EXPECT_EQ(saver->pictureList(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(rig.loadsOf(b), 1) << "given up before its load, prepared at the tick";
}

enum class Preparing { No, BetweenTicks, WaitedForAtTheTick };

// What a show of six files (three of them unreadable, the last among them)
// shows over three cycles, with the random numbers drawn by then, and what
// it loaded in which order.
std::vector<std::string> showTrace(Preparing preparing) {
    PreparingRig rig;
    if (preparing == Preparing::No) rig.services.makePreparer = nullptr;
    rig.pictureSettings("[Text]\nFileName=5\n");
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i)
        paths.push_back(rig.tree.file("pics/p" + std::to_string(i) + ".jpg", 20000));
    rig.unreadable = {paths[1], paths[4], paths[5]};
    // Each picture its own brightness, so that the background takes one or
    // both pairs of edges and draws a different count of numbers.
    const auto load = rig.services.picLoad;
    rig.services.picLoad = [load](const std::string& path, WorkingPicture& pic,
                                  const TargetSizeFn& target) {
        if (!load(path, pic, target)) return false;
        const int level = (path[path.size() - 5] - '0') * 2;
        for (int y = 0; y < pic.bitmap.height(); ++y)
            std::memset(pic.bitmap.row(y), level, pic.bitmap.stride());
        return true;
    };
    auto saver = rig.makeShown();
    rig.log.waits = 0; // the set-up waits for its own picture; the ticks are what count
    std::vector<std::string> trace;
    const auto record = [&] {
        const Rect& box = rig.view.overlay.box;
        trace.push_back(nameOf(saver->shownPath()) + " bg " +
                        std::to_string(colourRefOf(rig.view.background)) + " overlay " +
                        rig.view.overlay.text + " at " + std::to_string(box.left) + "," +
                        std::to_string(box.top) + " draws " + std::to_string(rig.random.draws()));
    };
    record();
    for (int step = 0; step < 9; ++step) {
        if (preparing == Preparing::BetweenTicks) {
            EXPECT_TRUE(rig.preparer->finish());
        }
        rig.nextStep();
        record();
    }
    std::string loads = "loads";
    for (const std::string& path : rig.loads)
        loads += " " + nameOf(path);
    trace.push_back(loads);
    EXPECT_EQ(rig.log.waits > 0, preparing == Preparing::WaitedForAtTheTick);
    EXPECT_EQ(rig.preparer != nullptr, preparing != Preparing::No);
    return trace;
}

TEST(PreparedAhead, OrderDrawsAndLoadsAreThoseOfTheShowWithoutPreparation) {
    const std::vector<std::string> without = showTrace(Preparing::No);
    ASSERT_EQ(without.size(), 11u);
    std::string names;
    for (std::size_t i = 0; i + 1 < without.size(); ++i)
        names += without[i].substr(0, 2);
    EXPECT_EQ(names, "p0p2p3p0p2p3p0p2p3p0");
    EXPECT_EQ(showTrace(Preparing::BetweenTicks), without);
    EXPECT_EQ(showTrace(Preparing::WaitedForAtTheTick), without);
}

// The real module for the first picture, gone for every later one.
class VanishingModuleHost final : public ResizeHost {
  public:
    explicit VanishingModuleHost(const FakeView& view) : m_view(view) {}
    std::string modulePath() const override {
        return m_paths++ == 0 ? SLIDORA_RESIZE32_PATH : "/nonexistent/libresize32.so";
    }
    void showMessage(const std::string& text) override {
        messages.push_back(text + " before picture " + std::to_string(m_view.bitmaps + 1));
    }
    std::vector<std::string> messages;

  private:
    const FakeView& m_view;
    mutable int m_paths = 0;
};

TEST(PreparedAhead, MissingModuleFoundByTheWorkerIsAnnouncedOnceAtItsTick) {
    PreparingRig rig;
    VanishingModuleHost host(rig.view);
    rig.services.resizeHost = &host;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    rig.tree.file("pics/b.jpg", 20000);
    auto saver = rig.makeShown();
    EXPECT_EQ(rig.view.shown.width, 960) << "the first picture resampled";
    ASSERT_TRUE(rig.preparer->finish());
    EXPECT_TRUE(host.messages.empty()) << "never shown by the worker";
    for (int step = 0; step < 3; ++step) {
        rig.nextStep();
        rig.preparer->finish();
    }
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Not Found RESIZE32.DLL before picture 2"}));
    EXPECT_EQ(rig.view.shown.width, 640) << "shown at its own size";
}

// The threaded preparer on real files shows what the show without it shows,
// pixel for pixel, and ends with the window.
TEST(ThreadedPreparer, RealFilesShowAsWithoutPreparation) {
    TempTree pictures;
    const std::string folder = pictures.root() + "/";
    ASSERT_TRUE(picwriter::writeBmp(folder + "a.bmp", picwriter::makeGradient(300, 200)));
    ASSERT_TRUE(picwriter::writePng(folder + "b.png", picwriter::makePlasma(500, 333)));
    ASSERT_TRUE(picwriter::writeJpeg(folder + "c.jpg", picwriter::makeSunset(2400, 1600)));
    ASSERT_TRUE(picwriter::writeFileBytes(folder + "d.png", std::vector<std::uint8_t>(20000, 'x')));
    ASSERT_TRUE(picwriter::writeJpeg(folder + "e.jpg", picwriter::makeMeadow(640, 480)));
    struct FixedHost final : ResizeHost {
        std::string modulePath() const override { return SLIDORA_RESIZE32_PATH; }
        void showMessage(const std::string&) override { ADD_FAILURE() << "module not found"; }
    };
    const auto run = [&](bool threaded) {
        PreparingRig rig;
        FixedHost host;
        rig.view.hashPixels = true;
        rig.settings("[Image]\nDispFolder=" + pictures.root() + "\nSleepTime=500\n");
        rig.services.picLoad = [](const std::string& path, WorkingPicture& picture,
                                  const TargetSizeFn& target) {
            return PicLoad(path, picture, target);
        };
        rig.services.resizeHost = &host;
        rig.services.makePreparer = nullptr;
        if (threaded) rig.useThreadedPreparer();
        auto saver = rig.makeShown();
        std::vector<std::string> trace;
        for (int step = 0; step < 9; ++step) {
            const Rect& r = rig.view.shown;
            trace.push_back(nameOf(saver->shownPath()) + " " + std::to_string(r.left) + "," +
                            std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
                            std::to_string(r.height) + " pixels " +
                            std::to_string(rig.view.pixelHash) + " bg " +
                            std::to_string(colourRefOf(rig.view.background)));
            rig.nextStep();
        }
        saver->onKey();
        EXPECT_TRUE(saver->closed());
        return trace;
    };
    const std::vector<std::string> without = run(false);
    EXPECT_EQ(without[3].substr(0, 5), "e.jpg") << "the broken file left the list";
    EXPECT_EQ(run(true), without);
}

// The view's layout is made where the picture is prepared: on the worker
// with one, on the step's own thread without; the view gets what it made.
TEST(ThreadedPreparer, EachPictureIsMadeReadyForTheViewWhereItIsPrepared) {
    TempTree pictures;
    ASSERT_TRUE(picwriter::writeBmp(pictures.root() + "/a.bmp", picwriter::makeGradient(300, 200)));
    ASSERT_TRUE(picwriter::writeBmp(pictures.root() + "/b.bmp", picwriter::makeGradient(200, 300)));
    for (const bool threaded : {false, true}) {
        PreparingRig rig;
        rig.settings("[Image]\nDispFolder=" + pictures.root() + "\nSleepTime=500\n");
        rig.services.picLoad = [](const std::string& path, WorkingPicture& picture,
                                  const TargetSizeFn& target) {
            return PicLoad(path, picture, target);
        };
        rig.services.makePreparer = nullptr;
        if (threaded) rig.useThreadedPreparer();
        std::atomic<int> readied{0};
        std::atomic<bool> offThisThread{false};
        const std::thread::id testThread = std::this_thread::get_id();
        rig.services.readyForView = [&](Bitmap& bitmap) {
            if (std::this_thread::get_id() != testThread) offThisThread = true;
            Bitmap marker;
            if (marker.allocate(bitmap.width() + 1, 1, 32)) bitmap = std::move(marker);
            ++readied;
        };
        auto saver = rig.makeShown();
        rig.nextStep();
        EXPECT_GE(readied.load(), 2) << (threaded ? "threaded" : "on the step's thread");
        EXPECT_EQ(offThisThread.load(), threaded);
        EXPECT_EQ(rig.view.shown.height, 1) << "the view shows what was made ready";
        saver->onKey();
    }
}

// Polls for a stop on the worker's thread until the deadline; true when one came.
bool stopComesWithin(std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (stopRequested()) return true;
        std::this_thread::yield();
    }
    return false;
}

TEST(ThreadedPreparer, StopGivesUpTheRunningPreparationAndHandsOutNothing) {
    std::promise<void> started;
    std::atomic<bool> sawStop{false};
    ThreadedPreparer preparer([&](const PreparationRequest& request) {
        started.set_value();
        sawStop = stopComesWithin(kDeadline);
        Preparation done;
        done.request = request;
        done.abandoned = sawStop;
        return done;
    });
    PreparationRequest request;
    request.path = "/pics/big.png";
    preparer.request(request);
    ASSERT_EQ(started.get_future().wait_for(kDeadline), std::future_status::ready);
    preparer.stop();
    EXPECT_TRUE(sawStop) << "the stop reached the running preparation";
    EXPECT_FALSE(preparer.take().has_value());
}

TEST(ThreadedPreparer, ANewerRequestGivesUpTheRunningOneAndOnlyItsResultComesOut) {
    std::promise<void> firstStarted;
    std::atomic<bool> firstSawStop{false};
    ThreadedPreparer preparer([&](const PreparationRequest& request) {
        Preparation done;
        done.request = request;
        if (request.path == "/pics/first.png") {
            firstStarted.set_value();
            firstSawStop = stopComesWithin(kDeadline);
            done.abandoned = firstSawStop;
        } else {
            EXPECT_FALSE(stopRequested()) << "the newer request is wanted";
        }
        return done;
    });
    PreparationRequest first;
    first.path = "/pics/first.png";
    preparer.request(first);
    ASSERT_EQ(firstStarted.get_future().wait_for(kDeadline), std::future_status::ready);
    PreparationRequest second;
    second.path = "/pics/second.png";
    preparer.request(second);
    const std::optional<Preparation> taken = preparer.take();
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(taken->request.path, second.path);
    EXPECT_FALSE(taken->abandoned);
    EXPECT_TRUE(firstSawStop);
}

TEST(ThreadedPreparer, AKeyDuringAPreparationEndsTheShowWithoutWaitingForItsLoad) {
    struct Case {
        const char* name;
        int loadsBeforeTheBlockingOne;
    };
    for (const Case& c : {Case{"first picture", 0}, Case{"next picture", 1}}) {
        PreparingRig rig;
        rig.pictureSettings();
        const std::string a = rig.tree.file("pics/a.jpg", 20000);
        rig.tree.file("pics/b.jpg", 20000);
        std::promise<void> workerLoading;
        std::atomic<bool> workerSawStop{false};
        int workerLoads = 0; // on the worker's thread only
        rig.services.picLoad = [&](const std::string&, WorkingPicture& pic, const TargetSizeFn&) {
            if (workerLoads++ == c.loadsBeforeTheBlockingOne) {
                // This load runs until it is told to stop.
                workerLoading.set_value();
                workerSawStop = stopComesWithin(kDeadline);
                return false;
            }
            pic.width = 640;
            pic.height = 480;
            return pic.bitmap.allocate(640, 480, 24);
        };
        rig.useThreadedPreparer();
        auto saver = c.loadsBeforeTheBlockingOne > 0 ? rig.makeShown() : rig.makeWaiting();
        ASSERT_EQ(saver->shownPath(), c.loadsBeforeTheBlockingOne > 0 ? a : "") << c.name;
        ASSERT_EQ(workerLoading.get_future().wait_for(kDeadline), std::future_status::ready)
            << c.name;
        saver->onKey();
        EXPECT_TRUE(saver->closed()) << c.name;
        EXPECT_TRUE(workerSawStop) << c.name << ": closing joined a worker told to stop";
        EXPECT_EQ(rig.view.bitmaps, c.loadsBeforeTheBlockingOne) << c.name;
        EXPECT_FALSE(rig.timer.tick()) << c.name;
    }
}

// A picture handed to the module row by row as it is decoded is shown with
// exactly the pixels of the same picture handed over whole.
class RowByRow : public ::testing::TestWithParam<const char*> {};

TEST_P(RowByRow, GivesThePixelsOfTheWholePicture) {
    TempTree pictures;
    const std::string name = GetParam();
    const std::string path = pictures.root() + "/" + name;
    const Bitmap meadow = picwriter::makeMeadow(1600, 1200);
    picwriter::BmpOptions bmp;
    bmp.topDown = name == "top_down_32.bmp";
    bmp.bitsPerPixel = name == "top_down_32.bmp" ? 32 : 24;
    picwriter::JpegOptions jpeg;
    if (name == "cmyk.jpg") jpeg.colour = picwriter::JpegColour::Cmyk;
    const std::string extension = pictureExtension(name);
    ASSERT_TRUE(extension == ".bmp"   ? picwriter::writeBmp(path, meadow, bmp)
                : extension == ".png" ? picwriter::writePng(path, meadow)
                                      : picwriter::writeJpeg(path, meadow, jpeg));
    PreparationRequest request;
    request.path = path;
    request.window = {640, 480};
    request.modulePath = SLIDORA_RESIZE32_PATH;
    bool streamed = false;
    const Preparation byRows = preparePictureFile(
        request, [&](const std::string& file, WorkingPicture& picture, const TargetSizeFn& target) {
            const bool loaded = PicLoad(file, picture, target);
            streamed = picture.streamed;
            return loaded;
        });
    const Preparation whole = preparePictureFile(
        request, [](const std::string& file, WorkingPicture& picture, const TargetSizeFn& target) {
            picture.sink = nullptr;
            return PicLoad(file, picture, target);
        });
    EXPECT_TRUE(streamed);
    ASSERT_TRUE(byRows.picture && whole.picture);
    EXPECT_FALSE(byRows.noResizeMsg);
    const Bitmap& got = byRows.picture->bitmap;
    const Bitmap& want = whole.picture->bitmap;
    ASSERT_EQ(got.width(), 640);
    ASSERT_EQ(got.height(), 480);
    ASSERT_EQ(want.width(), 640);
    ASSERT_EQ(want.height(), 480);
    for (int y = 0; y < got.height(); ++y)
        ASSERT_EQ(std::memcmp(got.row(y), want.row(y), 640 * 3), 0) << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(Files, RowByRow,
                         ::testing::Values("photo.jpg", "cmyk.jpg", "plain.png", "bottom_up.bmp",
                                           "top_down_32.bmp"),
                         [](const auto& test) { return testName(test.param); });

} // namespace
} // namespace slidora::test
