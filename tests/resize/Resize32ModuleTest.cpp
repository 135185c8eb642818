// The resampler module through its one entry, opened from the build tree.
#include "tests/resize/ResizeTestSupport.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace slidora::test {
namespace {

const Module& resize32() {
    static const Module module(SLIDORA_RESIZE32_PATH);
    return module;
}

Bgr grey(int v) {
    const auto b = static_cast<std::uint8_t>(v);
    return Bgr{b, b, b};
}

int maxDistance(const Picture& p, Bgr want) {
    int worst = 0;
    for (const Bgr& c : p.pixels) {
        worst = std::max({worst, std::abs(c.blue - want.blue), std::abs(c.green - want.green),
                          std::abs(c.red - want.red)});
    }
    return worst;
}

Picture resizeOrFail(DibBlocks& source, int width, int height) {
    DibBlocks result;
    Picture picture;
    const int ok = resize32().resize(source, width, height, result);
    EXPECT_NE(ok, 0) << "to " << width << "x" << height;
    if (ok == 0) return picture;
    const std::string problem = readResult(result.header, result.bits, picture);
    EXPECT_EQ(problem, "");
    return picture;
}

TEST(Resize32Module, ExportsTheEntry) {
    ASSERT_NE(resize32().entry(), nullptr);
}

// The row-by-row entries, fed a picture top row first, give ResizeImg's
// result for the same picture in the same kind of blocks.
TEST(Resize32Module, RowByRowGivesTheWholePicturesResult) {
    const auto begin =
        reinterpret_cast<ResizeRowsBeginFunction>(resize32().symbol("ResizeRowsBegin"));
    const auto row = reinterpret_cast<ResizeRowsRowFunction>(resize32().symbol("ResizeRowsRow"));
    const auto written =
        reinterpret_cast<ResizeRowsWrittenFunction>(resize32().symbol("ResizeRowsWritten"));
    const auto end = reinterpret_cast<ResizeRowsEndFunction>(resize32().symbol("ResizeRowsEnd"));
    const auto abandon =
        reinterpret_cast<ResizeRowsAbandonFunction>(resize32().symbol("ResizeRowsAbandon"));
    ASSERT_TRUE(begin && row && written && end && abandon);
    const int width = 333;
    const int height = 251;
    const ColourAt colour = [](int x, int y) {
        return Bgr{static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(y * 3),
                   static_cast<std::uint8_t>((x ^ y) * 5)};
    };
    DibBlocks source = makeTrueColourDib(width, height, 24, colour);
    const Picture want = resizeOrFail(source, 120, 91);

    SlidoraResizeRows* rows = begin(width, height, 120, 91, 4, 1);
    ASSERT_NE(rows, nullptr);
    for (int y = 0; y < height; ++y) {
        unsigned char* place = row(rows, y);
        ASSERT_NE(place, nullptr) << "row " << y;
        for (int x = 0; x < width; ++x) {
            const Bgr c = colour(x, y);
            place[3 * x] = c.blue;
            place[3 * x + 1] = c.green;
            place[3 * x + 2] = c.red;
        }
        ASSERT_NE(written(rows, y + 1), 0);
    }
    DibBlocks result;
    ASSERT_NE(end(rows, &result.header, &result.bits), 0);
    Picture got;
    ASSERT_EQ(readResult(result.header, result.bits, got), "");
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    for (std::size_t i = 0; i < want.pixels.size(); ++i)
        ASSERT_TRUE(std::memcmp(&got.pixels[i], &want.pixels[i], sizeof(Bgr)) == 0)
            << "pixel " << i;

    // Sizes it cannot take are refused at the start; a picture given up
    // part way, or one whose rows came out of turn, ends without a result.
    EXPECT_EQ(begin(0, 10, 5, 5, 4, 1), nullptr);
    EXPECT_EQ(begin(10, 10, 5, 5, 0, 1), nullptr);
    abandon(begin(10, 10, 5, 5, 4, 1));
    abandon(nullptr);
    SlidoraResizeRows* skipped = begin(10, 10, 5, 5, 4, 1);
    ASSERT_NE(skipped, nullptr);
    EXPECT_EQ(row(skipped, 6), nullptr) << "a row past those it may run ahead";
    EXPECT_EQ(row(skipped, 0), nullptr) << "failed once, failed for good";
    DibBlocks none;
    EXPECT_EQ(end(skipped, &none.header, &none.bits), 0);
    EXPECT_EQ(none.header, nullptr);
    EXPECT_EQ(none.bits, nullptr);
}

struct SizeCase {
    const char* name;
    int srcWidth, srcHeight, bitCount, width, height;
};

class Resize32Sizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(Resize32Sizes, ResultHasExactlyTheWantedSize) {
    ASSERT_NE(resize32().entry(), nullptr);
    const SizeCase& c = GetParam();
    DibBlocks source;
    if (c.bitCount <= 8) {
        const std::vector<RgbQuad> table{{10, 20, 30, 0}, {200, 150, 100, 0}};
        source = makePaletteDib(c.srcWidth, c.srcHeight, c.bitCount, table,
                                [](int x, int y) { return static_cast<unsigned>((x + y) & 1); });
    } else {
        source = makeTrueColourDib(c.srcWidth, c.srcHeight, c.bitCount, [](int x, int y) {
            return Bgr{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 99};
        });
    }
    const Picture p = resizeOrFail(source, c.width, c.height);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Resize32Sizes,
    ::testing::Values(
        SizeCase{"reduce", 300, 200, 24, 120, 80}, SizeCase{"enlarge", 64, 48, 24, 96, 72},
        SizeCase{"same", 50, 40, 24, 50, 40}, SizeCase{"one_pixel", 1, 1, 24, 1, 1},
        SizeCase{"one_pixel_enlarged", 1, 1, 24, 7, 5}, SizeCase{"to_one_pixel", 40, 30, 24, 1, 1},
        SizeCase{"wide_strip", 2000, 3, 24, 17, 1}, SizeCase{"tall_strip", 3, 2000, 24, 1, 500},
        SizeCase{"aspect_changed", 30, 30, 24, 300, 2},
        SizeCase{"odd_row_padding", 13, 7, 24, 11, 9}, SizeCase{"palette8", 33, 21, 8, 16, 10},
        SizeCase{"palette4", 33, 21, 4, 70, 40}, SizeCase{"palette1", 33, 21, 1, 9, 9},
        SizeCase{"bgrx32", 45, 31, 32, 20, 60}, SizeCase{"two_threads", 1500, 1000, 24, 1200, 800}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Resize32Module, SameSizeIsAnExactCopy) {
    ASSERT_NE(resize32().entry(), nullptr);
    const ColourAt colour = [](int x, int y) {
        return Bgr{static_cast<std::uint8_t>(x * 37 + y), static_cast<std::uint8_t>(y * 11),
                   static_cast<std::uint8_t>((x ^ y) * 5)};
    };
    DibBlocks source = makeTrueColourDib(23, 17, 24, colour);
    const Picture p = resizeOrFail(source, 23, 17);
    ASSERT_EQ(p.pixels.size(), 23u * 17u);
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 23; ++x) {
            const Bgr want = colour(x, y);
            const Bgr got = p.at(x, y);
            ASSERT_TRUE(got.blue == want.blue && got.green == want.green && got.red == want.red)
                << "pixel " << x << "," << y;
        }
    }
}

// Top, bottom, left and right must come out where they went in, whichever
// way the source rows are stored.
TEST(Resize32Module, KeepsOrientation) {
    ASSERT_NE(resize32().entry(), nullptr);
    for (bool topDown : {false, true}) {
        for (int bitCount : {24, 32}) {
            // Top half red, bottom half blue; left quarter with full green.
            DibBlocks source = makeTrueColourDib(
                80, 60, bitCount,
                [](int x, int y) {
                    const std::uint8_t g = x < 20 ? 255 : 0;
                    return y < 30 ? Bgr{0, g, 255} : Bgr{255, g, 0};
                },
                topDown);
            const Picture p = resizeOrFail(source, 40, 30);
            ASSERT_EQ(p.pixels.size(), 40u * 30u);
            SCOPED_TRACE(testing::Message() << "topDown " << topDown << " bits " << bitCount);
            EXPECT_GT(p.at(30, 2).red, 250);
            EXPECT_LT(p.at(30, 2).blue, 5);
            EXPECT_GT(p.at(30, 27).blue, 250);
            EXPECT_LT(p.at(30, 27).red, 5);
            EXPECT_GT(p.at(2, 15).green, 250);
            EXPECT_LT(p.at(37, 15).green, 5);
        }
    }
}

struct FlatCase {
    int srcWidth, srcHeight, width, height;
    Bgr colour;
};

class Resize32Flat : public ::testing::TestWithParam<FlatCase> {};

TEST_P(Resize32Flat, FlatColourStaysFlat) {
    ASSERT_NE(resize32().entry(), nullptr);
    const FlatCase& c = GetParam();
    for (int bitCount : {24, 32}) {
        DibBlocks source = makeTrueColourDib(c.srcWidth, c.srcHeight, bitCount,
                                             [&](int, int) { return c.colour; });
        const Picture p = resizeOrFail(source, c.width, c.height);
        ASSERT_FALSE(p.pixels.empty());
        EXPECT_LE(maxDistance(p, c.colour), 1) << "bits " << bitCount;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scales, Resize32Flat,
    ::testing::Values(FlatCase{300, 200, 97, 61, Bgr{0, 0, 0}},
                      FlatCase{300, 200, 97, 61, Bgr{255, 255, 255}},
                      FlatCase{64, 48, 150, 101, Bgr{12, 200, 77}},
                      FlatCase{5, 3, 640, 480, Bgr{255, 0, 128}},
                      FlatCase{1000, 7, 3, 3, Bgr{1, 254, 128}},
                      FlatCase{1500, 1000, 1200, 800, Bgr{90, 91, 92}}),
    [](const ::testing::TestParamInfo<FlatCase>& p) {
        return testName(std::to_string(p.param.srcWidth) + "x" + std::to_string(p.param.srcHeight),
                        "to", std::to_string(p.param.width) + "x" + std::to_string(p.param.height),
                        std::to_string(p.index));
    });

TEST(Resize32Module, HorizontalGradientStaysMonotonic) {
    ASSERT_NE(resize32().entry(), nullptr);
    struct Case {
        int srcWidth, width;
    };
    for (const Case c :
         {Case{256, 100}, Case{256, 700}, Case{1024, 333}, Case{60, 61}, Case{4096, 1920}}) {
        DibBlocks source = makeTrueColourDib(c.srcWidth, 8, 24, [&](int x, int) {
            const auto v = static_cast<std::uint8_t>(x * 255 / (c.srcWidth - 1));
            return Bgr{v, v, static_cast<std::uint8_t>(255 - v)};
        });
        const Picture p = resizeOrFail(source, c.width, 5);
        ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(c.width) * 5u);
        for (int y = 0; y < 5; ++y) {
            for (int x = 1; x < c.width; ++x) {
                ASSERT_GE(p.at(x, y).blue, p.at(x - 1, y).blue)
                    << c.srcWidth << "->" << c.width << " x " << x;
                ASSERT_LE(p.at(x, y).red, p.at(x - 1, y).red)
                    << c.srcWidth << "->" << c.width << " x " << x;
            }
        }
        EXPECT_LE(p.at(0, 0).blue, 8);
        EXPECT_GE(p.at(c.width - 1, 0).blue, 247);
    }
}

// The split between the two worker threads must not show: a vertical
// gradient through a picture big enough to be shared keeps rising.
TEST(Resize32Module, VerticalGradientAcrossThreadSplit) {
    ASSERT_NE(resize32().entry(), nullptr);
    DibBlocks source = makeTrueColourDib(1500, 1024, 24, [](int, int y) { return grey(y / 4); });
    const Picture p = resizeOrFail(source, 1200, 800);
    ASSERT_EQ(p.pixels.size(), 1200u * 800u);
    for (int y = 1; y < 800; ++y) {
        for (int x : {0, 599, 1199})
            ASSERT_GE(p.at(x, y).green, p.at(x, y - 1).green) << "row " << y;
    }
}

// Nearest-neighbour sampling of a one-pixel checkerboard at an even factor
// would give a flat black or white picture; averaging gives mid-grey.
TEST(Resize32Module, FineCheckerboardBecomesMidGrey) {
    ASSERT_NE(resize32().entry(), nullptr);
    struct Case {
        int srcWidth, srcHeight, width, height;
    };
    for (const Case c :
         {Case{400, 300, 100, 75}, Case{300, 300, 100, 100}, Case{640, 480, 213, 97}}) {
        DibBlocks source = makeTrueColourDib(c.srcWidth, c.srcHeight, 24, [](int x, int y) {
            return grey(((x + y) & 1) ? 255 : 0);
        });
        const Picture p = resizeOrFail(source, c.width, c.height);
        ASSERT_FALSE(p.pixels.empty());
        EXPECT_LE(maxDistance(p, grey(128)), 6) << c.srcWidth << "x" << c.srcHeight;
    }
}

TEST(Resize32Module, PaletteColoursAreLookedUp) {
    ASSERT_NE(resize32().entry(), nullptr);
    const std::vector<RgbQuad> table{
        {0, 0, 0, 0}, {10, 20, 30, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
    for (int bitCount : {1, 4, 8}) {
        // A 1-bit picture may only have two colours.
        const unsigned index = bitCount == 1 ? 1 : 2;
        const std::vector<RgbQuad> used(table.begin(), table.begin() + (bitCount == 1 ? 2 : 4));
        DibBlocks source = makePaletteDib(31, 19, bitCount, used, [&](int, int) { return index; });
        const Picture p = resizeOrFail(source, 50, 12);
        ASSERT_FALSE(p.pixels.empty());
        const RgbQuad& q = table[index];
        EXPECT_LE(maxDistance(p, Bgr{q.rgbBlue, q.rgbGreen, q.rgbRed}), 1) << "bits " << bitCount;
    }
}

TEST(Resize32Module, IndexPastTheColourTableIsBlack) {
    ASSERT_NE(resize32().entry(), nullptr);
    const std::vector<RgbQuad> table{{255, 255, 255, 0}, {255, 255, 255, 0}};
    DibBlocks source = makePaletteDib(8, 8, 8, table, [](int, int) { return 200u; });
    const Picture p = resizeOrFail(source, 4, 4);
    EXPECT_EQ(maxDistance(p, Bgr{0, 0, 0}), 0);
}

TEST(Resize32Module, FifteenBitPixelsAreExpanded) {
    ASSERT_NE(resize32().entry(), nullptr);
    DibBlocks source;
    source.header = slidoraGlobalAlloc(sizeof(BitmapInfoHeader));
    source.bits = slidoraGlobalAlloc(4 * 2);
    BitmapInfoHeader h;
    h.biWidth = 2;
    h.biHeight = 2;
    h.biBitCount = 16;
    std::memcpy(slidoraGlobalLock(source.header), &h, sizeof h);
    // Red 31, green 0, blue 0 in every pixel.
    auto* bits = static_cast<std::uint8_t*>(slidoraGlobalLock(source.bits));
    for (int i = 0; i < 4; ++i)
        bits[2 * i + 1] = 0x7C;
    const Picture p = resizeOrFail(source, 3, 3);
    EXPECT_EQ(maxDistance(p, Bgr{0, 0, 255}), 0);
}

struct BadCase {
    const char* name;
    std::function<void(DibBlocks&, int& width, int& height)> spoil;
};

class Resize32BadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(Resize32BadInput, IsRefused) {
    ASSERT_NE(resize32().entry(), nullptr);
    DibBlocks source = makeTrueColourDib(10, 6, 24, [](int, int) { return grey(7); });
    int width = 5;
    int height = 3;
    GetParam().spoil(source, width, height);
    DibBlocks result;
    EXPECT_EQ(resize32().resize(source, width, height, result), 0);
    EXPECT_EQ(result.header, nullptr);
    EXPECT_EQ(result.bits, nullptr);
}

void shrinkBlock(SlidoraHGlobal& block, std::size_t size) {
    SlidoraHGlobal smaller = slidoraGlobalAlloc(size);
    std::memcpy(slidoraGlobalLock(smaller), slidoraGlobalLock(block), size);
    slidoraGlobalFree(block);
    block = smaller;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Resize32BadInput,
    ::testing::Values(
        BadCase{"zero_width", [](DibBlocks&, int& w, int&) { w = 0; }},
        BadCase{"negative_height", [](DibBlocks&, int&, int& h) { h = -3; }},
        BadCase{"absurd_area", [](DibBlocks&, int& w, int& h) { w = 60000; h = 60000; }},
        BadCase{"absurd_side", [](DibBlocks&, int& w, int& h) { w = 1 << 20; h = 1; }},
        BadCase{"header_block_short", [](DibBlocks& d, int&, int&) { shrinkBlock(d.header, 39); }},
        BadCase{"bits_block_one_byte_short", [](DibBlocks& d, int&, int&) { shrinkBlock(d.bits, 6 * 32 - 1); }},
        BadCase{"no_header_block", [](DibBlocks& d, int&, int&) { slidoraGlobalFree(d.header); d.header = nullptr; }},
        BadCase{"no_bits_block", [](DibBlocks& d, int&, int&) { slidoraGlobalFree(d.bits); d.bits = nullptr; }},
        BadCase{"header_size_small", [](DibBlocks& d, int&, int&) { d.info()->biSize = 12; }},
        BadCase{"header_size_past_block", [](DibBlocks& d, int&, int&) { d.info()->biSize = 400; }},
        BadCase{"bit_count_12", [](DibBlocks& d, int&, int&) { d.info()->biBitCount = 12; }},
        BadCase{"compressed", [](DibBlocks& d, int&, int&) { d.info()->biCompression = 1; }},
        BadCase{"two_planes", [](DibBlocks& d, int&, int&) { d.info()->biPlanes = 2; }},
        BadCase{"zero_source_width", [](DibBlocks& d, int&, int&) { d.info()->biWidth = 0; }},
        BadCase{"negative_source_width", [](DibBlocks& d, int&, int&) { d.info()->biWidth = -10; }},
        BadCase{"zero_source_height", [](DibBlocks& d, int&, int&) { d.info()->biHeight = 0; }},
        BadCase{"most_negative_height", [](DibBlocks& d, int&, int&) { d.info()->biHeight = INT32_MIN; }},
        BadCase{"source_wider_than_bits", [](DibBlocks& d, int&, int&) { d.info()->biWidth = 11; }},
        BadCase{"source_area_overflows", [](DibBlocks& d, int&, int&) {
                    d.info()->biWidth = INT32_MAX;
                    d.info()->biHeight = INT32_MAX;
                }},
        BadCase{"palette_missing", [](DibBlocks& d, int&, int&) { d.info()->biBitCount = 8; }},
        BadCase{"too_many_colours", [](DibBlocks& d, int&, int&) {
                    shrinkBlock(d.bits, 64);
                    d.info()->biBitCount = 4;
                    d.info()->biClrUsed = 17;
                }}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Resize32Module, RefusesMissingResultPointers) {
    ASSERT_NE(resize32().entry(), nullptr);
    DibBlocks source = makeTrueColourDib(4, 4, 24, [](int, int) { return grey(1); });
    SlidoraHGlobal header = nullptr;
    EXPECT_EQ(resize32().entry()(source.header, source.bits, &header, nullptr, 2, 2, 0, 1), 0);
    EXPECT_EQ(header, nullptr);
    EXPECT_EQ(resize32().entry()(source.header, source.bits, &header, &header, 2, 2, 0, 1), 0);
}

} // namespace
} // namespace slidora::test
