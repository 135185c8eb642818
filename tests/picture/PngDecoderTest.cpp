// The PNG decoder against every colour type and depth the writer makes,
// interlaced or not, and against damaged files.
#include "saver/picture/PicLoad.h"
#include "tests/picture/PictureTestSupport.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace slidora {
namespace {

using picwriter::PngColour;
using picwriter::PngOptions;
using test::Rgb;
using test::ScratchFolder;

struct PngCase {
    const char* name;
    PngColour colour;
    int bitDepth;
    bool interlaced;
    bool paletteAlpha = false;
};

class PngVariant : public ::testing::TestWithParam<PngCase> {};

// The colour the decoder should produce for one source pixel.
Rgb expectedColour(const PngCase& c, const Bitmap& source, int x, int y) {
    const std::uint8_t* p =
        source.row(y) + static_cast<std::size_t>(x) * (source.bitsPerPixel() / 8);
    Rgb colour = test::colourAt(source, x, y);
    int alpha = 255;
    switch (c.colour) {
    case PngColour::Palette:
        if (c.paletteAlpha) alpha = (p[0] * 37) & 0xFF;
        break;
    case PngColour::Grey:
    case PngColour::GreyAlpha: {
        int grey = picwriter::greyLevel(p[2], p[1], p[0]);
        if (c.bitDepth < 8) {
            const int top = (1 << c.bitDepth) - 1;
            grey = (grey >> (8 - c.bitDepth)) * 255 / top;
        }
        colour = {grey, grey, grey};
        if (c.colour == PngColour::GreyAlpha) alpha = p[3];
        break;
    }
    case PngColour::Rgb:
        break;
    case PngColour::RgbAlpha:
        alpha = p[3];
        break;
    }
    for (int& channel : colour)
        channel = (channel * alpha + 127) / 255; // over black
    return colour;
}

TEST_P(PngVariant, DecodesToTheSourceColoursOverBlack) {
    const PngCase& c = GetParam();
    ScratchFolder folder;
    const int width = 29;
    const int height = 17;
    Bitmap source;
    if (c.colour == PngColour::Palette)
        source = picwriter::makeIndexedPattern(width, height, c.bitDepth);
    else if (c.colour == PngColour::GreyAlpha || c.colour == PngColour::RgbAlpha)
        source = picwriter::withAlphaRamp(picwriter::makeGradient(width, height));
    else
        source = picwriter::makeGradient(width, height);

    PngOptions options;
    options.colour = c.colour;
    options.bitDepth = c.bitDepth;
    options.interlaced = c.interlaced;
    if (c.paletteAlpha)
        for (std::size_t i = 0; i < source.palette().size(); ++i)
            options.paletteAlpha.push_back(static_cast<std::uint8_t>((i * 37) & 0xFF));
    const std::string path = folder.file(std::string(c.name) + ".png");
    ASSERT_TRUE(picwriter::writePng(path, source, options));

    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(picture.width, width);
    EXPECT_EQ(picture.height, height);
    ASSERT_EQ(picture.bitmap.bitsPerPixel(), 24);
    ASSERT_EQ(picture.bitmap.width(), width);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb want = expectedColour(c, source, x, y);
            const Rgb got = test::colourAt(picture.bitmap, x, y);
            for (int i = 0; i < 3; ++i)
                ASSERT_NEAR(got[i], want[i], 1) << "channel " << i << " at " << x << "," << y;
        }
}

const PngCase kPngCases[] = {
    {"grey1", PngColour::Grey, 1, false},
    {"grey2", PngColour::Grey, 2, false},
    {"grey4", PngColour::Grey, 4, false},
    {"grey8", PngColour::Grey, 8, false},
    {"grey16", PngColour::Grey, 16, false},
    {"grey_alpha8", PngColour::GreyAlpha, 8, false},
    {"grey_alpha16", PngColour::GreyAlpha, 16, false},
    {"rgb8", PngColour::Rgb, 8, false},
    {"rgb16", PngColour::Rgb, 16, false},
    {"rgba8", PngColour::RgbAlpha, 8, false},
    {"rgba16", PngColour::RgbAlpha, 16, false},
    {"palette1", PngColour::Palette, 1, false},
    {"palette2", PngColour::Palette, 2, false},
    {"palette4", PngColour::Palette, 4, false},
    {"palette8", PngColour::Palette, 8, false},
    {"palette8_trns", PngColour::Palette, 8, false, true},
    {"interlaced_rgb8", PngColour::Rgb, 8, true},
    {"interlaced_grey2", PngColour::Grey, 2, true},
    {"interlaced_palette4", PngColour::Palette, 4, true},
    {"interlaced_grey_alpha16", PngColour::GreyAlpha, 16, true},
    {"interlaced_rgba8", PngColour::RgbAlpha, 8, true},
    {"interlaced_palette8_trns", PngColour::Palette, 8, true, true},
};

INSTANTIATE_TEST_SUITE_P(Kinds, PngVariant, ::testing::ValuesIn(kPngCases),
                         [](const auto& test) { return std::string(test.param.name); });

std::uint32_t be32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
           std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}
void putBe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// Offset of the length field of the first chunk of `type`.
std::size_t findChunk(const std::vector<std::uint8_t>& b, const char* type) {
    for (std::size_t at = 8; at + 8 <= b.size(); at += 12 + be32(b, at))
        if (std::equal(type, type + 4, b.begin() + static_cast<std::ptrdiff_t>(at + 4))) return at;
    return std::string::npos;
}

void fixCrc(std::vector<std::uint8_t>& b, std::size_t chunk) {
    const std::uint32_t length = be32(b, chunk);
    const uLong crc = crc32(0, b.data() + chunk + 4, static_cast<uInt>(length + 4));
    putBe32(b, chunk + 8 + length, static_cast<std::uint32_t>(crc));
}

std::string writeNoise(const ScratchFolder& folder, const std::string& name) {
    const std::string path = folder.file(name);
    picwriter::writePng(path, picwriter::makePlasma(64, 64));
    return path;
}

TEST(PngDamage, DamagedCompressedStreamIsInvalid) {
    ScratchFolder folder;
    struct Damage {
        const char* what;
        std::size_t offsetInData; // from the start of the IDAT data
        bool fixCrc;
    };
    const Damage damages[] = {
        {"zlib header", 0, true},
        {"deflate data", 40, true},
        {"deflate data, checksum left wrong", 40, false},
    };
    for (const Damage& damage : damages) {
        const std::string path = writeNoise(folder, "damaged-stream.png");
        std::vector<std::uint8_t> bytes = picwriter::readFileBytes(path);
        const std::size_t idat = findChunk(bytes, "IDAT");
        ASSERT_NE(idat, std::string::npos);
        for (std::size_t i = 0; i < 8; ++i)
            bytes[idat + 8 + damage.offsetInData + i] ^= 0xA5;
        if (damage.fixCrc) fixCrc(bytes, idat);
        ASSERT_TRUE(picwriter::writeFileBytes(path, bytes));
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << damage.what;
        EXPECT_TRUE(picture.bitmap.empty()) << damage.what;
    }
}

TEST(PngDamage, TruncatedFilesAreInvalid) {
    ScratchFolder folder;
    const std::string path = writeNoise(folder, "truncated.png");
    const std::vector<std::uint8_t> bytes = picwriter::readFileBytes(path);
    const std::size_t idat = findChunk(bytes, "IDAT");
    ASSERT_NE(idat, std::string::npos);
    const std::size_t idatEnd = idat + 12 + be32(bytes, idat);
    for (std::size_t keep : {idatEnd - 1, idatEnd - 8, idat + 100, idat, std::size_t{40},
                             std::size_t{8}, std::size_t{3}}) {
        writeNoise(folder, "truncated.png");
        ASSERT_TRUE(test::truncateFile(path, keep));
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << "kept " << keep << " of " << bytes.size();
    }
}

TEST(PngDamage, MissingEndChunkAloneStillShowsThePicture) {
    // Every pixel is present; only the closing IEND chunk was lost.
    ScratchFolder folder;
    const std::string path = folder.file("truncated-after-pixels.png");
    const Bitmap source = picwriter::makePlasma(64, 64);
    ASSERT_TRUE(picwriter::writePng(path, source));
    const std::vector<std::uint8_t> bytes = picwriter::readFileBytes(path);
    const std::size_t end = findChunk(bytes, "IEND");
    ASSERT_EQ(end, bytes.size() - 12);
    ASSERT_TRUE(test::truncateFile(path, end));
    WorkingPicture picture;
    ASSERT_TRUE(PicLoad(path, picture));
    EXPECT_EQ(test::compareColours(source, picture.bitmap).largest, 0);
}

void claimSize(const std::string& path, std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> bytes = picwriter::readFileBytes(path);
    const std::size_t header = findChunk(bytes, "IHDR");
    ASSERT_EQ(header, 8u);
    putBe32(bytes, header + 8, width);
    putBe32(bytes, header + 12, height);
    fixCrc(bytes, header);
    ASSERT_TRUE(picwriter::writeFileBytes(path, bytes));
}

TEST(PngDamage, HugeClaimsAreRefusedBeforeAllocating) {
    ScratchFolder folder;
    const std::pair<std::uint32_t, std::uint32_t> claims[] = {
        {65500, 65500}, // past the pixel limit
        {9000, 9000},   // within it, but the file cannot hold that many pixels
        {0x7FFFFFFF, 1},
    };
    for (const auto& [width, height] : claims) {
        const std::string path = writeNoise(folder, "claims-huge-size.png");
        claimSize(path, width, height);
        test::PeakMemoryProbe probe;
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << width << " x " << height;
        if (probe.available()) {
            EXPECT_LT(probe.riseBytes(), 32 << 20) << width << " x " << height;
        }
    }
}

TEST(PngDamage, ForeignContentNamedPngIsInvalid) {
    ScratchFolder folder;
    const std::string jpeg = folder.file("jpeg-named.png");
    ASSERT_TRUE(picwriter::writeJpeg(jpeg, picwriter::makeGradient(16, 16)));
    const std::string text = folder.file("text-named.png");
    ASSERT_TRUE(picwriter::writeFileBytes(text, {0x89, 'P', 'N', 'G', '?'}));
    for (const std::string& path : {jpeg, text}) {
        WorkingPicture picture;
        EXPECT_FALSE(PicLoad(path, picture)) << path;
    }
}

TEST(PngLoad, DecodesWhateverTheName) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeGradient(10, 6);
    const std::string path = folder.file("png-without-extension");
    ASSERT_TRUE(picwriter::writePng(path, source));
    WorkingPicture picture;
    EXPECT_EQ(PngLoad(path, picture).outcome, DecodeOutcome::Decoded);
    EXPECT_EQ(test::compareColours(source, picture.bitmap).largest, 0);
    WorkingPicture missing;
    EXPECT_EQ(PngLoad(folder.file("missing.png"), missing).outcome, DecodeOutcome::Failed);
    const std::string text = folder.file("text.png");
    ASSERT_TRUE(picwriter::writeFileBytes(text, {'n', 'o'}));
    EXPECT_EQ(PngLoad(text, missing).outcome, DecodeOutcome::Invalid);
}

} // namespace
} // namespace slidora
