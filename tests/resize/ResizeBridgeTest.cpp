// ResizePic with the real module, without it, and with modules that fail.
#include "saver/resize/Resize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace slidora {
namespace {

const std::string kMissingModule = "/nonexistent-slidora-folder/libresize32.so";

class FakeHost : public ResizeHost {
  public:
    explicit FakeHost(std::string path) : m_path(std::move(path)) {}
    std::string modulePath() const override { return m_path; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void setPath(std::string path) { m_path = std::move(path); }

    std::vector<std::string> messages;

  private:
    std::string m_path;
};

// A 24-bit picture whose every pixel is different enough to spot a copy
// that was altered, flipped or shifted.
Bitmap makePicture(int width, int height, int bitsPerPixel = 24) {
    Bitmap b;
    EXPECT_TRUE(b.allocate(width, height, bitsPerPixel));
    const int bytes = bitsPerPixel / 8;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < bytes; ++c)
                b.row(y)[x * bytes + c] = static_cast<std::uint8_t>(x * 7 + y * 13 + c * 50);
        }
    }
    if (bitsPerPixel == 8) {
        for (int i = 0; i < 256; ++i)
            b.palette().push_back(
                PaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 9});
    }
    return b;
}

bool samePixels(const Bitmap& a, const Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.bitsPerPixel() != b.bitsPerPixel())
        return false;
    const std::size_t rowBytes =
        static_cast<std::size_t>(a.width()) * static_cast<std::size_t>(a.bitsPerPixel() / 8);
    for (int y = 0; y < a.height(); ++y) {
        if (!std::equal(a.row(y), a.row(y) + rowBytes, b.row(y))) return false;
    }
    return true;
}

struct PresentCase {
    int width, height, bitsPerPixel, wantWidth, wantHeight;
};

TEST(ResizePic, WithTheModuleGivesTheWantedSize) {
    for (const PresentCase c : {PresentCase{200, 100, 24, 100, 50}, PresentCase{64, 48, 24, 96, 72},
                                PresentCase{30, 20, 8, 45, 30}, PresentCase{30, 20, 32, 10, 7},
                                PresentCase{17, 9, 24, 17, 9}}) {
        FakeHost host(SLIDORA_RESIZE32_PATH);
        Bitmap picture = makePicture(c.width, c.height, c.bitsPerPixel);
        int mode = 1;
        EXPECT_TRUE(ResizePic(c.wantWidth, c.wantHeight, picture, mode, host));
        EXPECT_EQ(picture.width(), c.wantWidth);
        EXPECT_EQ(picture.height(), c.wantHeight);
        EXPECT_EQ(picture.bitsPerPixel(), 24);
        EXPECT_EQ(mode, 1);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_FALSE(host.NoResizeMsg);
    }
}

TEST(ResizePic, PaletteColoursSurviveTheModule) {
    FakeHost host(SLIDORA_RESIZE32_PATH);
    Bitmap picture;
    ASSERT_TRUE(picture.allocate(12, 12, 8));
    picture.palette() = {PaletteEntry{0, 0, 0}, PaletteEntry{250, 100, 5}};
    for (int y = 0; y < 12; ++y)
        std::fill(picture.row(y), picture.row(y) + 12, std::uint8_t{1});
    int mode = 1;
    ASSERT_TRUE(ResizePic(6, 6, picture, mode, host));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const std::uint8_t* px = picture.row(y) + 3 * x;
            EXPECT_NEAR(px[0], 5, 1);
            EXPECT_NEAR(px[1], 100, 1);
            EXPECT_NEAR(px[2], 250, 1);
        }
    }
}

TEST(ResizePic, MissingModuleIsAnnouncedOnceAndPicturesStayUnscaled) {
    FakeHost host(kMissingModule);
    for (int bits : {24, 8, 32, 24}) {
        const Bitmap original = makePicture(40, 30, bits);
        Bitmap picture = original;
        int mode = 1;
        EXPECT_FALSE(ResizePic(80, 60, picture, mode, host));
        EXPECT_TRUE(samePixels(picture, original)) << bits << " bits";
        EXPECT_EQ(picture.palette().size(), original.palette().size());
        EXPECT_EQ(mode, -1);
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Not Found RESIZE32.DLL");
    EXPECT_TRUE(host.NoResizeMsg);
}

TEST(ResizePic, MissingModuleIsAnnouncedAgainAfterASuccess) {
    FakeHost host(kMissingModule);
    const std::vector<std::pair<std::string, std::size_t>> steps = {{kMissingModule, 1},
                                                                    {kMissingModule, 1},
                                                                    {SLIDORA_RESIZE32_PATH, 1},
                                                                    {kMissingModule, 2},
                                                                    {kMissingModule, 2}};
    for (const auto& [path, messagesAfter] : steps) {
        host.setPath(path);
        Bitmap picture = makePicture(20, 10);
        int mode = 1;
        ResizePic(10, 5, picture, mode, host);
        EXPECT_EQ(host.messages.size(), messagesAfter) << "after " << path;
    }
}

struct FailingCase {
    const char* name;
    const char* path;
    bool setsNoResizeMsg;
};

class ResizePicFailing : public ::testing::TestWithParam<FailingCase> {};

TEST_P(ResizePicFailing, ShowsNoMessageAndKeepsThePicture) {
    const FailingCase& c = GetParam();
    for (bool flagBefore : {false, true}) {
        FakeHost host(c.path);
        host.NoResizeMsg = flagBefore;
        const Bitmap original = makePicture(25, 15);
        Bitmap picture = original;
        int mode = 1;
        EXPECT_FALSE(ResizePic(50, 30, picture, mode, host));
        EXPECT_TRUE(samePixels(picture, original));
        EXPECT_EQ(mode, -1);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(host.NoResizeMsg, c.setsNoResizeMsg || flagBefore)
            << "flag before " << flagBefore;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modules, ResizePicFailing,
    ::testing::Values(FailingCase{"returns_zero", SLIDORA_RESIZE32_ZERO_PATH, true},
                      FailingCase{"no_entry", SLIDORA_RESIZE32_NOENTRY_PATH, false},
                      FailingCase{"wrong_size", SLIDORA_RESIZE32_WRONG_SIZE_PATH, true},
                      FailingCase{"null_blocks", SLIDORA_RESIZE32_NULL_BLOCKS_PATH, true}),
    [](const auto& test) { return std::string(test.param.name); });

// A failed call leaves the flag set, so the module vanishing afterwards is
// not announced.
TEST(ResizePic, FailedCallSilencesALaterMissingModule) {
    FakeHost host(SLIDORA_RESIZE32_ZERO_PATH);
    Bitmap picture = makePicture(8, 8);
    int mode = 1;
    EXPECT_FALSE(ResizePic(4, 4, picture, mode, host));
    host.setPath(kMissingModule);
    mode = 1;
    EXPECT_FALSE(ResizePic(4, 4, picture, mode, host));
    EXPECT_TRUE(host.messages.empty());
}

TEST(ResizePic, BadWantedSizeLeavesThePictureAlone) {
    for (const auto& [w, h] :
         std::vector<std::pair<int, int>>{{0, 10}, {10, -1}, {100000, 100000}}) {
        FakeHost host(SLIDORA_RESIZE32_PATH);
        const Bitmap original = makePicture(10, 10);
        Bitmap picture = original;
        int mode = 1;
        EXPECT_FALSE(ResizePic(w, h, picture, mode, host));
        EXPECT_TRUE(samePixels(picture, original));
        EXPECT_EQ(mode, -1);
        EXPECT_TRUE(host.messages.empty());
    }
}

TEST(ResizePic, EmptyPictureIsNotSent) {
    FakeHost host(kMissingModule);
    Bitmap picture;
    int mode = 1;
    EXPECT_FALSE(ResizePic(10, 10, picture, mode, host));
    EXPECT_TRUE(picture.empty());
    EXPECT_EQ(mode, -1);
    EXPECT_TRUE(host.messages.empty());
}

// The same pixels stored bottom-up, as decoders store a picture that will
// be resampled.
Bitmap bottomUpCopy(const Bitmap& topDown) {
    Bitmap b;
    EXPECT_TRUE(b.allocateUnfilled(topDown.width(), topDown.height(), topDown.bitsPerPixel(),
                                   RowOrder::BottomUp));
    for (int y = 0; y < topDown.height(); ++y)
        std::copy(topDown.row(y), topDown.row(y) + topDown.stride(), b.row(y));
    b.palette() = topDown.palette();
    return b;
}

TEST(ResizePic, BottomUpPicturesComeOutAsTheirTopDownTwins) {
    for (const bool moduleThere : {true, false}) {
        for (const int bits : {8, 24, 32}) {
            FakeHost host(moduleThere ? SLIDORA_RESIZE32_PATH : kMissingModule);
            Bitmap topDown = makePicture(37, 23, bits);
            Bitmap bottomUp = bottomUpCopy(topDown);
            int modeTopDown = 1, modeBottomUp = 1;
            ResizePic(29, 17, topDown, modeTopDown, host);
            ResizePic(29, 17, bottomUp, modeBottomUp, host);
            EXPECT_EQ(modeTopDown, modeBottomUp);
            EXPECT_EQ(bottomUp.rowOrder(), RowOrder::TopDown) << "what the window is given";
            EXPECT_TRUE(samePixels(topDown, bottomUp))
                << bits << " bits, module " << (moduleThere ? "present" : "missing");
        }
    }
}

TEST(ResizePic, TheResultKeepsTheTopAtTheTop) {
    FakeHost host(SLIDORA_RESIZE32_PATH);
    Bitmap picture;
    ASSERT_TRUE(picture.allocate(40, 40, 24));
    for (int y = 0; y < 20; ++y)
        std::fill(picture.row(y), picture.row(y) + 120, std::uint8_t{250});
    int mode = 1;
    ASSERT_TRUE(ResizePic(21, 13, picture, mode, host));
    ASSERT_EQ(picture.rowOrder(), RowOrder::TopDown);
    EXPECT_GT(picture.row(0)[10], 200) << "top row of the result";
    EXPECT_LT(picture.row(12)[10], 50) << "bottom row of the result";
}

TEST(Bitmap, UnfilledRowsHaveZeroPaddingAndLargeBlocksAreReused) {
    Bitmap small;
    ASSERT_TRUE(small.allocateUnfilled(5, 3, 24, RowOrder::BottomUp));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::vector<std::uint8_t>(small.row(y) + 15, small.row(y) + 16),
                  std::vector<std::uint8_t>{0});
    small.palette().resize(3);
    const Bitmap copy(small);
    EXPECT_EQ(copy.rowOrder(), RowOrder::BottomUp);
    EXPECT_EQ(copy.palette().size(), 3u);
    EXPECT_TRUE(samePixels(copy, small));

    // A 24 MP picture's block, given back and asked for again.
    Bitmap large;
    ASSERT_TRUE(large.allocateUnfilled(6000, 4000, 24, RowOrder::BottomUp));
    const SlidoraHGlobal first = large.block();
    large.clear();
    ASSERT_TRUE(large.allocateUnfilled(6000, 4000, 24, RowOrder::TopDown));
    EXPECT_EQ(large.block(), first);
    EXPECT_EQ(slidoraGlobalSize(large.block()), large.byteCount());
}

TEST(ResizeModulePath, JoinsTheProgramFolder) {
    struct Case {
        const char* dir;
        const char* path;
    };
    for (const Case c : {Case{"/opt/slidora", "/opt/slidora/libresize32.so"},
                         Case{"/opt/slidora/", "/opt/slidora/libresize32.so"},
                         Case{"/", "/libresize32.so"}, Case{"", "libresize32.so"}}) {
        EXPECT_EQ(resizeModulePath(c.dir), c.path) << c.dir;
    }
}

} // namespace
} // namespace slidora
