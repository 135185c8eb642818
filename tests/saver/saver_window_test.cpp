// The Qt face of the saver: what the core tells it appears in the widgets,
// and the window's input reaches the core.
#include "saver/Catalogue.h"
#include "saver/PicturePreparer.h"
#include "saver/SaverWindow.h"
#include "tests/saver/SaverFixture.h"
#include "tests/support/QtApplication.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>

namespace slidora::test {
namespace {

std::unique_ptr<TSlidoraSaver> makeWindow(SaverRig& rig, unsigned long parentWnd = 0) {
    ensureApplication();
    auto saver = std::make_unique<TSlidoraSaver>(parentWnd, rig.services);
    saver->start();
    return saver;
}

TEST(SaverWindow, FullScreenCoversTheScreenPlusTwoAndHidesTheCursor) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = makeWindow(rig);
    EXPECT_EQ(saver->size(), QSize(1026, 770));
    EXPECT_EQ(saver->pos(), QPoint(0, 0));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BlankCursor);
    // Without the resampler the picture keeps its own size.
    const Placement place =
        StretchSize(640, 480, 1026, 770, saver->core().settings().maxMagnification);
    EXPECT_EQ(saver->image1()->geometry(), QRect(place.x, place.y, 640, 480));
    saver->endRequested();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "closing shows the cursor again";
}

// The full show is on screen while its folder is still being walked; the
// preview waits to be placed inside its host.
TEST(SaverWindow, FullShowIsUpWhileItsFolderIsWalkedThePreviewIsNot) {
    for (const unsigned long parentWnd : {0ul, 0x2a00007ul}) {
        SCOPED_TRACE(parentWnd == 0 ? "full show" : "preview");
        SaverRig rig;
        rig.pictureSettings();
        rig.tree.file("pics/a.jpg", 20000);
        ensureApplication();
        const TSlidoraSaver* window = nullptr;
        std::optional<bool> upDuringWalk;
        rig.services.picRead = [&](const std::string& folder, int minimumSizeKb,
                                   std::vector<std::string>& list) {
            upDuringWalk = window->isVisible();
            PicRead(folder, minimumSizeKb, list);
        };
        auto saver = std::make_unique<TSlidoraSaver>(parentWnd, rig.services);
        window = saver.get();
        saver->start();
        if (parentWnd == 0) {
            EXPECT_EQ(upDuringWalk, std::optional<bool>(true));
        } else {
            EXPECT_FALSE(upDuringWalk.has_value()) << "the preview reads no folder";
            EXPECT_FALSE(saver->isVisible());
        }
        saver->endRequested();
    }
}

TEST(SaverWindow, FolderRequestShowsTheSecondLineAndHidesTheOverlay) {
    SaverRig rig;
    rig.pictureSettings();
    auto saver = makeWindow(rig);
    EXPECT_EQ(saver->label2()->text().toStdString(), " 未設定です。　　表示する");
    EXPECT_TRUE(saver->label2()->isVisibleTo(saver.get()));
    EXPECT_FALSE(saver->label1()->isVisibleTo(saver.get()));
    EXPECT_EQ(saver->image1()->pos(), QPoint(1026 - 32 - 5, 5));
    ASSERT_TRUE(rig.timer.tick());
    EXPECT_EQ(saver->label2()->palette().color(QPalette::WindowText), QColor(Qt::white));
    ASSERT_TRUE(rig.timer.tick());
    EXPECT_EQ(saver->label2()->palette().color(QPalette::WindowText), QColor(255, 255, 0));
}

TEST(SaverWindow, PreviewKeepsTheOverlayLabelsDesign) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = makeWindow(rig, 0x2a00007);
    EXPECT_EQ(saver->size(), QSize(152, 112));
    EXPECT_EQ(saver->label1()->text(), QStringLiteral("Label1"));
    EXPECT_EQ(saver->label1()->geometry(), QRect(384, 296, 50, 18));
    EXPECT_FALSE(saver->label2()->isVisibleTo(saver.get()));
    EXPECT_EQ(saver->image1()->pos(), QPoint((152 - 32) / 2, 5));
}

TEST(SaverWindow, InputOverTheWindowEndsTheShowButNotOverThePicture) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    auto saver = makeWindow(rig);
    const QPoint at(rig.pointer.x, rig.pointer.y);
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
    EXPECT_FALSE(saver->isVisible());

    SaverRig rig2;
    rig2.pictureSettings();
    rig2.tree.file("pics/a.jpg", 20000);
    auto saver2 = makeWindow(rig2);
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(saver2.get(), &shift);
    EXPECT_TRUE(saver2->closed());
}

// The message, drawn in the real window font, spans the window's width in full
// screen and in previews of several sizes, for both message texts.
TEST(SaverMessage, TextSpansTheWindowWidth) {
    struct Case {
        const char* name;
        unsigned long parentWnd;
        Size size;
        bool folderHasPictures;
    };
    const Case cases[] = {
        {"small preview, product name", 0x2a00007, {152, 112}, true},
        {"small preview, folder request", 0x2a00007, {152, 112}, false},
        {"large preview, product name", 0x2a00007, {640, 480}, true},
        {"wide preview, folder request", 0x2a00007, {900, 300}, false},
        {"full screen 1024x768, folder request", 0, {1024, 768}, false},
        {"full screen 1920x1080, folder request", 0, {1920, 1080}, false},
    };
    for (const Case& c : cases) {
        SaverRig rig;
        rig.pictureSettings();
        if (c.folderHasPictures) rig.tree.file("pics/a.jpg", 20000);
        rig.services.screenSize = c.size;
        rig.services.hostWindowSize = [c](unsigned long) { return c.size; };
        auto saver = makeWindow(rig, c.parentWnd);
        ASSERT_TRUE(saver->core().messageMode()) << c.name;
        const QString text = QString::fromStdString(saver->core().messageText());
        QFont larger = toQFont(saver->core().canvasFont());
        larger.setPixelSize(larger.pixelSize() + 1);
        const int textWidth =
            QFontMetrics(toQFont(saver->core().canvasFont())).horizontalAdvance(text);
        // Pixel sizes are whole numbers: the text is as wide as the window
        // allows, and one pixel more would carry it past the edges.
        EXPECT_LE(textWidth, saver->width() + 2) << c.name;
        EXPECT_GE(QFontMetrics(larger).horizontalAdvance(text), saver->width() - 2) << c.name;
    }
}

// The worker's wake crosses to the window's thread through its event queue,
// and the picture it prepared reaches the label.
TEST(SaverWindow, AFirstPicturePreparedOnTheWorkerIsShownFromTheEventLoop) {
    SaverRig rig;
    rig.pictureSettings();
    rig.tree.file("pics/a.jpg", 20000);
    rig.services.makePreparer = [](PreparationWork work,
                                   PreparationDone done) -> std::unique_ptr<PicturePreparer> {
        return std::make_unique<ThreadedPreparer>(std::move(work), std::move(done));
    };
    auto saver = makeWindow(rig);
    EXPECT_TRUE(saver->image1()->pixmap().isNull() && saver->image1()->size().isEmpty())
        << "nothing but black while it is prepared";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (saver->core().waitingForPicture() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(saver->core().waitingForPicture());
    EXPECT_FALSE(saver->image1()->isHidden());
    EXPECT_EQ(saver->image1()->pixmap().size(), QSize(640, 480));
    EXPECT_TRUE(rig.timer.enabled());
}

// Whatever layout a picture comes in, the window shows the same colours;
// a 32-bit one is taken over without a copy.
TEST(SaverWindow, ShownImageKeepsEveryPixelOfEachLayout) {
    Bitmap wide;
    Bitmap narrow;
    Bitmap indexed;
    ASSERT_TRUE(wide.allocate(5, 3, 32));
    ASSERT_TRUE(narrow.allocate(5, 3, 24));
    ASSERT_TRUE(indexed.allocate(5, 3, 8));
    indexed.palette().resize(15);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const auto v = static_cast<std::uint8_t>(y * 5 + x);
            const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(v * 3),
                                         static_cast<std::uint8_t>(v * 7),
                                         static_cast<std::uint8_t>(255 - v)};
            std::copy(bgr, bgr + 3, wide.row(y) + x * 4);
            wide.row(y)[x * 4 + 3] = 0xff;
            std::copy(bgr, bgr + 3, narrow.row(y) + x * 3);
            indexed.row(y)[x] = v;
            indexed.palette()[v] = PaletteEntry{bgr[2], bgr[1], bgr[0]};
        }
    const std::uint8_t* widePixels = wide.data();
    struct Case {
        const char* name;
        Bitmap bitmap;
    };
    Case cases[] = {{"32-bit", wide}, {"24-bit", narrow}, {"8-bit", indexed}};
    const QImage taken = shownImageOf(std::move(wide));
    EXPECT_EQ(taken.constBits(), widePixels) << "taken over, not copied";
    // Widened ahead (as the preparer does), a 24-bit picture is 32-bit and
    // top-down, the layout taken over without a copy.
    Bitmap widened = cases[1].bitmap;
    widenForDisplay(widened);
    ASSERT_EQ(widened.bitsPerPixel(), 32);
    EXPECT_EQ(widened.rowOrder(), RowOrder::TopDown);
    Case widenedCase{"24-bit widened ahead", std::move(widened)};
    for (Case* c : {&cases[0], &cases[1], &cases[2], &widenedCase}) {
        const QImage image = shownImageOf(std::move(c->bitmap));
        ASSERT_EQ(image.size(), QSize(5, 3)) << c->name;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                const int v = y * 5 + x;
                EXPECT_EQ(image.pixel(x, y), qRgb(255 - v, v * 7, v * 3))
                    << c->name << " at " << x << "," << y;
            }
    }
}

} // namespace
} // namespace slidora::test
