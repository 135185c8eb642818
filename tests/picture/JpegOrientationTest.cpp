// Exif orientation: the parser against well-formed and hostile blocks, and
// the JPEG decoder turning a picture of six coloured cells every way.
#include "saver/picture/ExifOrientation.h"
#include "saver/picture/PicLoad.h"
#include "tests/picture/PictureTestSupport.h"
#include "tools/picwriter/PicWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace slidora {
namespace {

using test::ScratchFolder;

constexpr int kCell = 16;

// Six cells, stored as
//   A B C
//   D E F
const std::map<char, test::Rgb> kCellColours = {
    {'A', {230, 30, 30}},  {'B', {30, 200, 30}},  {'C', {30, 30, 230}},
    {'D', {230, 230, 30}}, {'E', {30, 220, 220}}, {'F', {220, 30, 220}},
};

Bitmap cellPicture() {
    const char* rows[] = {"ABC", "DEF"};
    Bitmap bitmap;
    bitmap.allocate(3 * kCell, 2 * kCell, 24);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const test::Rgb c = kCellColours.at(rows[y / kCell][x / kCell]);
            std::uint8_t* p = bitmap.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(c[2]);
            p[1] = static_cast<std::uint8_t>(c[1]);
            p[2] = static_cast<std::uint8_t>(c[0]);
        }
    return bitmap;
}

struct OrientationCase {
    const char* name;
    int orientation;
    bool bigEndian;
    const char* shown; // the cells as they must appear, rows separated by '/'
};

class JpegOrientation : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(JpegOrientation, ShowsTheCellsAsTheCameraMeant) {
    const OrientationCase& c = GetParam();
    ScratchFolder folder;
    picwriter::JpegOptions options;
    options.quality = 100;
    options.exif = picwriter::exifOrientationBlock(c.orientation, c.bigEndian);
    const std::string path = folder.file("turned.jpg");
    ASSERT_TRUE(picwriter::writeJpeg(path, cellPicture(), options));

    const std::string shown = c.shown;
    const int columns = static_cast<int>(shown.find('/'));
    const int rows = static_cast<int>((shown.size() + 1) / (columns + 1));
    // Once without a target (rows top-down) and once with one (bottom-up,
    // asked for the turned size).
    for (const bool withTarget : {false, true}) {
        int askedWidth = 0, askedHeight = 0;
        const TargetSizeFn target = [&](int w, int h) {
            askedWidth = w;
            askedHeight = h;
            return std::pair{w, h};
        };
        WorkingPicture picture;
        ASSERT_TRUE(PicLoad(path, picture, withTarget ? target : TargetSizeFn{}));
        EXPECT_EQ(picture.width, columns * kCell);
        EXPECT_EQ(picture.height, rows * kCell);
        ASSERT_EQ(picture.bitmap.width(), columns * kCell);
        ASSERT_EQ(picture.bitmap.height(), rows * kCell);
        if (withTarget) {
            EXPECT_EQ(askedWidth, columns * kCell);
            EXPECT_EQ(askedHeight, rows * kCell);
        }
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                const char cell = shown[static_cast<std::size_t>(row * (columns + 1) + column)];
                const test::Rgb want = kCellColours.at(cell);
                const test::Rgb got = test::colourAt(picture.bitmap, column * kCell + kCell / 2,
                                                     row * kCell + kCell / 2);
                for (int i = 0; i < 3; ++i)
                    EXPECT_NEAR(got[i], want[i], 12)
                        << "cell " << cell << " expected at row " << row << ", column " << column
                        << (withTarget ? " (with a target)" : "");
            }
    }
}

const OrientationCase kOrientationCases[] = {
    {"as_stored", 1, false, "ABC/DEF"},    {"mirrored", 2, true, "CBA/FED"},
    {"half_turn", 3, false, "FED/CBA"},    {"upside_down_mirror", 4, true, "DEF/ABC"},
    {"transposed", 5, false, "AD/BE/CF"},  {"quarter_clockwise", 6, true, "DA/EB/FC"},
    {"transversed", 7, false, "FC/EB/DA"}, {"quarter_anticlockwise", 8, true, "CF/BE/AD"},
};

INSTANTIATE_TEST_SUITE_P(Exif, JpegOrientation, ::testing::ValuesIn(kOrientationCases),
                         [](const auto& test) { return std::string(test.param.name); });

// Little-endian block with orientation 6; damaged copies of it below.
std::vector<std::uint8_t> goodBlock() {
    return picwriter::exifOrientationBlock(6, false);
}

struct ExifCase {
    const char* name;
    std::vector<std::uint8_t> payload;
    int orientation;
};

std::vector<std::uint8_t> patched(std::size_t at, std::vector<std::uint8_t> bytes) {
    std::vector<std::uint8_t> block = goodBlock();
    std::memcpy(block.data() + at, bytes.data(), bytes.size());
    return block;
}

std::vector<std::uint8_t> cut(std::size_t keep) {
    std::vector<std::uint8_t> block = goodBlock();
    block.resize(keep);
    return block;
}

// Offsets in the block: 6 "II", 8 magic, 10 IFD offset, 14 entry count,
// 16 tag, 18 type, 20 count, 24 value.
const ExifCase kExifCases[] = {
    {"well_formed", goodBlock(), 6},
    {"big_endian", picwriter::exifOrientationBlock(3, true), 3},
    {"empty", {}, 1},
    {"not_exif", patched(0, {'E', 'x', 'i', 'x'}), 1},
    {"unknown_byte_order", patched(6, {'I', 'M'}), 1},
    {"wrong_magic", patched(8, {43, 0}), 1},
    {"ifd_past_the_end", patched(10, {0xFF, 0xFF, 0xFF, 0xFF}), 1},
    {"ifd_just_past_the_end", patched(10, {24, 0, 0, 0}), 1},
    {"entry_count_beyond_the_data", patched(14, {0xFF, 0xFF}), 1},
    {"cut_in_the_header", cut(9), 1},
    {"cut_in_the_entry", cut(23), 1},
    {"cut_in_the_value", cut(25), 1},
    {"long_type", patched(18, {4, 0}), 1},
    {"two_values", patched(20, {2, 0, 0, 0}), 1},
    {"value_zero", patched(24, {0, 0}), 1},
    {"value_nine", patched(24, {9, 0}), 1},
    {"other_tag", patched(16, {0x10, 0x01}), 1},
};

class ExifParse : public ::testing::TestWithParam<ExifCase> {};

TEST_P(ExifParse, ReadsOnlyAWellFormedTag) {
    const ExifCase& c = GetParam();
    // A copy of exactly the payload's size, so a read past it is caught by
    // the sanitizers.
    std::vector<std::uint8_t> exact(c.payload);
    EXPECT_EQ(exifOrientation(exact.empty() ? nullptr : exact.data(), exact.size()), c.orientation);
}

INSTANTIATE_TEST_SUITE_P(Blocks, ExifParse, ::testing::ValuesIn(kExifCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(JpegOrientationDamage, AHostileExifBlockLeavesThePictureAsStored) {
    ScratchFolder folder;
    picwriter::JpegOptions options;
    options.exif = patched(14, {0xFF, 0xFF});
    const std::string path = folder.file("hostile-exif.jpg");
    ASSERT_TRUE(picwriter::writeJpeg(path, cellPicture(), options));
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(picture.width, 3 * kCell);
    EXPECT_EQ(picture.height, 2 * kCell);
}

} // namespace
} // namespace slidora
