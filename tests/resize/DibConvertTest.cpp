// Packed DIBs to bitmaps and back, and the palette rule.
#include "saver/resize/DibConvert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace slidora {
namespace {

// A header followed by `tableEntries` colour-table entries, entry i being
// (red i, green 2i, blue 3i), in one buffer.
std::vector<std::uint8_t> headerWithTable(int width, int height, int bitCount,
                                          std::uint32_t clrUsed, std::size_t tableEntries) {
    std::vector<std::uint8_t> block(sizeof(BitmapInfoHeader) + tableEntries * sizeof(RgbQuad));
    BitmapInfoHeader h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = static_cast<std::uint16_t>(bitCount);
    h.biClrUsed = clrUsed;
    std::memcpy(block.data(), &h, sizeof h);
    for (std::size_t i = 0; i < tableEntries; ++i) {
        const RgbQuad q{static_cast<std::uint8_t>(3 * i), static_cast<std::uint8_t>(2 * i),
                        static_cast<std::uint8_t>(i), 0};
        std::memcpy(block.data() + sizeof h + i * sizeof q, &q, sizeof q);
    }
    return block;
}

const BitmapInfoHeader* info(const std::vector<std::uint8_t>& block) {
    return reinterpret_cast<const BitmapInfoHeader*>(block.data());
}

struct PaletteCase {
    const char* name;
    int bitCount;
    std::uint32_t clrUsed;
    std::size_t tableEntries;
    std::size_t expected;
};

class DibPaletteRule : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(DibPaletteRule, CountsColours) {
    const PaletteCase& c = GetParam();
    const std::vector<std::uint8_t> block =
        headerWithTable(4, 4, c.bitCount, c.clrUsed, c.tableEntries);
    const std::vector<PaletteEntry> palette = DIBPalette(info(block), block.size());
    ASSERT_EQ(palette.size(), c.expected);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        ASSERT_EQ(palette[i].red, static_cast<std::uint8_t>(i));
        ASSERT_EQ(palette[i].green, static_cast<std::uint8_t>(2 * i));
        ASSERT_EQ(palette[i].blue, static_cast<std::uint8_t>(3 * i));
    }
}

INSTANTIATE_TEST_SUITE_P(Rule, DibPaletteRule,
                         ::testing::Values(PaletteCase{"eight_bit_full", 8, 0, 256, 256},
                                           PaletteCase{"eight_bit_used", 8, 20, 20, 20},
                                           PaletteCase{"four_bit", 4, 0, 16, 16},
                                           PaletteCase{"one_bit", 1, 0, 2, 2},
                                           PaletteCase{"true_colour_without_count", 24, 0, 0, 0},
                                           PaletteCase{"true_colour_with_count", 24, 5, 5, 5},
                                           PaletteCase{"thirty_two_bit", 32, 0, 0, 0},
                                           PaletteCase{"sixteen_bit", 16, 0, 0, 0},
                                           PaletteCase{"too_many_used", 8, 257, 257, 0},
                                           PaletteCase{"table_cut_short", 8, 16, 8, 0},
                                           PaletteCase{"full_table_missing", 8, 0, 255, 0}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(DIBToBitmap, RoundTripsEveryBitmapKind) {
    for (int bits : {8, 24, 32}) {
        Bitmap original;
        ASSERT_TRUE(original.allocate(13, 7, bits));
        for (int y = 0; y < 7; ++y) {
            for (std::size_t i = 0; i < original.stride(); ++i)
                original.row(y)[i] = static_cast<std::uint8_t>(y * 31 + i);
        }
        if (bits == 8)
            original.palette() = {PaletteEntry{1, 2, 3}, PaletteEntry{4, 5, 6},
                                  PaletteEntry{7, 8, 9}};
        for (int y = 0; y < 7 && bits == 8; ++y) {
            for (int x = 0; x < 13; ++x)
                original.row(y)[x] = static_cast<std::uint8_t>((x + y) % 3);
        }
        PackedDib dib;
        ASSERT_TRUE(packedDibFromBitmap(original, dib));
        Bitmap back;
        ASSERT_TRUE(DIBToBitmap(dib, back));
        ASSERT_EQ(back.width(), 13);
        ASSERT_EQ(back.height(), 7);
        ASSERT_EQ(back.bitsPerPixel(), bits);
        const std::size_t rowBytes = 13u * static_cast<std::size_t>(bits / 8);
        for (int y = 0; y < 7; ++y)
            ASSERT_EQ(std::memcmp(back.row(y), original.row(y), rowBytes), 0)
                << bits << " bits, row " << y;
        ASSERT_EQ(back.palette().size(), original.palette().size());
        for (std::size_t i = 0; i < back.palette().size(); ++i) {
            EXPECT_EQ(back.palette()[i].red, original.palette()[i].red);
            EXPECT_EQ(back.palette()[i].green, original.palette()[i].green);
            EXPECT_EQ(back.palette()[i].blue, original.palette()[i].blue);
        }
    }
}

TEST(DIBToBitmap, StoresRowsBottomUpInTheDib) {
    Bitmap picture;
    ASSERT_TRUE(picture.allocate(1, 2, 24));
    picture.row(0)[2] = 255; // top pixel red
    PackedDib dib;
    ASSERT_TRUE(packedDibFromBitmap(picture, dib));
    const std::uint8_t* bits = dib.bits.lock();
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[2], 0);
    EXPECT_EQ(bits[4 + 2], 255);
}

TEST(DIBToBitmap, GreyRampForAPalettelessEightBitBitmap) {
    Bitmap picture;
    ASSERT_TRUE(picture.allocate(2, 1, 8));
    picture.row(0)[1] = 200;
    PackedDib dib;
    ASSERT_TRUE(packedDibFromBitmap(picture, dib));
    Bitmap back;
    ASSERT_TRUE(DIBToBitmap(dib, back));
    ASSERT_EQ(back.palette().size(), 256u);
    EXPECT_EQ(back.palette()[200].red, 200);
    EXPECT_EQ(back.palette()[200].blue, 200);
}

struct PackedCase {
    const char* name;
    int bitCount;
    std::vector<std::uint8_t> row; // one stored row, padded to 4
    std::vector<std::uint8_t> expected;
    int width;
};

class DIBToBitmapPacked : public ::testing::TestWithParam<PackedCase> {};

TEST_P(DIBToBitmapPacked, ExpandsPixels) {
    const PackedCase& c = GetParam();
    const std::size_t entries = c.bitCount <= 8 ? (1u << c.bitCount) : 0;
    const std::vector<std::uint8_t> header = headerWithTable(c.width, 1, c.bitCount, 0, entries);
    Bitmap out;
    ASSERT_TRUE(DIBToBitmap(info(header), header.size(), c.row.data(), c.row.size(), out));
    const std::vector<std::uint8_t> got(out.row(0), out.row(0) + c.expected.size());
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(out.bitsPerPixel(), c.bitCount <= 8 ? 8 : 24);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DIBToBitmapPacked,
    ::testing::Values(
        PackedCase{"one_bit", 1, {0xA5, 0, 0, 0}, {1, 0, 1, 0, 0, 1, 0, 1, 0}, 9},
        PackedCase{"four_bit", 4, {0x1F, 0x70, 0, 0}, {1, 15, 7}, 3},
        PackedCase{"sixteen_bit", 16, {0x1F, 0x7C, 0xE0, 0x03}, {255, 0, 255, 0, 255, 0}, 2}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(DIBToBitmap, ReadsTopDownRows) {
    std::vector<std::uint8_t> header = headerWithTable(1, -2, 24, 0, 0);
    const std::uint8_t bits[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    Bitmap out;
    ASSERT_TRUE(DIBToBitmap(info(header), header.size(), bits, sizeof bits, out));
    ASSERT_EQ(out.height(), 2);
    EXPECT_EQ(out.row(0)[0], 1);
    EXPECT_EQ(out.row(1)[0], 4);
}

TEST(DIBToBitmap, IndexPastThePaletteGetsABlackEntry) {
    const std::vector<std::uint8_t> header = headerWithTable(2, 1, 8, 2, 2);
    const std::uint8_t bits[4] = {1, 9, 0, 0};
    Bitmap out;
    ASSERT_TRUE(DIBToBitmap(info(header), header.size(), bits, sizeof bits, out));
    ASSERT_EQ(out.palette().size(), 256u);
    EXPECT_EQ(out.palette()[1].red, 1);
    EXPECT_EQ(out.palette()[9].red, 0);
    EXPECT_EQ(out.palette()[9].green, 0);
}

struct BadDib {
    const char* name;
    int width, height, bitCount;
    std::size_t bitsSize;
    std::size_t headerSize; // 0: the whole header with its table
    std::uint32_t compression;
};

class DIBToBitmapBad : public ::testing::TestWithParam<BadDib> {};

TEST_P(DIBToBitmapBad, IsRefusedAndLeavesTheBitmapAlone) {
    const BadDib& c = GetParam();
    std::vector<std::uint8_t> header = headerWithTable(c.width, c.height, c.bitCount, 0, 256);
    reinterpret_cast<BitmapInfoHeader*>(header.data())->biCompression = c.compression;
    const std::vector<std::uint8_t> bits(c.bitsSize + 1);
    Bitmap out;
    ASSERT_TRUE(out.allocate(3, 3, 24));
    out.row(1)[1] = 77;
    EXPECT_FALSE(DIBToBitmap(info(header), c.headerSize == 0 ? header.size() : c.headerSize,
                             bits.data(), c.bitsSize, out));
    EXPECT_EQ(out.width(), 3);
    EXPECT_EQ(out.row(1)[1], 77);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DIBToBitmapBad,
    ::testing::Values(
        BadDib{"bits_short", 10, 10, 24, 319, 0, 0}, BadDib{"zero_width", 0, 10, 24, 400, 0, 0},
        BadDib{"zero_height", 10, 0, 24, 400, 0, 0}, BadDib{"bit_count_2", 10, 1, 2, 400, 0, 0},
        BadDib{"compressed", 10, 1, 8, 400, 0, 1}, BadDib{"header_short", 10, 1, 24, 400, 39, 0},
        BadDib{"colour_table_short", 10, 1, 8, 400, 40 + 4 * 255, 0},
        BadDib{"too_many_pixels", 20000, 20000, 8, 400000000, 0, 0}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace slidora
