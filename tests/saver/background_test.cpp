#include "saver/Background.h"

#include "platform/Bitmap.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace slidora {
namespace {

using test::testName;

using test::ScriptedRandom;

struct Rgb {
    int red, green, blue;
};

std::uint32_t colourOf(Rgb c) {
    return static_cast<std::uint32_t>(c.red | c.green << 8 | c.blue << 16);
}

// A colour whose channels add up to `brightness`, with distinct channels so
// that a swapped byte order shows.
Rgb withBrightness(int brightness) {
    const int red = brightness / 3;
    const int green = (brightness - red) / 2;
    return {red, green, brightness - red - green};
}

Bitmap makeBitmap(int width, int height, int bitsPerPixel) {
    Bitmap bmp;
    EXPECT_TRUE(bmp.allocate(width, height, bitsPerPixel));
    return bmp;
}

void setPixel(Bitmap& bmp, int x, int y, Rgb c) {
    std::uint8_t* p = bmp.row(y) + static_cast<std::size_t>(x) * (bmp.bitsPerPixel() / 8);
    p[0] = static_cast<std::uint8_t>(c.blue);
    p[1] = static_cast<std::uint8_t>(c.green);
    p[2] = static_cast<std::uint8_t>(c.red);
}

void fill(Bitmap& bmp, Rgb c) {
    for (int y = 0; y < bmp.height(); ++y)
        for (int x = 0; x < bmp.width(); ++x)
            setPixel(bmp, x, y, c);
}

struct SequenceCase {
    const char* trap;
    int density;
    std::vector<int> brightness;
    int expectedIndex;
};

class BGSampleSequence : public ::testing::TestWithParam<SequenceCase> {};

// Sample i is the pixel at column 0 of row i, taken in order.
TEST_P(BGSampleSequence, EndsWithExpectedSample) {
    const SequenceCase& c = GetParam();
    const int n = static_cast<int>(c.brightness.size());
    Bitmap bmp = makeBitmap(3, n, 24);
    for (int i = 0; i < n; ++i)
        setPixel(bmp, 0, i, withBrightness(c.brightness[static_cast<std::size_t>(i)]));
    BackgroundChoice choice;
    for (int i = 0; i < n; ++i)
        BGSample(bmp, i, 0, c.density, choice);
    const int want = c.brightness[static_cast<std::size_t>(c.expectedIndex)];
    EXPECT_EQ(choice.brightness, want) << c.trap;
    EXPECT_EQ(choice.colour, colourOf(withBrightness(want))) << c.trap;
}

INSTANTIATE_TEST_SUITE_P(
    Rule24Bit, BGSampleSequence,
    ::testing::Values(
        SequenceCase{"darkest above the density wins", 150, {100, 300, 200}, 2},
        SequenceCase{"a sample equal to the density stays", 150, {100, 150, 200}, 1},
        SequenceCase{
            "a sample equal to the density does not replace a brighter one", 150, {300, 150}, 0},
        SequenceCase{"first sample is taken unconditionally", 150, {700}, 0},
        SequenceCase{"brightest when none is above the density", 150, {50, 120, 100}, 1},
        SequenceCase{"darker above the density replaces brighter", 150, {300, 200, 250}, 1},
        SequenceCase{"below the density never replaces one above", 150, {300, 20, 149}, 0},
        SequenceCase{"density 0: black stays", 0, {0, 5, 700}, 0},
        SequenceCase{"density 200 with white first", 200, {765, 201, 199, 202}, 1}),
    [](const ::testing::TestParamInfo<SequenceCase>& p) { return testName(p.param.trap); });

TEST(BGSample, ColourIsRedGreenBlueFromBgrBytes) {
    Bitmap bmp = makeBitmap(4, 1, 24);
    setPixel(bmp, 1, 0, {0x10, 0x20, 0x30});
    BackgroundChoice choice;
    BGSample(bmp, 0, 1, 150, choice);
    EXPECT_EQ(choice.colour, 0x302010u);
    EXPECT_EQ(choice.brightness, 0x10 + 0x20 + 0x30);
}

TEST(BGSample, ThirtyTwoBitPixelsIgnoreTheUnusedByte) {
    Bitmap bmp = makeBitmap(4, 1, 32);
    std::uint8_t* p = bmp.row(0) + 4;
    p[0] = 10;  // blue
    p[1] = 20;  // green
    p[2] = 30;  // red
    p[3] = 255; // unused
    BackgroundChoice choice;
    BGSample(bmp, 0, 1, 150, choice);
    EXPECT_EQ(choice.colour, 0x0A141Eu);
    EXPECT_EQ(choice.brightness, 60);
}

TEST(BGSample, ColumnIsLimitedToSecondFromTheRight) {
    Bitmap bmp = makeBitmap(4, 1, 24);
    setPixel(bmp, 2, 0, {1, 2, 3});
    setPixel(bmp, 3, 0, {200, 200, 200});
    for (int x : {2, 3, 100}) {
        BackgroundChoice choice;
        BGSample(bmp, 0, x, 150, choice);
        EXPECT_EQ(choice.colour, 0x030201u) << "x = " << x;
    }
    setPixel(bmp, 0, 0, {7, 8, 9});
    BackgroundChoice choice;
    BGSample(bmp, 0, -4, 150, choice);
    EXPECT_EQ(choice.colour, 0x090807u);
}

TEST(BGSample, WidthOneSamplesColumnZero) {
    Bitmap bmp = makeBitmap(1, 3, 24);
    setPixel(bmp, 0, 1, {40, 50, 60});
    for (int x : {-1, 0, 1, 5}) {
        BackgroundChoice choice;
        BGSample(bmp, 1, x, 150, choice);
        EXPECT_EQ(choice.colour, 0x3C3228u) << "x = " << x;
    }
}

TEST(BGSample, RowOutsideTheBitmapChangesNothing) {
    Bitmap bmp = makeBitmap(4, 2, 24);
    fill(bmp, {200, 200, 200});
    BackgroundChoice choice;
    BGSample(bmp, -1, 0, 150, choice);
    BGSample(bmp, 2, 0, 150, choice);
    EXPECT_EQ(choice.brightness, -1);
    EXPECT_EQ(choice.colour, 0u);
}

TEST(BGSample, PaletteIndexRule) {
    Bitmap bmp = makeBitmap(8, 1, 8);
    bmp.palette().assign(256, PaletteEntry{255, 255, 255});
    const std::vector<std::pair<int, int>> samples = {{0, 200}, {1, 50}, {2, 30}, {3, 40}};
    for (const auto& [x, index] : samples)
        bmp.row(0)[x] = static_cast<std::uint8_t>(index);
    BackgroundChoice choice;
    const std::vector<int> expected = {200, 50, 30, 30};
    for (std::size_t i = 0; i < samples.size(); ++i) {
        BGSample(bmp, 0, samples[i].first, 150, choice);
        // The index itself is the colour: a level of red, whatever the palette.
        EXPECT_EQ(choice.brightness, expected[i]) << "after sample " << i;
        EXPECT_EQ(choice.colour, static_cast<std::uint32_t>(expected[i])) << "after sample " << i;
    }
}

// The set of pixels a scan reads, found with the palette rule (the smallest
// index wins): each expected pixel alone at 0 must be found, and with every
// expected pixel at 255 and all others 0 the result must stay 255.
template <class Scan>
void expectScanReadsExactly(int width, int height, int scanCount, const std::vector<double>& script,
                            const std::vector<std::pair<int, int>>& pixels, Scan scan) {
    for (const auto& [x, y] : pixels) {
        Bitmap bmp = makeBitmap(width, height, 8);
        std::fill(bmp.data(), bmp.data() + bmp.byteCount(), std::uint8_t{255});
        bmp.row(y)[x] = 0;
        ScriptedRandom rnd(script);
        BackgroundChoice choice;
        scan(bmp, scanCount, 150, rnd, choice);
        EXPECT_EQ(choice.brightness, 0) << "pixel (" << x << ", " << y << ") was not sampled";
    }
    Bitmap bmp = makeBitmap(width, height, 8);
    for (const auto& [x, y] : pixels)
        bmp.row(y)[x] = 255;
    ScriptedRandom rnd(script);
    BackgroundChoice choice;
    scan(bmp, scanCount, 150, rnd, choice);
    EXPECT_EQ(choice.brightness, 255) << "a pixel outside the expected set was sampled";
}

TEST(BGScanSides, SamplesSecondColumnFromRightThenLeftOfRandomRows) {
    // scan count 2: three passes, rows trunc(r x 10) = 0, 5, 9.
    expectScanReadsExactly(6, 10, 2, {0.0, 0.5, 0.99},
                           {{4, 0}, {0, 0}, {4, 5}, {0, 5}, {4, 9}, {0, 9}}, BGScanSides);
    ScriptedRandom rnd({0.5});
    Bitmap bmp = makeBitmap(6, 10, 24);
    BackgroundChoice choice;
    BGScanSides(bmp, 20, 150, rnd, choice);
    EXPECT_EQ(rnd.draws(), 21u);
}

TEST(BGScanTopBottom, SamplesRandomColumnsOfTopThenBottomRow) {
    // scan count 5: 5 div 2 + 1 = 3 columns in each row; 0.99 x 6 = 5 is
    // limited to column 4.
    expectScanReadsExactly(6, 10, 5, {0.0, 0.5, 0.99, 0.2, 0.4, 0.6},
                           {{0, 0}, {3, 0}, {4, 0}, {1, 9}, {2, 9}, {3, 9}}, BGScanTopBottom);
    ScriptedRandom rnd({0.5});
    Bitmap bmp = makeBitmap(6, 10, 24);
    BackgroundChoice choice;
    BGScanTopBottom(bmp, 20, 150, rnd, choice);
    EXPECT_EQ(rnd.draws(), 22u);
}

TEST(BGScanSides, WidthOneBitmapReadsColumnZeroOnly) {
    Bitmap bmp = makeBitmap(1, 4, 24);
    for (int y = 0; y < 4; ++y)
        setPixel(bmp, 0, y, withBrightness(200 + y));
    ScriptedRandom rnd({0.0, 0.3, 0.6, 0.9});
    BackgroundChoice choice;
    BGScanSides(bmp, 3, 150, rnd, choice);
    EXPECT_EQ(choice.brightness, 200);
    EXPECT_EQ(choice.colour, colourOf(withBrightness(200)));
}

TEST(ChooseBackground, MidGreyGivesThatGreyAfterOneScan) {
    Bitmap bmp = makeBitmap(200, 100, 24);
    fill(bmp, {128, 128, 128});
    ScriptedRandom rnd({0.1, 0.7, 0.3, 0.9});
    EXPECT_EQ(chooseBackground(bmp, 770, 20, 150, rnd), 0x808080u);
    EXPECT_EQ(rnd.draws(), 22u) << "only the top and bottom scan should run";
}

TEST(ChooseBackground, AllBlackRunsBothScans) {
    for (int height : {100, 770}) {
        Bitmap bmp = makeBitmap(200, height, 24);
        ScriptedRandom rnd({0.1, 0.7, 0.3, 0.9});
        EXPECT_EQ(chooseBackground(bmp, 770, 20, 150, rnd), 0u);
        EXPECT_EQ(rnd.draws(), 21u + 22u) << "height " << height;
    }
}

struct OrderCase {
    int bitmapHeight;
    int windowHeight;
    bool sidesFirst;
};

class ChooseBackgroundOrder : public ::testing::TestWithParam<OrderCase> {};

// Sides (columns 0 and width - 2) are one colour, top and bottom rows
// another; with r = 0.5 the side scan reads the middle row and the top and
// bottom scan the middle column, so the colour tells which scan came first.
TEST_P(ChooseBackgroundOrder, PicksTheEdgesFacingTheBorder) {
    const OrderCase& c = GetParam();
    const Rgb side{10, 100, 200};
    const Rgb topBottom{200, 100, 10};
    Bitmap bmp = makeBitmap(20, c.bitmapHeight, 24);
    fill(bmp, topBottom);
    for (int y = 1; y < c.bitmapHeight - 1; ++y) {
        setPixel(bmp, 0, y, side);
        setPixel(bmp, 18, y, side);
    }
    ScriptedRandom rnd({0.5});
    const std::uint32_t got = chooseBackground(bmp, c.windowHeight, 20, 150, rnd);
    EXPECT_EQ(got, colourOf(c.sidesFirst ? side : topBottom))
        << "bitmap height " << c.bitmapHeight << " window height " << c.windowHeight;
}

INSTANTIATE_TEST_SUITE_P(Boundary, ChooseBackgroundOrder,
                         ::testing::Values(OrderCase{766, 770, true}, OrderCase{765, 770, false},
                                           OrderCase{770, 770, true}, OrderCase{100, 770, false},
                                           OrderCase{800, 770, true}),
                         [](const ::testing::TestParamInfo<OrderCase>& p) {
                             return testName("bitmap", std::to_string(p.param.bitmapHeight),
                                             "window", std::to_string(p.param.windowHeight));
                         });

TEST(ChooseBackground, DarkFirstScanFallsBackToTheOtherEdges) {
    // Tall picture: sides first, and they are black; the top and bottom rows
    // are bright and win on the second scan.
    Bitmap bmp = makeBitmap(20, 770, 24);
    fill(bmp, {0, 0, 0});
    for (int x = 0; x < 20; ++x) {
        setPixel(bmp, x, 0, {90, 100, 110});
        setPixel(bmp, x, 769, {90, 100, 110});
    }
    ScriptedRandom rnd({0.5});
    EXPECT_EQ(chooseBackground(bmp, 770, 20, 150, rnd), 0x6E645Au);
}

TEST(ChooseBackground, EmptyBitmapIsBlackWithoutDrawing) {
    Bitmap bmp;
    ScriptedRandom rnd({0.5});
    EXPECT_EQ(chooseBackground(bmp, 770, 20, 150, rnd), 0u);
    EXPECT_EQ(rnd.draws(), 0u);
}

} // namespace
} // namespace slidora
