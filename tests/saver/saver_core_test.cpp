// The saver's set-up, clock, catalogue cycle and ending, driven by fakes and
// a recording view: no window, no test sleeps or waits for a real timer.
#include "tests/saver/SaverFixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace slidora::test {
namespace {

TEST(SaverSetUp, FullScreenCoversTheScreenPlusTwoAndHidesTheCursor) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make();
    EXPECT_EQ(rig.view.window, (Rect{0, 0, 1026, 770}));
    EXPECT_TRUE(rig.view.cursorHidden);
    EXPECT_EQ(saver->platformKind(), 2);
    EXPECT_FALSE(saver->messageMode());
    EXPECT_EQ(saver->tickIntervalMs(), 100);
    EXPECT_EQ(saver->clockPhase(), 1);
    EXPECT_TRUE(rig.timer.enabled());
    EXPECT_EQ(rig.timer.interval, 100);
    // The first picture is shown during set-up, on black.
    EXPECT_EQ(rig.loads.size(), 1u);
    EXPECT_EQ(saver->windowColour(), (Rgb{0, 0, 0}));
    EXPECT_EQ(rig.view.background, (Rgb{0, 0, 0}));
    EXPECT_EQ(saver->recordedPointer(), rig.pointer);
}

// The caption's font: the settings' face and size, each style its letter
// names (the letters may come in any order, others are ignored).
TEST(OverlayFontOf, FaceSizeAndTheNamedStyles) {
    struct Case {
        const char* letters;
        bool bold, italic, underline, strikeout;
    };
    const Case cases[] = {{"", false, false, false, false},
                          {"B", true, false, false, false},
                          {"SUIB", true, true, true, true},
                          {"xIy", false, true, false, false},
                          {"us", false, false, false, false}};
    for (const Case& c : cases) {
        SaverSettings settings;
        settings.fontName = "IPAGothic";
        settings.fontSizePt = 14;
        settings.styleLetters = c.letters;
        const FontSpec font = overlayFontOf(settings);
        EXPECT_EQ(font.family, "IPAGothic");
        EXPECT_EQ(font.pointSize, 14);
        EXPECT_EQ(font.bold, c.bold) << c.letters;
        EXPECT_EQ(font.italic, c.italic) << c.letters;
        EXPECT_EQ(font.underline, c.underline) << c.letters;
        EXPECT_EQ(font.strikeout, c.strikeout) << c.letters;
    }
}

TEST(SaverSetUp, PreviewTakesTheHostSizeAndBuildsNoList) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make(0x2a00007);
    EXPECT_EQ(rig.view.window, (Rect{0, 0, 152, 112}));
    EXPECT_TRUE(saver->pictureList().empty());
    EXPECT_TRUE(rig.loads.empty());
    EXPECT_FALSE(rig.view.cursorHidden);
    // A usable folder gives the product name, blinking every 300 ms.
    EXPECT_TRUE(saver->messageMode());
    EXPECT_EQ(saver->messageText(), "Slidora");
    EXPECT_EQ(rig.timer.interval, 300);
    EXPECT_FALSE(rig.view.secondLine.has_value());
    EXPECT_EQ(rig.view.icon, (Point{(152 - 32) / 2, 5}));
}

TEST(SaverSetUp, EmptyFolderAsksForAFolderOnTwoLines) {
    SaverRig rig;
    rig.pictureSettings();
    auto saver = rig.make();
    EXPECT_TRUE(saver->messageMode());
    EXPECT_EQ(saver->messageText(), " フォルダを登録して下さい。");
    ASSERT_TRUE(rig.view.secondLine.has_value());
    EXPECT_EQ(rig.view.secondLine->text, " 未設定です。　　表示する");
    EXPECT_EQ(rig.view.secondLine->colour, (Rgb{255, 255, 255}));
    EXPECT_FALSE(rig.view.overlayShown);
    EXPECT_EQ(saver->windowColour(), (Rgb{0, 128, 128}));
    EXPECT_EQ(rig.view.background, (Rgb{0, 128, 128}));
    EXPECT_EQ(saver->canvasFontColour(), (Rgb{255, 255, 0}));
    // The message is scaled to span the window's width.
    EXPECT_GT(saver->canvasFont().pixelSize, 12);
    // The icon stands at the top right.
    EXPECT_EQ(rig.view.icon, (Point{1026 - 32 - 5, 5}));
    EXPECT_TRUE(rig.audio.readFolder.empty()) << "no audio without pictures";
}

TEST(SaverSetUp, CorrectsDensityAndScanCount) {
    struct Case {
        int density, scan, wantDensity, wantScan;
    };
    const Case cases[] = {
        {250, 5, 150, 20}, {-1, 201, 150, 20}, {0, 10, 0, 10}, {200, 200, 200, 200}};
    for (const Case& c : cases) {
        SaverRig rig;
        rig.pictureSettings("[OMake]\nBGDensity=" + std::to_string(c.density) +
                            "\nScanTime=" + std::to_string(c.scan) + "\n");
        auto saver = rig.make();
        EXPECT_EQ(saver->settings().backgroundDensity, c.wantDensity) << c.density;
        EXPECT_EQ(saver->settings().scanCount, c.wantScan) << c.scan;
    }
}

TEST(SaverSetUp, NonIntegerStopsSetUpWithTheErrorAndNoClock) {
    SaverRig rig;
    rig.settings("[Image]\nSleepTime=abc\n");
    rig.tree.file("program/a.jpg", 20000);
    auto saver = rig.make();
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_EQ(rig.errors[0], "'abc' は整数ではありません");
    EXPECT_FALSE(rig.timer.enabled());
    EXPECT_TRUE(rig.loads.empty());
}

TEST(SaverClock, PicturesEveryFourthTickAndAudioAtPhaseThree) {
    SaverRig rig;
    rig.pictureSettings("[Audio]\nAudioFolder=/music\n");
    for (const char* name : {"pics/a.jpg", "pics/b.jpg", "pics/c.jpg"})
        rig.tree.file(name, 20000);
    auto saver = rig.make();
    ASSERT_EQ(rig.loads.size(), 1u);
    EXPECT_EQ(rig.audio.starts, 1);
    std::vector<int> pictureTicks, audioTicks;
    for (int tick = 1; tick <= 16; ++tick) {
        const std::size_t loadsBefore = rig.loads.size();
        const int audioBefore = rig.audio.loads;
        ASSERT_TRUE(rig.timer.tick()) << "timer off after tick " << tick - 1;
        if (rig.loads.size() != loadsBefore) pictureTicks.push_back(tick);
        if (rig.audio.loads != audioBefore) audioTicks.push_back(tick);
    }
    EXPECT_EQ(pictureTicks, (std::vector<int>{4, 8, 12, 16}));
    EXPECT_EQ(audioTicks, (std::vector<int>{3, 11}));
    EXPECT_EQ(rig.timerOnDuringLoad, 0) << "the timer is off while a picture loads";
}

TEST(SaverClock, TickIntervalZeroNeverTicks) {
    SaverRig rig;
    rig.settings("[Image]\nDispFolder=" + rig.tree.root() + "/pics\nSleepTime=4\n");
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make();
    EXPECT_EQ(saver->tickIntervalMs(), 0);
    EXPECT_FALSE(rig.timer.tick());
}

TEST(SaverClock, ActiveTimeEndStopsTheClockAndClosesTheLibrary) {
    SaverRig rig;
    // 23:50 on some day, 20 minutes of active time.
    rig.clock.days = 45000.0 + (23 * 60 + 50) / 1440.0;
    rig.pictureSettings("[Audio]\nAudioFolder=/music\n[Omake]\nActTime=20\n");
    rig.tree.file("pics/a.jpg", 20000);
    rig.tree.file("pics/b.jpg", 20000);
    auto saver = rig.make();
    EXPECT_EQ(saver->activeSeconds(), 1200);
    rig.clock.advanceSeconds(19 * 60);
    ASSERT_TRUE(rig.timer.tick());
    EXPECT_EQ(rig.timer.interval, 100);
    rig.clock.advanceSeconds(61); // 00:10 and a second
    ASSERT_TRUE(rig.timer.tick());
    EXPECT_EQ(rig.timer.interval, 0);
    EXPECT_EQ(rig.audio.activeEnds, 1);
    EXPECT_FALSE(rig.timer.tick());
}

TEST(SaverClock, PowerSavingOverridesTheActiveTime) {
    struct Case {
        int saveTimeout, powerTimeout, actMinutes, wantSeconds;
    };
    const Case cases[] = {
        {600, 900, 60, 300}, {600, 660, 60, 3600}, {600, 900, 0, 300}, {0, 0, 0, 0}};
    for (const Case& c : cases) {
        SaverRig rig;
        rig.services.powerSaveInfo = [c] {
            return PowerSaveState{c.powerTimeout > 0, c.saveTimeout, c.powerTimeout};
        };
        rig.pictureSettings("[Omake]\nActTime=" + std::to_string(c.actMinutes) + "\n");
        rig.tree.file("pics/a.jpg", 20000);
        auto saver = rig.make();
        EXPECT_EQ(saver->activeSeconds(), c.wantSeconds) << c.powerTimeout;
    }
}

TEST(SaverClock, MessageModeBlinksBetweenWhiteAndYellow) {
    SaverRig rig;
    rig.pictureSettings();
    auto saver = rig.make();
    ASSERT_TRUE(saver->messageMode());
    std::vector<Rgb> colours;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(rig.timer.tick());
        colours.push_back(saver->canvasFontColour());
    }
    const Rgb white{255, 255, 255};
    const Rgb yellow{255, 255, 0};
    EXPECT_EQ(colours, (std::vector<Rgb>{white, yellow, white}));
    ASSERT_TRUE(rig.view.message.has_value());
    EXPECT_EQ(rig.view.message->colour, white);
    EXPECT_EQ(rig.view.secondLine->colour, white);
}

TEST(SaverCatalogue, CyclesAndDropsTheUnreadableMiddleFile) {
    SaverRig rig;
    rig.pictureSettings();
    const std::string a = rig.tree.file("pics/a.jpg", 20000);
    const std::string b = rig.tree.file("pics/b.jpg", 20000);
    const std::string c = rig.tree.file("pics/c.jpg", 20000);
    rig.unreadable.insert(b);
    auto saver = rig.make();
    std::vector<std::string> shown{saver->shownPath()};
    for (int tick = 0; tick < 8; ++tick) {
        const std::string before = saver->shownPath();
        rig.timer.tick();
        if (rig.loads.size() > 1 && saver->shownPath() != before)
            shown.push_back(saver->shownPath());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{a, c, a}));
    EXPECT_EQ(saver->pictureList(), (std::vector<std::string>{a, c}));
}

TEST(SaverCatalogue, AllUnreadableClosesAtTheNextTick) {
    SaverRig rig;
    rig.pictureSettings();
    rig.unreadable.insert(rig.tree.file("pics/a.jpg", 20000));
    rig.unreadable.insert(rig.tree.file("pics/b.png", 20000));
    auto saver = rig.make();
    EXPECT_TRUE(saver->pictureList().empty());
    EXPECT_TRUE(saver->closePending());
    EXPECT_EQ(rig.quits, 0);
    rig.timer.tick();
    EXPECT_TRUE(saver->closed());
    EXPECT_EQ(rig.quits, 1);
}

TEST(SaverCatalogue, SizeBoundaryNestingAndOrder) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/exact.jpg", 10240);
    const std::string over = rig.tree.file("pics/over.jpg", 10241);
    const std::string deep = rig.tree.file("pics/x/y/z/Deep.PNG", 20000);
    const std::string upper = rig.tree.file("pics/A.JPG", 20000);
    const std::string lower = rig.tree.file("pics/sub/a.jpg", 20000);
    rig.tree.file("pics/notes.txt", 20000);
    rig.tree.file("pics/anim.gif", 20000);
    auto saver = rig.make();
    EXPECT_EQ(saver->pictureList(), (std::vector<std::string>{upper, over, lower, deep}));
}

// List positions of the pictures after which the cursor check acts, for a
// list of n pictures: the pointer moves while picture k is up, and the check
// runs after the next picture appears.
std::vector<int> cursorCheckPositions(int n) {
    std::vector<int> closedAfter;
    for (int k = 0; k < n; ++k) {
        SaverRig rig;
        rig.pictureSettings();
        for (int i = 0; i < n; ++i)
            rig.tree.file("pics/p" + std::to_string(i) + ".jpg", 20000);
        auto saver = rig.make();
        for (int tick = 0; tick < 4 * k; ++tick)
            rig.timer.tick(); // picture k is up
        EXPECT_FALSE(saver->closed());
        rig.pointer.x += 1;
        for (int tick = 0; tick < 4; ++tick)
            rig.timer.tick(); // the next picture
        if (saver->closed()) closedAfter.push_back((k + 1) % n);
    }
    return closedAfter;
}

TEST(SaverEnding, CursorCheckActsAfterPositionsOneToNMinusTwo) {
    EXPECT_TRUE(cursorCheckPositions(1).empty());
    EXPECT_TRUE(cursorCheckPositions(2).empty());
    EXPECT_EQ(cursorCheckPositions(5), (std::vector<int>{1, 2, 3}));
}

TEST(SaverEnding, FirstMoveRuleAndKeys) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make();
    const Point at = saver->recordedPointer();
    saver->onMouseMove(at);
    EXPECT_FALSE(saver->closed());
    saver->onMouseMove({at.x + 1, at.y});
    EXPECT_TRUE(saver->closed());
    EXPECT_EQ(rig.view.closes, 1);
    EXPECT_FALSE(rig.view.cursorHidden) << "closing shows the cursor again";
    EXPECT_EQ(rig.timer.enabled(), false);

    for (const bool key : {true, false}) {
        SaverRig rig2;
        rig2.pictureSettings();
        rig2.tree.file("pics/a.jpg", 20000);
        auto saver2 = rig2.make();
        if (key)
            saver2->onKey();
        else
            saver2->onMouseDown();
        EXPECT_TRUE(saver2->closed()) << key;
        EXPECT_EQ(rig2.quits, 1);
    }
}

TEST(SaverEnding, ARefusedPasswordKeepsTheShowAndStartsItsTimeAgain) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    bool allow = false;
    int asked = 0;
    rig.services.closeQuery = [&] {
        ++asked;
        return allow;
    };
    auto saver = rig.make();
    const double firstDeadline = saver->activeDeadline();
    rig.clock.advanceSeconds(30);
    saver->onKey();
    EXPECT_FALSE(saver->closed());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(saver->recordedPointer(), (Point{-1, -1}));
    EXPECT_GT(saver->activeDeadline(), firstDeadline) << "the full active time runs again";
    EXPECT_FALSE(saver->onSessionEndQuery()) << "the session end is refused too";
    EXPECT_FALSE(saver->closed());

    // A power message closes at the next tick, through the same query.
    allow = true;
    saver->onPowerMessage();
    EXPECT_FALSE(saver->closed());
    rig.timer.tick();
    EXPECT_TRUE(saver->closed());
    EXPECT_EQ(asked, 3);
}

TEST(SaverEnding, ThePreviewNeverAsksForThePassword) {
    SaverRig rig;
    rig.pictureSettings();
    int asked = 0;
    rig.services.closeQuery = [&] {
        ++asked;
        return false;
    };
    auto saver = rig.make(0x2a00007);
    saver->onEndRequest();
    EXPECT_TRUE(saver->closed());
    EXPECT_EQ(asked, 0);
}

TEST(SaverEnding, PreviewIgnoresInputButEndsOnRequest) {
    SaverRig rig;
    rig.pictureSettings();
    auto saver = rig.make(0x2a00007);
    saver->onKey();
    saver->onMouseDown();
    EXPECT_FALSE(saver->closed());
    saver->onEndRequest();
    EXPECT_TRUE(saver->closed());
}

TEST(SaverEnding, HostSignalEndsAStoppedShowAndFreesTheAudio) {
    SaverRig rig;
    rig.settings("[Image]\nDispFolder=" + rig.tree.root() +
                 "/pics\nSleepTime=3\n[Audio]\nAudioFolder=/m\n");
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make();
    ASSERT_FALSE(rig.timer.tick()) << "clock stopped for good";
    saver->onEndRequest();
    EXPECT_TRUE(saver->closed());
    EXPECT_EQ(rig.quits, 1);
    EXPECT_EQ(rig.audio.closes, 1);
    EXPECT_TRUE(saver->pictureList().empty());
}

TEST(SaverSetUp, ConstructionDoesNothingUntilStarted) {
    SaverRig rig;
    rig.pictureSettings();
    rig.unreadable.insert(rig.tree.file("pics/a.jpg", 20000));
    SaverCore saver(0, rig.services, rig.view);
    EXPECT_EQ(rig.view.window, Rect{});
    EXPECT_FALSE(rig.timer.handler);
    EXPECT_TRUE(rig.loads.empty());
    saver.start();
    EXPECT_EQ(rig.loads.size(), 1u);
    EXPECT_TRUE(saver.closePending());
    EXPECT_FALSE(saver.closed()) << "set-up never closes the window itself";
}

// Where message mode puts its lines, with the fake's exact measures: a cell
// of one pixel size per byte, lines 9/8 of a pixel size high.
TEST(SaverMessage, LinesAreScaledAndPlacedInTheWindow) {
    struct Case {
        const char* name;
        bool folderHasPictures;
        unsigned long parentWnd;
        Size host;
        int pixels;
        Point message;
        std::optional<Point> secondLine;
    };
    // " フォルダを登録して下さい。" is 40 bytes, "Slidora" 7.
    const Case cases[] = {
        {"full screen folder request",
         false,
         0,
         {},
         1026 / 40,
         {(1026 - 40 * 25) / 2, ((770 - 28) / 3) * 2},
         Point{(1026 - 40 * 25) / 2, ((770 - 28) / 3) * 2 - 2 * 25}},
        {"preview product name",
         true,
         1,
         {152, 112},
         152 / 7,
         {(152 - 7 * 21) / 2, ((112 - 23) / 3) * 2},
         {}},
        // A very flat host: the width would give 100 pixels, the height
        // allows only 700 x 10 / 100 = 70.
        {"flat preview", true, 1, {700, 10}, 70, {(700 - 7 * 70) / 2, ((10 - 78) / 3) * 2}, {}},
    };
    for (const Case& c : cases) {
        SaverRig rig;
        rig.pictureSettings();
        if (c.folderHasPictures) rig.tree.file("pics/a.jpg", 20000);
        rig.services.hostWindowSize = [c](unsigned long) { return c.host; };
        auto saver = rig.make(c.parentWnd);
        ASSERT_TRUE(rig.view.message.has_value()) << c.name;
        EXPECT_EQ(saver->canvasFont().pixelSize, c.pixels) << c.name;
        EXPECT_EQ(rig.view.message->font.pixelSize, c.pixels) << c.name;
        EXPECT_EQ(rig.view.message->at, c.message) << c.name;
        ASSERT_EQ(rig.view.secondLine.has_value(), c.secondLine.has_value()) << c.name;
        if (c.secondLine) {
            EXPECT_EQ(rig.view.secondLine->at, *c.secondLine) << c.name;
            EXPECT_EQ(rig.view.secondLine->font.pixelSize, c.pixels) << c.name;
        }
    }
}

TEST(SaverOverlay, TextBoxAndColoursOverEachPicture) {
    SaverRig rig;
    rig.pictureSettings("[Text]\nFileName=0\nDate=Yes\n");
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make();
    ASSERT_TRUE(rig.view.overlayShown);
    EXPECT_EQ(rig.view.overlay.text, "2001/02/03 a.jpg ");
    // Measured one full stop wider, in the default-sized face (10 pixels in
    // the fake); a hundredth of the 1024 x 768 screen from the corner.
    EXPECT_EQ(rig.view.overlay.box, (Rect{10, 7, 18 * 10, 11}));
    // The fake's picture is black: black box, text with bits flipped.
    EXPECT_EQ(rig.view.overlay.background, (Rgb{0, 0, 0}));
    EXPECT_EQ(rig.view.overlay.textColour, (Rgb{0x88, 0x88, 0x88}));
    const Placement place = StretchSize(640, 480, 1026, 770, saver->settings().maxMagnification);
    EXPECT_EQ(rig.view.shown, (Rect{place.x, place.y, 640, 480}));

    SaverRig none;
    none.pictureSettings("[Text]\nFileName=2\n");
    none.tree.file("pics/a.jpg", 20000);
    auto quiet = none.make();
    EXPECT_EQ(none.view.bitmaps, 1);
    EXPECT_FALSE(none.view.overlayShown);
}

// Every entry point is a boundary: what a step raises is reported once and
// goes no further; the clock, switched off for the display step, stays off.
TEST(SaverBoundary, ThrowingDisplayStepIsReportedOnceAndStopsTheClock) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    const std::string b = rig.tree.file("pics/b.jpg", 20000);
    const auto load = rig.services.picLoad;
    rig.services.picLoad = [&](const std::string& path, WorkingPicture& pic,
                               const TargetSizeFn& target) {
        if (path == b) throw std::runtime_error("壊れた画像");
        return load(path, pic, target);
    };
    auto saver = rig.make();
    ASSERT_TRUE(rig.errors.empty());
    for (int tick = 0; tick < 4; ++tick)
        ASSERT_TRUE(rig.timer.tick()) << tick;
    EXPECT_EQ(rig.errors, (std::vector<std::string>{"壊れた画像"}));
    EXPECT_FALSE(rig.timer.enabled());
    EXPECT_FALSE(rig.timer.tick());
    EXPECT_EQ(rig.errors.size(), 1u);
    EXPECT_FALSE(saver->closed());
    saver->onKey();
    EXPECT_TRUE(saver->closed()) << "input still ends the show";
}

TEST(SaverBoundary, ThrowingFirstPictureStopsTheSetUpWithoutAClock) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    rig.services.picLoad = [](const std::string&, WorkingPicture&, const TargetSizeFn&) -> bool {
        throw std::bad_alloc();
    };
    auto saver = rig.make();
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_EQ(rig.errors[0], std::bad_alloc().what());
    EXPECT_FALSE(rig.timer.enabled());
    EXPECT_FALSE(saver->closed());
}

} // namespace
} // namespace slidora::test
