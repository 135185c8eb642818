// Guest mode: the full show inside a host's window, sized by that window
// before every picture, with the host keeping all input.
#include "tests/saver/SaverFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace slidora::test {
namespace {

constexpr unsigned long kHost = 0x400ee5;

struct GuestRig : SaverRig {
    Size host{400, 300};
    GuestRig() {
        services.guestWindow = kHost;
        services.hostWindowSize = [this](unsigned long xid) {
            return xid == kHost ? host : Size{};
        };
        pictureSettings("[Text]\nFileName=2\n");
        addPictures(*this);
    }
    static void addPictures(SaverRig& rig) {
        for (const char* name : {"a", "b", "c", "d", "e"})
            rig.tree.file(std::string("pics/") + name + ".jpg", 20000);
    }
    // Ticks until the next picture is shown.
    void nextPicture() {
        const int before = view.bitmaps;
        for (int i = 0; i < 8 && view.bitmaps == before; ++i)
            ASSERT_TRUE(timer.tick());
        ASSERT_GT(view.bitmaps, before);
    }
};

TEST(SaverGuest, RunsTheShowAtTheHostSizeWithThePointerLeftAlone) {
    GuestRig rig;
    auto saver = rig.make();
    EXPECT_FALSE(saver->messageMode());
    EXPECT_EQ(rig.view.window, (Rect{0, 0, 400, 300}));
    EXPECT_FALSE(rig.view.cursorHidden);
    EXPECT_FALSE(saver->cursorHidden());
    // 640 x 480 placed as reduced to the host's width (without a resampler
    // the bitmap keeps its own size, so only the corner tells).
    EXPECT_EQ(saver->windowSize(), (Size{400, 300}));
    EXPECT_EQ(rig.view.shown.left, 0);
    EXPECT_EQ(rig.view.shown.top, 0);
    // The overlay's margins are the host's, not the screen's 1024 x 768.
    const Rect box = rig.view.overlay.box;
    EXPECT_LE(box.left + box.width, 400);
    EXPECT_LE(box.top + box.height, 300);
}

TEST(SaverGuest, AResizeIsFollowedAtTheNextPicture) {
    GuestRig rig;
    auto saver = rig.make();
    rig.host = {800, 300};
    ASSERT_TRUE(rig.timer.tick()); // a clock phase without a picture
    EXPECT_EQ(rig.view.window, (Rect{0, 0, 400, 300})) << "followed before the picture";
    rig.nextPicture();
    EXPECT_EQ(rig.view.window, (Rect{0, 0, 800, 300}));
    EXPECT_EQ(saver->windowSize(), (Size{800, 300}));
    // Limited by the new height: 400 x 300, centred in the wider window.
    EXPECT_EQ(rig.view.shown.left, 200);
    EXPECT_EQ(rig.view.shown.top, 0);
    // A host that cannot be read any more keeps the last size.
    rig.host = {};
    rig.nextPicture();
    EXPECT_EQ(saver->windowSize(), (Size{800, 300}));
}

struct InputCase {
    const char* name;
    std::function<void(SaverCore&, SaverRig&)> act;
};

void PrintTo(const InputCase& c, std::ostream* os) {
    *os << c.name;
}

class SaverGuestInput : public ::testing::TestWithParam<InputCase> {};

TEST_P(SaverGuestInput, IsIgnored) {
    {
        // The same input ends the full-screen show.
        SaverRig full;
        full.pictureSettings();
        GuestRig::addPictures(full);
        auto saver = full.make();
        for (int i = 0; i < 12 && !saver->closed(); ++i) {
            GetParam().act(*saver, full);
            full.timer.tick();
        }
        ASSERT_TRUE(saver->closed());
    }
    GuestRig rig;
    auto saver = rig.make();
    for (int i = 0; i < 12; ++i) {
        GetParam().act(*saver, rig);
        ASSERT_TRUE(rig.timer.tick()) << "tick " << i;
    }
    EXPECT_FALSE(saver->closed());
    EXPECT_EQ(rig.quits, 0);
    EXPECT_EQ(rig.view.bitmaps, 4);
    saver->onEndRequest();
    EXPECT_TRUE(saver->closed());
    EXPECT_EQ(rig.quits, 1);
}

int g_step = 0;
const InputCase kInputs[] = {
    {"Key", [](SaverCore& s, SaverRig&) { s.onKey(); }},
    {"Button", [](SaverCore& s, SaverRig&) { s.onMouseDown(); }},
    {"PointerMoveOverTheWindow",
     [](SaverCore& s, SaverRig&) {
         s.onMouseMove({++g_step, 7});
     }},
    {"PointerMovedElsewhere",
     [](SaverCore&, SaverRig& r) {
         r.pointer = {++g_step, 9};
     }},
};

INSTANTIATE_TEST_SUITE_P(Guest, SaverGuestInput, ::testing::ValuesIn(kInputs),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(SaverGuest, EndRequestReleasesTheAudio) {
    GuestRig rig;
    rig.pictureSettings("[Audio]\nAudioFolder=/m\n");
    auto saver = rig.make();
    ASSERT_TRUE(rig.audio.on);
    saver->onEndRequest();
    EXPECT_TRUE(saver->closed());
    EXPECT_EQ(rig.audio.closes, 1);
    EXPECT_EQ(rig.view.closes, 1);
}

} // namespace
} // namespace slidora::test
