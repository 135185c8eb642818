// The saver window's set-up, clock, catalogue cycle and ending, driven by
// fakes: no test sleeps or waits for a real timer.
#include "tests/saver/SaverFixture.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace slidora::test {
namespace {

TEST(SaverSetUp, FullScreenCoversTheScreenPlusTwoAndHidesTheCursor) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make();
    EXPECT_EQ(saver->size(), QSize(1026, 770));
    EXPECT_EQ(saver->pos(), QPoint(0, 0));
    EXPECT_TRUE(rig.cursorHidden);
    EXPECT_FALSE(saver->messageMode());
    EXPECT_EQ(saver->tickIntervalMs(), 100);
    EXPECT_EQ(saver->clockPhase(), 1);
    EXPECT_TRUE(rig.timer.enabled());
    EXPECT_EQ(rig.timer.interval, 100);
    // The first picture is shown during set-up, on black.
    EXPECT_EQ(rig.loads.size(), 1u);
    EXPECT_EQ(saver->windowColour(), QColor(Qt::black));
    EXPECT_EQ(saver->recordedPointer(), rig.pointer);
}

TEST(SaverSetUp, PreviewTakesTheHostSizeAndBuildsNoList) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make(0x2a00007);
    EXPECT_EQ(saver->size(), QSize(152, 112));
    EXPECT_TRUE(saver->pictureList().empty());
    EXPECT_TRUE(rig.loads.empty());
    EXPECT_FALSE(rig.cursorHidden);
    // A usable folder gives the product name, blinking every 300 ms.
    EXPECT_TRUE(saver->messageMode());
    EXPECT_EQ(saver->messageText(), "Slidora");
    EXPECT_EQ(rig.timer.interval, 300);
    EXPECT_FALSE(saver->label2()->isVisibleTo(saver.get()));
}

TEST(SaverSetUp, EmptyFolderAsksForAFolderOnTwoLines) {
    SaverRig rig;
    rig.pictureSettings();
    auto saver = rig.make();
    EXPECT_TRUE(saver->messageMode());
    EXPECT_EQ(saver->messageText(), " フォルダを登録して下さい。");
    EXPECT_EQ(saver->label2()->text().toStdString(), " 未設定です。　　表示する");
    EXPECT_TRUE(saver->label2()->isVisibleTo(saver.get()));
    EXPECT_FALSE(saver->label1()->isVisibleTo(saver.get()));
    EXPECT_EQ(saver->windowColour(), QColor(0, 128, 128));
    EXPECT_EQ(saver->canvasFontColour(), QColor(255, 255, 0));
    // The message is scaled to span the window's width.
    const QFontMetrics fm(saver->font());
    EXPECT_GT(saver->canvasFontPixels(), 12);
    // The icon stands at the top right.
    EXPECT_EQ(saver->image1()->x(), 1026 - 32 - 5);
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
    std::vector<QColor> colours;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(rig.timer.tick());
        colours.push_back(saver->canvasFontColour());
    }
    EXPECT_EQ(colours, (std::vector<QColor>{Qt::white, QColor(255, 255, 0), Qt::white}));
    EXPECT_EQ(saver->label2()->palette().color(QPalette::WindowText), QColor(Qt::white));
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
        rig.pointer += QPoint(1, 0);
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
    const QPoint at = saver->recordedPointer();
    QMouseEvent same(QEvent::MouseMove, at, saver->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(saver.get(), &same);
    EXPECT_FALSE(saver->closed());
    // Over the picture nothing reaches the window.
    QMouseEvent overPicture(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(saver->image1(), &overPicture);
    EXPECT_FALSE(saver->closed());
    const QPoint moved = at + QPoint(1, 0);
    QMouseEvent move(QEvent::MouseMove, moved, saver->mapToGlobal(moved), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(saver.get(), &move);
    EXPECT_TRUE(saver->closed());
    EXPECT_FALSE(rig.cursorHidden) << "closing shows the cursor again";
    EXPECT_EQ(rig.timer.enabled(), false);

    SaverRig rig2;
    rig2.pictureSettings();
    rig2.tree.file("pics/a.jpg", 20000);
    auto saver2 = rig2.make();
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(saver2.get(), &shift);
    EXPECT_TRUE(saver2->closed());
}

TEST(SaverEnding, HostSignalEndsAStoppedShowAndFreesTheAudio) {
    SaverRig rig;
    rig.settings("[Image]\nDispFolder=" + rig.tree.root() +
                 "/pics\nSleepTime=3\n[Audio]\nAudioFolder=/m\n");
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = rig.make();
    ASSERT_FALSE(rig.timer.tick()) << "clock stopped for good";
    saver->endRequested();
    EXPECT_TRUE(saver->closed());
    EXPECT_EQ(rig.quits, 1);
    EXPECT_EQ(rig.audio.closes, 1);
    EXPECT_TRUE(saver->pictureList().empty());
}

// The message, drawn in the real window font, spans the window's width in full
// screen and in previews of several sizes, for both message texts.
TEST(SaverMessage, TextSpansTheWindowWidth) {
    struct Case {
        const char* name;
        unsigned long parentWnd;
        QSize size;
        bool folderHasPictures;
    };
    const Case cases[] = {
        {"small preview, product name", 0x2a00007, QSize(152, 112), true},
        {"small preview, folder request", 0x2a00007, QSize(152, 112), false},
        {"large preview, product name", 0x2a00007, QSize(640, 480), true},
        {"wide preview, folder request", 0x2a00007, QSize(900, 300), false},
        {"full screen 1024x768, folder request", 0, QSize(1024, 768), false},
        {"full screen 1920x1080, folder request", 0, QSize(1920, 1080), false},
    };
    for (const Case& c : cases) {
        SaverRig rig;
        rig.pictureSettings();
        if (c.folderHasPictures) rig.tree.file("pics/a.jpg", 20000);
        rig.services.screenSize = c.size;
        rig.services.hostWindowSize = [c](unsigned long) { return c.size; };
        auto saver = rig.make(c.parentWnd);
        ASSERT_TRUE(saver->messageMode()) << c.name;
        const QString text = QString::fromStdString(saver->messageText());
        QFont larger = saver->canvasFont();
        larger.setPixelSize(larger.pixelSize() + 1);
        const int textWidth = QFontMetrics(saver->canvasFont()).horizontalAdvance(text);
        // Pixel sizes are whole numbers: the text is as wide as the window
        // allows, and one pixel more would carry it past the edges.
        EXPECT_LE(textWidth, saver->width() + 2) << c.name;
        EXPECT_GE(QFontMetrics(larger).horizontalAdvance(text), saver->width() - 2) << c.name;
    }
}

} // namespace
} // namespace slidora::test
