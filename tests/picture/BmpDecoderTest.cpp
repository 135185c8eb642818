// The bitmap reader against pictures written by the picture writer in every
// layout, and against damaged files.
#include "saver/picture/PicLoad.h"
#include "tests/picture/PictureTestSupport.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <gtest/gtest.h>

#include <climits>

namespace slidora {
namespace {

using picwriter::BmpOptions;
using test::Rgb;
using test::ScratchFolder;

// Runs of equal indices on the left (for the run-length encoders) and a
// diagonal pattern on the right (absolute blocks).
Bitmap makeRunsPattern(int width, int height, int bits) {
    Bitmap bitmap = picwriter::makeIndexedPattern(width, height, bits);
    const int count = 1 << bits;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 2; ++x)
            bitmap.row(y)[x] = static_cast<std::uint8_t>((x / 7 + y) % count);
    return bitmap;
}

// What a channel of `bits` bits keeps of an 8-bit value, scaled back to 0..255.
int quantised(int value, int bits) {
    if (bits >= 8) return value;
    const int top = (1 << bits) - 1;
    return ((value >> (8 - bits)) * 255 + top / 2) / top;
}

struct BmpCase {
    const char* name;
    BmpOptions options;
    std::array<int, 3> channelBits; // bits kept of red, green, blue for 16/32-bit files
};

class BmpVariant : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpVariant, ReadsBackWhatWasWritten) {
    const BmpCase& c = GetParam();
    ScratchFolder folder;
    const int width = 37; // odd: rows need padding, 1/4-bit rows end mid-byte
    const int height = 23;
    const int bits = c.options.bitsPerPixel;
    const Bitmap source =
        bits <= 8 ? makeRunsPattern(width, height, bits) : picwriter::makeGradient(width, height);
    const std::string path = folder.file(std::string(c.name) + ".bmp");
    ASSERT_TRUE(picwriter::writeBmp(path, source, c.options));

    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(picture.width, width);
    EXPECT_EQ(picture.height, height);
    ASSERT_EQ(picture.bitmap.width(), width);
    ASSERT_EQ(picture.bitmap.height(), height);
    if (bits <= 8) {
        ASSERT_EQ(picture.bitmap.bitsPerPixel(), 8);
        EXPECT_EQ(picture.bitmap.palette().size(), std::size_t{1} << bits);
    } else {
        ASSERT_EQ(picture.bitmap.bitsPerPixel(), 24);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Rgb expected = test::colourAt(source, x, y);
            if (bits == 16 || bits == 32)
                for (int i = 0; i < 3; ++i)
                    expected[i] = quantised(expected[i], c.channelBits[i]);
            ASSERT_EQ(test::colourAt(picture.bitmap, x, y), expected) << "at " << x << "," << y;
        }
}

BmpOptions bmp(int bits) {
    BmpOptions options;
    options.bitsPerPixel = bits;
    return options;
}
BmpOptions with(BmpOptions options, void (*change)(BmpOptions&)) {
    change(options);
    return options;
}

const BmpCase kBmpCases[] = {
    {"bits1", bmp(1), {}},
    {"bits4", bmp(4), {}},
    {"bits8", bmp(8), {}},
    {"bits24", bmp(24), {}},
    {"bits32", bmp(32), {8, 8, 8}},
    {"bits16_555", bmp(16), {5, 5, 5}},
    {"rle4", with(bmp(4), [](BmpOptions& o) { o.rle = true; }), {}},
    {"rle8", with(bmp(8), [](BmpOptions& o) { o.rle = true; }), {}},
    {"rle8_top_down",
     with(bmp(8),
          [](BmpOptions& o) {
              o.rle = true;
              o.topDown = true;
          }),
     {}},
    {"top_down1", with(bmp(1), [](BmpOptions& o) { o.topDown = true; }), {}},
    {"top_down8", with(bmp(8), [](BmpOptions& o) { o.topDown = true; }), {}},
    {"top_down24", with(bmp(24), [](BmpOptions& o) { o.topDown = true; }), {}},
    {"core1", with(bmp(1), [](BmpOptions& o) { o.coreHeader = true; }), {}},
    {"core4", with(bmp(4), [](BmpOptions& o) { o.coreHeader = true; }), {}},
    {"core8", with(bmp(8), [](BmpOptions& o) { o.coreHeader = true; }), {}},
    {"core24", with(bmp(24), [](BmpOptions& o) { o.coreHeader = true; }), {}},
    {"v4_bits24", with(bmp(24), [](BmpOptions& o) { o.infoHeaderBytes = 108; }), {}},
    {"v5_bits8", with(bmp(8), [](BmpOptions& o) { o.infoHeaderBytes = 124; }), {}},
    {"bitfields16_565",
     with(bmp(16),
          [](BmpOptions& o) {
              o.bitfields = true;
              o.masks = {0xF800, 0x07E0, 0x001F};
          }),
     {5, 6, 5}},
    {"bitfields16_555",
     with(bmp(16),
          [](BmpOptions& o) {
              o.bitfields = true;
              o.masks = {0x7C00, 0x03E0, 0x001F};
          }),
     {5, 5, 5}},
    {"bitfields16_444_v4",
     with(bmp(16),
          [](BmpOptions& o) {
              o.bitfields = true;
              o.infoHeaderBytes = 108;
              o.masks = {0x0F00, 0x00F0, 0x000F};
          }),
     {4, 4, 4}},
    {"bitfields32_bgr",
     with(bmp(32),
          [](BmpOptions& o) {
              o.bitfields = true;
              o.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
          }),
     {8, 8, 8}},
    {"bitfields32_10bit_v5",
     with(bmp(32),
          [](BmpOptions& o) {
              o.bitfields = true;
              o.infoHeaderBytes = 124;
              o.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
          }),
     {10, 10, 10}},
};

INSTANTIATE_TEST_SUITE_P(Layouts, BmpVariant, ::testing::ValuesIn(kBmpCases),
                         [](const auto& test) { return std::string(test.param.name); });

// A small 8-bit RLE picture whose pixel data is replaced by `stream`.
std::string writeRleTrap(const ScratchFolder& folder, const std::string& name, int width,
                         int height, int bits, const std::vector<std::uint8_t>& stream) {
    Bitmap source = picwriter::makeIndexedPattern(width, height, bits);
    BmpOptions options = bmp(bits);
    options.rle = true;
    std::vector<std::uint8_t> bytes = picwriter::encodeBmp(source, options);
    const std::uint32_t offset = bytes[10] | bytes[11] << 8;
    bytes.resize(offset);
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    const std::string path = folder.file(name);
    picwriter::writeFileBytes(path, bytes);
    return path;
}

// Index rows of a decoded 8-bit picture, top row first.
std::vector<std::vector<int>> indices(const Bitmap& bitmap) {
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < bitmap.height(); ++y)
        rows.emplace_back(bitmap.row(y), bitmap.row(y) + bitmap.width());
    return rows;
}

TEST(BmpRunLength, RunsPastTheRowAreClippedNotWrapped) {
    ScratchFolder folder;
    // Stored bottom row first: a 10-pixel run in a 4-pixel row, then a
    // 6-pixel absolute block, then a delta far below the image.
    const std::string path =
        writeRleTrap(folder, "rle-run-overruns-row.bmp", 4, 3, 8,
                     {10, 1, 0, 0, 0, 6, 2, 3, 2, 3, 2, 3, 0, 0, 0, 2, 0, 200});
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(indices(picture.bitmap),
              (std::vector<std::vector<int>>{{0, 0, 0, 0}, {2, 3, 2, 3}, {1, 1, 1, 1}}));
}

TEST(BmpRunLength, Rle4OddRunsAndBlocksStayInsideTheRow) {
    ScratchFolder folder;
    // Row 0: run of 5 alternating 1/2 (clipped to 3); row 1: absolute block of
    // 5 nibbles (3 bytes + pad), clipped; end of bitmap.
    const std::string path = writeRleTrap(folder, "rle4-odd-overrun.bmp", 3, 2, 4,
                                          {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1});
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(indices(picture.bitmap), (std::vector<std::vector<int>>{{3, 4, 5}, {1, 2, 1}}));
}

TEST(BmpRunLength, EndOfLinesPastTheImageStopTheDecoding) {
    ScratchFolder folder;
    std::vector<std::uint8_t> stream = {2, 7};
    for (int i = 0; i < 1000; ++i)
        stream.insert(stream.end(), {0, 0, 3, 9});
    const std::string path = writeRleTrap(folder, "rle-rows-past-image.bmp", 2, 2, 8, stream);
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(indices(picture.bitmap), (std::vector<std::vector<int>>{{9, 9}, {7, 7}}));
}

TEST(BmpRunLength, DeltaMovesLeaveSkippedPixelsAtIndexZero) {
    ScratchFolder folder;
    const std::string path =
        writeRleTrap(folder, "rle-delta.bmp", 4, 2, 8, {0, 2, 2, 1, 1, 5, 0, 1});
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(indices(picture.bitmap), (std::vector<std::vector<int>>{{0, 0, 5, 0}, {0, 0, 0, 0}}));
}

TEST(BmpRunLength, StreamEndingBeforeEndOfBitmapIsInvalid) {
    ScratchFolder folder;
    for (const auto& stream : {std::vector<std::uint8_t>{4, 1, 0},
                               std::vector<std::uint8_t>{0, 4, 1, 2}, // block cut short
                               std::vector<std::uint8_t>{0, 2, 1}}) { // delta cut short
        const std::string path = writeRleTrap(folder, "truncated-rle.bmp", 4, 4, 8, stream);
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << stream.size() << " byte stream";
        EXPECT_TRUE(picture.bitmap.empty());
    }
}

// Writes a valid 8-bit and 24-bit picture and then damages one field.
struct BmpTrap {
    const char* name;
    int bits;
    std::size_t offset;
    std::vector<std::uint8_t> bytes;
};

class BmpDamage : public ::testing::TestWithParam<BmpTrap> {};

TEST_P(BmpDamage, IsRefused) {
    const BmpTrap& trap = GetParam();
    ScratchFolder folder;
    const std::string path = folder.file(std::string(trap.name) + ".bmp");
    const Bitmap source =
        trap.bits == 8 ? picwriter::makeIndexedPattern(16, 8, 8) : picwriter::makeGradient(16, 8);
    ASSERT_TRUE(picwriter::writeBmp(path, source, bmp(trap.bits)));
    ASSERT_TRUE(test::patchFile(path, trap.offset, trap.bytes));
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(path, picture));
    EXPECT_TRUE(picture.bitmap.empty());
    EXPECT_EQ(picture.width, 0);
}

std::vector<std::uint8_t> le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

const BmpTrap kBmpTraps[] = {
    {"not_bm", 24, 0, {'M', 'B'}},
    {"header_size_64", 24, 14, le32(64)},
    {"zero_width", 24, 18, le32(0)},
    {"negative_width", 24, 18, le32(static_cast<std::uint32_t>(-16))},
    {"zero_height", 24, 22, le32(0)},
    {"height_int_min", 24, 22, le32(static_cast<std::uint32_t>(INT_MIN))},
    {"bits_7", 24, 28, {7, 0}},
    {"rle8_in_24bit", 24, 30, le32(1)},
    {"embedded_jpeg", 24, 30, le32(4)},
    {"taller_than_data", 24, 22, le32(9)},
    {"data_offset_past_end", 24, 10, le32(100000)},
    {"claims_65500_squared", 24, 18,
     [] {
         auto v = le32(65500);
         auto h = le32(65500);
         v.insert(v.end(), h.begin(), h.end());
         return v;
     }()},
};

INSTANTIATE_TEST_SUITE_P(Traps, BmpDamage, ::testing::ValuesIn(kBmpTraps),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(BmpBitfields, EmptyOrSplitMasksAreRefused) {
    ScratchFolder folder;
    const std::array<std::uint32_t, 3> badMasks[] = {
        {0xF00F, 0x07E0, 0x0010}, // red split in two
        {0x0000, 0x07E0, 0x001F}, // no red at all
        {0xF800, 0x07E0, 0x0000}, // no blue at all
    };
    for (const auto& masks : badMasks) {
        BmpOptions options = bmp(16);
        options.bitfields = true;
        options.masks = masks;
        const std::string path = folder.file("bitfields-bad-mask.bmp");
        ASSERT_TRUE(picwriter::writeBmp(path, picwriter::makeGradient(8, 8), options));
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << std::hex << masks[0] << " " << masks[2];
    }
}

TEST(BmpPalette, CountAbove256IsBoundedTo256AndColoursStayRight) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeIndexedPattern(20, 10, 8);
    for (std::uint32_t claimed : {257u, 100000u, 0xFFFFFFFFu}) {
        const std::string path = folder.file("palette-count-" + std::to_string(claimed) + ".bmp");
        ASSERT_TRUE(picwriter::writeBmp(path, source, bmp(8)));
        ASSERT_TRUE(test::patchFile(path, picwriter::kBmpColoursUsedField, le32(claimed)));
        WorkingPicture picture;
        ASSERT_TRUE(PicLoad(path, picture)) << claimed;
        EXPECT_EQ(picture.bitmap.palette().size(), 256u);
        EXPECT_EQ(test::compareColours(source, picture.bitmap).largest, 0) << claimed;
    }
}

TEST(BmpPalette, ClaimedCountIsBoundedByThePixelDataOffset) {
    ScratchFolder folder;
    // 8-bit indices with a 16-entry colour table that claims 256 entries.
    const Bitmap source = picwriter::makeIndexedPattern(8, 4, 4);
    const std::string path = folder.file("palette-count-beyond-data-offset.bmp");
    ASSERT_TRUE(picwriter::writeBmp(path, source, bmp(8)));
    ASSERT_TRUE(test::patchFile(path, picwriter::kBmpColoursUsedField, le32(256)));
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(test::compareColours(source, picture.bitmap).largest, 0);
}

TEST(BmpPalette, MissingPixelDataOffsetFollowsTheColourTable) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeIndexedPattern(8, 4, 4);
    const std::string path = folder.file("data-offset-zero.bmp");
    ASSERT_TRUE(picwriter::writeBmp(path, source, bmp(8)));
    ASSERT_TRUE(test::patchFile(path, picwriter::kBmpDataOffsetField, le32(0)));
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(test::compareColours(source, picture.bitmap).largest, 0);
}

TEST(BmpPalette, PaletteCutByTheFileEndIsInvalidNotOverread) {
    ScratchFolder folder;
    const std::string path = folder.file("palette-only.bmp");
    ASSERT_TRUE(picwriter::writeBmp(path, picwriter::makeIndexedPattern(8, 4, 8), bmp(8)));
    ASSERT_TRUE(test::truncateFile(path, 14 + 40 + 100));
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(path, picture));
}

TEST(BmpTruncated, CutFilesAreInvalid) {
    ScratchFolder folder;
    const std::string path = folder.file("truncated.bmp");
    ASSERT_TRUE(picwriter::writeBmp(path, picwriter::makeGradient(40, 30)));
    const std::size_t full = picwriter::readFileBytes(path).size();
    for (std::size_t keep :
         {full - 1, full / 2, std::size_t{60}, std::size_t{20}, std::size_t{2}}) {
        ASSERT_TRUE(picwriter::writeBmp(path, picwriter::makeGradient(40, 30)));
        ASSERT_TRUE(test::truncateFile(path, keep));
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << "kept " << keep << " of " << full;
    }
}

TEST(BmpTruncated, MissingPaddingOfTheLastRowIsAccepted) {
    ScratchFolder folder;
    const std::string path = folder.file("last-row-unpadded.bmp");
    const Bitmap source = picwriter::makeGradient(5, 3); // 15 bytes per row, 1 padding byte
    ASSERT_TRUE(picwriter::writeBmp(path, source));
    ASSERT_TRUE(test::truncateFile(path, picwriter::readFileBytes(path).size() - 1));
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(test::compareColours(source, picture.bitmap).largest, 0);
}

TEST(BmpSize, HugeClaimWithinTheLimitIsRefusedBeforeAllocating) {
    ScratchFolder folder;
    // 9000 x 9000 x 24 bits would be 243 MB; the file holds a few bytes.
    const std::string path = folder.file("claims-9000-squared.bmp");
    ASSERT_TRUE(picwriter::writeBmp(path, picwriter::makeGradient(16, 16)));
    ASSERT_TRUE(test::patchFile(path, picwriter::kBmpWidthField, le32(9000)));
    ASSERT_TRUE(test::patchFile(path, picwriter::kBmpHeightField, le32(9000)));
    test::PeakMemoryProbe probe;
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(path, picture));
    if (probe.available()) {
        EXPECT_LT(probe.riseBytes(), 32 << 20);
    }
}

} // namespace
} // namespace slidora
