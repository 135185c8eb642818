// The JPEG decoder against files written by the picture writer, at full and
// reduced scale, and against damaged files.
#include "saver/picture/PicLoad.h"
#include "tests/picture/PictureTestSupport.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace slidora {
namespace {

using picwriter::JpegColour;
using picwriter::JpegOptions;
using test::ScratchFolder;

// Offset of the first marker `code` (FF code) in a JPEG file, or npos.
std::size_t findMarker(const std::vector<std::uint8_t>& bytes, std::uint8_t code) {
    for (std::size_t i = 2; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == code) return i;
    return std::string::npos;
}

struct JpegCase {
    const char* name;
    JpegOptions options;
    int largestDifference;
    double meanDifference;
};

class JpegVariant : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegVariant, DecodesCloseToTheSource) {
    const JpegCase& c = GetParam();
    ScratchFolder folder;
    Bitmap source = picwriter::makeGradient(67, 45);
    if (c.options.colour == JpegColour::Grey)
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x) {
                std::uint8_t* p = source.row(y) + 3 * x;
                p[0] = p[1] = p[2] = picwriter::greyLevel(p[2], p[1], p[0]);
            }
    const std::string path = folder.file(std::string(c.name) + ".jpg");
    ASSERT_TRUE(picwriter::writeJpeg(path, source, c.options));

    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(picture.width, 67);
    EXPECT_EQ(picture.height, 45);
    ASSERT_EQ(picture.bitmap.bitsPerPixel(), 24);
    const test::Difference difference = test::compareColours(source, picture.bitmap);
    EXPECT_LE(difference.largest, c.largestDifference);
    EXPECT_LE(difference.mean, c.meanDifference);
}

JpegOptions jpeg(bool progressive, JpegColour colour) {
    JpegOptions options;
    options.quality = 95;
    options.progressive = progressive;
    options.colour = colour;
    return options;
}

const JpegCase kJpegCases[] = {
    {"baseline", jpeg(false, JpegColour::Rgb), 24, 2.0},
    {"progressive", jpeg(true, JpegColour::Rgb), 24, 2.0},
    {"grey", jpeg(false, JpegColour::Grey), 8, 1.0},
    {"grey_progressive", jpeg(true, JpegColour::Grey), 8, 1.0},
    {"cmyk_adobe", jpeg(false, JpegColour::Cmyk), 24, 2.5},
};

INSTANTIATE_TEST_SUITE_P(Kinds, JpegVariant, ::testing::ValuesIn(kJpegCases),
                         [](const auto& test) { return std::string(test.param.name); });

struct ScaleCase {
    int targetWidth;
    int targetHeight;
    int decodedWidth;
    int decodedHeight;
};

class JpegScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(JpegScale, ReducedDecodeKeepsTheFileSizeAndCoversTheTarget) {
    const ScaleCase& c = GetParam();
    ScratchFolder folder;
    const Bitmap source = picwriter::makeGradient(803, 601);
    const std::string path = folder.file("scaled.jpg");
    ASSERT_TRUE(picwriter::writeJpeg(path, source));

    int seenWidth = 0;
    int seenHeight = 0;
    const TargetSizeFn target = [&](int width, int height) {
        seenWidth = width;
        seenHeight = height;
        return std::pair{c.targetWidth, c.targetHeight};
    };
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture, target));
    EXPECT_EQ(seenWidth, 803);
    EXPECT_EQ(seenHeight, 601);
    EXPECT_EQ(picture.width, 803);
    EXPECT_EQ(picture.height, 601);
    EXPECT_EQ(picture.bitmap.width(), c.decodedWidth);
    EXPECT_EQ(picture.bitmap.height(), c.decodedHeight);
    if (c.targetWidth > 0 && c.targetHeight > 0) {
        EXPECT_GE(picture.bitmap.width(), std::min(c.targetWidth, 803));
        EXPECT_GE(picture.bitmap.height(), std::min(c.targetHeight, 601));
    }
    // The reduced picture still shows the gradient: compare with the source
    // pixel at the centre of each reduced pixel's footprint.
    const double factor = 803.0 / picture.bitmap.width();
    for (int y = 0; y < picture.bitmap.height(); y += 7)
        for (int x = 0; x < picture.bitmap.width(); x += 7) {
            const int sx = std::min(802, static_cast<int>((x + 0.5) * factor));
            const int sy = std::min(600, static_cast<int>((y + 0.5) * factor));
            const test::Rgb want = test::colourAt(source, sx, sy);
            const test::Rgb got = test::colourAt(picture.bitmap, x, y);
            for (int i = 0; i < 3; ++i)
                ASSERT_NEAR(got[i], want[i], 12) << x << "," << y;
        }
}

// The smallest M/8 that covers the target; libjpeg rounds each side up.
const ScaleCase kScaleCases[] = {
    {803, 601, 803, 601}, {900, 700, 803, 601}, // as large or larger: full size
    {700, 500, 703, 526}, {600, 450, 603, 451}, // 7/8, 6/8
    {402, 301, 402, 301}, {403, 10, 502, 376},  // 4/8 is 402 x 301, 5/8 502 x 376
    {202, 151, 302, 226},                       // 3/8
    {201, 151, 201, 151},                       // 2/8
    {101, 76, 101, 76},   {1, 1, 101, 76},      // 1/8 is 101 x 76, never smaller
    {101, 77, 201, 151},  {0, 0, 803, 601},     // no usable target: full size
    {-5, 100, 803, 601},
};

std::string scaleCaseName(const ::testing::TestParamInfo<ScaleCase>& test) {
    auto side = [](int v) { return v < 0 ? "minus" + std::to_string(-v) : std::to_string(v); };
    return "target_" + side(test.param.targetWidth) + "x" + side(test.param.targetHeight);
}

INSTANTIATE_TEST_SUITE_P(Targets, JpegScale, ::testing::ValuesIn(kScaleCases), scaleCaseName);

TEST(JpegScale, OtherDecodersIgnoreTheTarget) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeGradient(64, 48);
    const TargetSizeFn target = [](int, int) { return std::pair{8, 6}; };
    ASSERT_TRUE(picwriter::writePng(folder.file("a.png"), source));
    ASSERT_TRUE(picwriter::writeBmp(folder.file("a.bmp"), source));
    for (const char* name : {"a.png", "a.bmp"}) {
        WorkingPicture picture;
        ASSERT_TRUE(PicLoad(folder.file(name), picture, target)) << name;
        EXPECT_EQ(picture.bitmap.width(), 64) << name;
        EXPECT_EQ(picture.bitmap.height(), 48) << name;
    }
}

TEST(JpegDamage, TruncatedInTheDataIsShownWithWhatArrived) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeGradient(96, 96);
    const std::string path = folder.file("truncated.jpg");
    ASSERT_TRUE(picwriter::writeJpeg(path, source));
    const std::size_t full = picwriter::readFileBytes(path).size();
    ASSERT_TRUE(test::truncateFile(path, full * 2 / 3));

    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(picture.width, 96);
    EXPECT_EQ(picture.height, 96);
    Bitmap top;
    ASSERT_TRUE(top.allocate(96, 16, 24));
    Bitmap decodedTop;
    ASSERT_TRUE(decodedTop.allocate(96, 16, 24));
    for (int y = 0; y < 16; ++y) {
        std::copy(source.row(y), source.row(y) + 96 * 3, top.row(y));
        std::copy(picture.bitmap.row(y), picture.bitmap.row(y) + 96 * 3, decodedTop.row(y));
    }
    EXPECT_LE(test::compareColours(top, decodedTop).mean, 2.0);
}

TEST(JpegDamage, TruncatedInTheHeadersIsInvalid) {
    ScratchFolder folder;
    const std::string path = folder.file("truncated-header.jpg");
    ASSERT_TRUE(picwriter::writeJpeg(path, picwriter::makeGradient(32, 32)));
    const std::size_t startOfScan = findMarker(picwriter::readFileBytes(path), 0xDA);
    ASSERT_NE(startOfScan, std::string::npos);
    for (std::size_t keep : {std::size_t{0}, std::size_t{2}, std::size_t{100}, startOfScan}) {
        ASSERT_TRUE(picwriter::writeJpeg(path, picwriter::makeGradient(32, 32)));
        ASSERT_TRUE(test::truncateFile(path, keep));
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << "kept " << keep;
        EXPECT_TRUE(picture.bitmap.empty());
    }
}

void setFrameSize(const std::string& path, int width, int height) {
    const std::size_t frame = findMarker(picwriter::readFileBytes(path), 0xC0);
    ASSERT_NE(frame, std::string::npos);
    ASSERT_TRUE(
        test::patchFile(path, frame + 5,
                        {static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
                         static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width)}));
}

TEST(JpegDamage, HeaderClaiming65500SquaredIsRefusedBeforeAllocating) {
    ScratchFolder folder;
    const std::string path = folder.file("claims-65500-squared.jpg");
    ASSERT_TRUE(picwriter::writeJpeg(path, picwriter::makeGradient(32, 32)));
    setFrameSize(path, 65500, 65500);
    test::PeakMemoryProbe probe;
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(path, picture));
    if (probe.available()) {
        EXPECT_LT(probe.riseBytes(), 32 << 20);
    }
}

TEST(JpegDamage, ZeroSizedFrameIsInvalid) {
    ScratchFolder folder;
    const std::string path = folder.file("zero-width.jpg");
    ASSERT_TRUE(picwriter::writeJpeg(path, picwriter::makeGradient(32, 32)));
    setFrameSize(path, 0, 32);
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(path, picture));
}

TEST(JpegDamage, EndlessProgressiveScansAreCutOff) {
    ScratchFolder folder;
    const std::string path = folder.file("thousands-of-scans.jpg");
    ASSERT_TRUE(
        picwriter::writeJpeg(path, picwriter::makeGradient(16, 16), jpeg(true, JpegColour::Rgb)));
    WorkingPicture sane;
    ASSERT_TRUE(PicLoad(path, sane));

    // libjpeg only warns about a scan that adds nothing, so without a limit
    // the file decodes, slowly.
    const std::vector<std::uint8_t> endless =
        picwriter::repeatFirstScan(picwriter::readFileBytes(path), 1200);
    ASSERT_FALSE(endless.empty());
    ASSERT_TRUE(picwriter::writeFileBytes(path, endless));
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(path, picture));
}

TEST(JpegDamage, ManyScansOverALargePictureAreCutOffBelowTheScanLimit) {
    ScratchFolder folder;
    const std::string path = folder.file("4096-squared-900-scans.jpg");
    Bitmap flat;
    ASSERT_TRUE(flat.allocate(4096, 4096, 24));
    ASSERT_TRUE(picwriter::writeJpeg(path, flat, jpeg(true, JpegColour::Rgb)));
    const TargetSizeFn eighth = [](int, int) { return std::pair{512, 512}; };
    WorkingPicture sane;
    ASSERT_TRUE(PicLoad(path, sane, eighth)) << "an ordinary progressive picture this large";

    // Fewer scans than the scan limit, each a walk over 16 megapixels'
    // coefficients: without a bound on that work it decodes after seconds.
    const std::vector<std::uint8_t> crafted =
        picwriter::repeatFirstScan(picwriter::readFileBytes(path), 900);
    ASSERT_FALSE(crafted.empty());
    ASSERT_TRUE(picwriter::writeFileBytes(path, crafted));
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(path, picture, eighth));
}

TEST(JpegDamage, ForeignContentNamedJpegIsInvalid) {
    ScratchFolder folder;
    const std::string png = folder.file("png-named.jpg");
    ASSERT_TRUE(picwriter::writePng(png, picwriter::makeGradient(16, 16)));
    const std::string bmpFile = folder.file("bmp-named.jpeg");
    ASSERT_TRUE(picwriter::writeBmp(bmpFile, picwriter::makeGradient(16, 16)));
    const std::string text = folder.file("text-named.jpg");
    ASSERT_TRUE(picwriter::writeFileBytes(text, {'h', 'e', 'l', 'l', 'o', '\n'}));
    const std::string empty = folder.file("empty.jp");
    ASSERT_TRUE(picwriter::writeFileBytes(empty, {}));
    for (const std::string& path : {png, bmpFile, text, empty}) {
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << path;
        EXPECT_TRUE(picture.bitmap.empty()) << path;
    }
}

} // namespace
} // namespace slidora
