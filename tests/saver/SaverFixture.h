#pragma once
// The saver driven entirely by fakes: a clock that moves only when told, a
// timer that fires only when the test ticks it, a scripted pointer, a picture
// loader that decodes nothing, a recording audio and a recording view.
#include "platform/Clock.h"
#include "saver/SaverCore.h"
#include "saver/picture/PictureDecoder.h"
#include "tests/support/ScriptedRandom.h"

#ifdef _WIN32
#include <process.h>
#endif

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace slidora::test {

class FakeClock final : public Clock {
  public:
    double nowDays() const override { return days; }
    void advanceSeconds(double s) { days += s / 86400.0; }
    double days = 45000.5; // some noon
};

class FakeTimer final : public Timer {
  public:
    void setIntervalMs(int ms) override { interval = ms; }
    int intervalMs() const override { return interval; }
    void setEnabled(bool on) override {
        enabled_ = on;
        ++toggles;
    }
    bool enabled() const override { return enabled_; }
    void setHandler(std::function<void()> h) override { handler = std::move(h); }
    // One tick, as the real timer would deliver it: only while on and with a
    // non-zero interval.
    bool tick() {
        if (!enabled_ || interval <= 0 || !handler) return false;
        handler();
        return true;
    }
    int interval = 0;
    bool enabled_ = false;
    int toggles = 0;
    std::function<void()> handler;
};

class FakeAudio final : public SaverAudio {
  public:
    void AudRead(const std::string& folder, const std::string&, bool, RandomSource&) override {
        readFolder = folder;
        if (!folder.empty()) hasList = true;
        if (atRead) atRead();
    }
    void start(bool, int) override {
        on = hasList;
        ++starts;
    }
    bool audioOn() const override { return on; }
    bool listEmpty() const override { return !hasList; }
    void AudLoad() override { ++loads; }
    void onActiveTimeEnd() override { ++activeEnds; }
    void onClose() override { ++closes; }
    std::string readFolder;
    std::function<void()> atRead; // runs as the list is read
    bool hasList = false;
    bool on = false;
    int starts = 0, loads = 0, activeEnds = 0, closes = 0;
};

// Keeps what the core last told it. Text measures one pixel-size-wide cell
// per byte and a line 1 1/8 pixel sizes high, so the arithmetic around it
// can be checked exactly.
class FakeView final : public SaverView {
  public:
    void setWindowRect(const Rect& rect) override { window = rect; }
    void showBitmap(Bitmap bitmap, Point at) override {
        shown = {at.x, at.y, bitmap.width(), bitmap.height()};
        ++bitmaps;
        if (!hashPixels) return;
        pixelHash = 1469598103934665603u;
        for (int y = 0; y < bitmap.height(); ++y)
            for (std::size_t x = 0; x < bitmap.stride(); ++x)
                pixelHash = (pixelHash ^ bitmap.row(y)[x]) * 1099511628211u;
    }
    void moveIcon(Point topLeft) override { icon = topLeft; }
    void setBackground(Rgb colour) override { background = colour; }
    void setOverlayFont(const FontSpec& font) override { overlayFont = font; }
    void setOverlay(const OverlaySpec& wanted) override {
        overlay = wanted;
        overlayShown = true;
    }
    void hideOverlay() override { overlayShown = false; }
    void setMessage(const MessageLine& line) override { message = line; }
    void setSecondLine(const MessageLine& line) override { secondLine = line; }
    Size measureText(const std::string& text, const FontSpec& font) const override {
        measured.push_back(text);
        const int px = font.pixelSize > 0 ? font.pixelSize : 10;
        return {static_cast<int>(text.size()) * px, px * 9 / 8};
    }
    void setCursorHidden(bool hidden) override { cursorHidden = hidden; }
    void closeWindow() override { ++closes; }
    void clearPicture() override {
        ++clears;
        overlayShown = false;
    }
    void presentNow() override {
        ++presents;
        bitmapsAtPresent = bitmaps;
        if (atPresent) atPresent();
    }
    // From the preparing thread.
    void wakeForPreparation() override { ++wakes; }

    Rect window;
    Rect shown;
    int bitmaps = 0;
    bool hashPixels = false;
    std::uint64_t pixelHash = 0; // of the last bitmap shown, row padding included
    std::optional<Point> icon;
    Rgb background{0, 128, 128};
    FontSpec overlayFont;
    OverlaySpec overlay;
    bool overlayShown = true;
    std::optional<MessageLine> message;
    std::optional<MessageLine> secondLine;
    bool cursorHidden = false;
    int closes = 0;
    int clears = 0;
    int presents = 0;
    int bitmapsAtPresent = 0; // pictures shown when presentNow last came
    std::function<void()> atPresent;
    std::atomic<int> wakes{0};
    mutable std::vector<std::string> measured; // every text measured, in order
};

// A temporary folder of files of chosen sizes, removed with the fixture.
class TempTree {
  public:
    TempTree() {
#ifdef _WIN32
        // Windows has no mkdtemp: a name of this process's own in the
        // system's temporary folder.
        static int made = 0;
        const std::filesystem::path root =
            std::filesystem::temp_directory_path() /
            ("slidora-saver-" + std::to_string(::_getpid()) + "-" + std::to_string(++made));
        std::filesystem::create_directories(root);
        m_root = root.string();
#else
        char pattern[] = "/tmp/slidora-saver-XXXXXX";
        m_root = ::mkdtemp(pattern);
#endif
    }
    ~TempTree() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    std::string file(const std::string& relative, std::size_t bytes) {
        // With the system's separators, as the walks name the files.
        const std::filesystem::path p = (std::filesystem::path(m_root) / relative).make_preferred();
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << std::string(bytes, 'x');
        return p.string();
    }
    const std::string& root() const {
        return m_root;
    }

  private:
    std::string m_root;
};

struct SaverRig {
    FakeClock clock;
    FakeTimer timer;
    ScriptedRandom random{{0.25, 0.75, 0.5}};
    FakeAudio audio;
    FakeView view;
    Point pointer{500, 400};
    int quits = 0;
    std::vector<std::string> errors;
    std::vector<std::string> loads;   // every path handed to the loader
    std::set<std::string> unreadable; // paths whose load fails
    int timerOnDuringLoad = 0;        // loads that ran with the timer on
    TempTree tree;
    std::string settingsPath;
    SaverServices services;

    SaverRig() {
        settingsPath = tree.root() + "/slidora.ini";
        services.clock = &clock;
        services.timer = &timer;
        services.random = &random;
        services.powerSaveInfo = [] { return PowerSaveState{}; };
        services.cursorPos = [this] { return pointer; };
        services.screenSize = {1024, 768};
        services.hostWindowSize = [](unsigned long) { return Size{152, 112}; };
        services.dateText = [](double) { return std::string("2001/02/03"); };
        services.timeText = [](double) { return std::string("12:34:56"); };
        services.settingsPath = settingsPath;
        services.readerContext.programDir = tree.root() + "/program";
        services.readerContext.iconFontName = "DejaVu Sans";
        services.picLoad = [this](const std::string& path, WorkingPicture& pic,
                                  const TargetSizeFn&) {
            loads.push_back(path);
            if (timer.enabled()) ++timerOnDuringLoad;
            if (unreadable.count(path) != 0) return false;
            pic.width = 640;
            pic.height = 480;
            pic.bitmap.allocate(640, 480, 24);
            return true;
        };
        services.audio = &audio;
        services.errorReport = [this](const std::string& m) { errors.push_back(m); };
        services.quit = [this] { ++quits; };
    }

    void settings(const std::string& text) { std::ofstream(settingsPath) << text; }
    // Settings that show the rig's picture folder.
    void pictureSettings(const std::string& extra = "") {
        settings("[Image]\nDispFolder=" + tree.root() + "/pics\nSleepTime=500\n" + extra);
    }
    // A started core.
    std::unique_ptr<SaverCore> make(unsigned long parentWnd = 0) {
        auto core = std::make_unique<SaverCore>(parentWnd, services, view);
        core->start();
        return core;
    }
};

} // namespace slidora::test
