// Choosing the decoder by extension, loading in place, and the answers for
// files that are not pictures.
#include "saver/picture/PicLoad.h"
#include "tests/picture/PictureTestSupport.h"
#include "tests/support/TestNames.h"
#include "tools/picwriter/DemoPictures.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <sys/stat.h>

namespace slidora {
namespace {

using test::testName;

using test::ScratchFolder;

struct ExtensionCase {
    const char* path;
    const char* extension;
    bool hasDecoder;
};

class Extensions : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(Extensions, ChooseTheDecoderByTheLastDotOfTheName) {
    const ExtensionCase& c = GetParam();
    EXPECT_EQ(pictureExtension(c.path), c.extension);
    EXPECT_EQ(pictureDecoderFor(pictureExtension(c.path)) != nullptr, c.hasDecoder);
}

const ExtensionCase kExtensionCases[] = {
    {"/p/a.bmp", ".bmp", true},
    {"/p/a.BMP", ".BMP", true},
    {"/p/a.jpg", ".jpg", true},
    {"/p/a.JpG", ".JpG", true},
    {"/p/a.jpeg", ".jpeg", true},
    {"/p/photo.JPEG", ".JPEG", true},
    {"/p/a.jp", ".jp", true},
    {"/p/a.JP", ".JP", true},
    {"/p/a.png", ".png", true},
    {"/p/a.Png", ".Png", true},
    {"/p/a.b.jpeg", ".jpeg", true},
    {"/p/.jpg", ".jpg", true},
    {"/p/a.gif", ".gif", false},
    {"/p/a.jpe", ".jpe", false},
    {"/p/a.jpgx", ".jpgx", false},
    {"/p/a.pn", ".pn", false},
    {"/p/a.bmp.txt", ".txt", false},
    {"/p/noextension", "", false},
    {"/p.jpg/noextension", "", false},
    {"/p/a.", ".", false},
    {"", "", false},
};

INSTANTIATE_TEST_SUITE_P(Names, Extensions, ::testing::ValuesIn(kExtensionCases),
                         [](const ::testing::TestParamInfo<ExtensionCase>& p) {
                             return testName("path", p.param.path, std::to_string(p.index));
                         });

TEST(PicLoad, JpAndJpegFilesLoadInPlaceWithoutRenamingAnything) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeGradient(48, 32);
    for (const char* name :
         {"photo.JPEG", "a.b.jpeg", "scan.jp", "plain.jpg", "sld_xclash.jpg", "clash.jpeg"})
        ASSERT_TRUE(picwriter::writeJpeg(folder.file(name), source));
    // A read-only file in a read-only folder loads just as well: nothing is written.
    ASSERT_EQ(::chmod(folder.file("scan.jp").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    const std::vector<std::string> before = folder.listing();
    const std::filesystem::path directoryBefore = std::filesystem::current_path();

    for (const char* name : {"photo.JPEG", "a.b.jpeg", "scan.jp", "clash.jpeg"}) {
        WorkingPicture picture;
        ASSERT_TRUE(PicLoad(folder.file(name), picture)) << name;
        EXPECT_EQ(picture.width, 48) << name;
        EXPECT_LE(test::compareColours(source, picture.bitmap).mean, 2.0) << name;
        EXPECT_EQ(folder.listing(), before) << "after " << name;
        EXPECT_EQ(std::filesystem::current_path(), directoryBefore) << "after " << name;
    }
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
}

TEST(PicLoad, NonPicturesAnswerFalseAndLeaveThePictureEmpty) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeGradient(8, 8);
    ASSERT_TRUE(picwriter::writePng(folder.file("picture.gif"), source));
    ASSERT_TRUE(picwriter::writeBmp(folder.file("bitmap-without-extension"), source));
    ASSERT_TRUE(picwriter::writeFileBytes(folder.file("text.jpg"), {'t', 'e', 'x', 't'}));
    std::filesystem::create_directory(folder.file("folder.jpg"));
    std::filesystem::create_directory(folder.file("folder.bmp"));

    WorkingPicture previous;
    ASSERT_TRUE(PicLoad(folder.file("bitmap-without-extension") + ".bmp", previous) == false);
    for (const char* name : {"picture.gif", "bitmap-without-extension", "text.jpg", "folder.jpg",
                             "folder.bmp", "missing.jpg", "missing.png", "missing.bmp"}) {
        WorkingPicture picture;
        ASSERT_TRUE(picwriter::writeBmp(folder.file("good.bmp"), source));
        ASSERT_TRUE(PicLoad(folder.file("good.bmp"), picture));
        EXPECT_FALSE(PicLoad(folder.file(name), picture)) << name;
        EXPECT_TRUE(picture.bitmap.empty()) << name;
        EXPECT_EQ(picture.width, 0) << name;
        EXPECT_EQ(picture.height, 0) << name;
    }
}

TEST(PicLoad, DecodersTellUnreadableFilesFromForeignContent) {
    ScratchFolder folder;
    ASSERT_TRUE(picwriter::writeFileBytes(folder.file("text"),
                                          {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}));
    for (const char* extension : {".bmp", ".jpg", ".png"}) {
        const DecodeFn decode = pictureDecoderFor(extension);
        ASSERT_NE(decode, nullptr) << extension;
        WorkingPicture picture;
        EXPECT_EQ(decode(folder.file("missing"), picture, {}).outcome, DecodeOutcome::Failed)
            << extension;
        EXPECT_EQ(decode(folder.path(), picture, {}).outcome, DecodeOutcome::Failed) << extension;
        const DecodeResult foreign = decode(folder.file("text"), picture, {});
        EXPECT_EQ(foreign.outcome, DecodeOutcome::Invalid) << extension;
        EXPECT_EQ(foreign.message.rfind(folder.file("text"), 0), 0u)
            << "message starts with the path: " << foreign.message;
    }
}

TEST(PicLoad, ThrowingTargetFunctionIsAFailureNotACrash) {
    ScratchFolder folder;
    ASSERT_TRUE(picwriter::writeJpeg(folder.file("a.jpg"), picwriter::makeGradient(64, 64)));
    const TargetSizeFn throwing = [](int, int) -> std::pair<int, int> {
        throw std::runtime_error("no screen");
    };
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(folder.file("a.jpg"), picture, throwing));
    EXPECT_TRUE(picture.bitmap.empty());
}

TEST(PicLoad, WithATargetRowsAreBottomUpAndThePixelsTheSame) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeGradient(61, 37);
    picwriter::BmpOptions topDown;
    topDown.topDown = true;
    picwriter::PngOptions interlaced;
    interlaced.interlaced = true;
    ASSERT_TRUE(picwriter::writeBmp(folder.file("bottom-up.bmp"), source));
    ASSERT_TRUE(picwriter::writeBmp(folder.file("top-down.bmp"), source, topDown));
    ASSERT_TRUE(picwriter::writePng(folder.file("plain.png"), source));
    ASSERT_TRUE(picwriter::writePng(folder.file("interlaced.png"), source, interlaced));
    ASSERT_TRUE(picwriter::writeJpeg(folder.file("photo.jpg"), source));
    const TargetSizeFn fullSize = [](int w, int h) { return std::pair{w, h}; };
    for (const char* name :
         {"bottom-up.bmp", "top-down.bmp", "plain.png", "interlaced.png", "photo.jpg"}) {
        WorkingPicture shown, resampled;
        ASSERT_TRUE(PicLoad(folder.file(name), shown)) << name;
        ASSERT_TRUE(PicLoad(folder.file(name), resampled, fullSize)) << name;
        EXPECT_EQ(shown.bitmap.rowOrder(), RowOrder::TopDown) << name;
        EXPECT_EQ(resampled.bitmap.rowOrder(), RowOrder::BottomUp) << name;
        const test::Difference difference = test::compareColours(shown.bitmap, resampled.bitmap);
        EXPECT_EQ(difference.largest, 0) << name;
    }
}

// Keeps every row a decoder hands on, checking they come in order.
class RecordingSink final : public RowSink {
  public:
    explicit RecordingSink(bool accepts) : m_accepts(accepts) {}

    bool begin(int ownWidth, int ownHeight, int width, int height) override {
        offers.push_back({ownWidth, ownHeight, width, height});
        if (!m_accepts) return false;
        m_width = width;
        rows.assign(static_cast<std::size_t>(height), {});
        return true;
    }
    int rowsAhead() const override { return 3; }
    std::uint8_t* row(int y) noexcept override {
        if (y < m_written || y >= m_written + rowsAhead() || y >= static_cast<int>(rows.size())) {
            outOfTurn = true;
            return m_scratch.data();
        }
        rows[static_cast<std::size_t>(y)].resize(static_cast<std::size_t>(m_width) * 3);
        return rows[static_cast<std::size_t>(y)].data();
    }
    bool written(int count) noexcept override {
        if (count <= m_written || count > static_cast<int>(rows.size())) outOfTurn = true;
        m_written = count;
        return true;
    }

    std::vector<std::array<int, 4>> offers;
    std::vector<std::vector<std::uint8_t>> rows;
    bool outOfTurn = false;

  private:
    bool m_accepts;
    int m_width = 0;
    int m_written = 0;
    std::array<std::uint8_t, 3 * 1024> m_scratch{};
};

struct SinkCase {
    const char* name;
    bool streams; // whether this kind of file can go row by row
};

class Sinks : public ::testing::TestWithParam<SinkCase> {};

// Rows handed to a sink are the rows the decoder would have put in the
// bitmap, top row first; a file that must be decoded whole, and any file
// offered to a sink that declines, fills the bitmap as before.
TEST_P(Sinks, TakeTheBitmapsRowsTopFirstOrLeaveTheBitmapAsItWas) {
    ScratchFolder folder;
    const Bitmap source = picwriter::makeGradient(61, 37);
    const std::string name = GetParam().name;
    const std::string path = folder.file(name);
    picwriter::BmpOptions bmp;
    bmp.topDown = name == "top_down.bmp";
    bmp.bitsPerPixel = name == "bitfields_16.bmp" ? 16 : name == "indexed.bmp" ? 8 : 24;
    bmp.bitfields = name == "bitfields_16.bmp";
    picwriter::PngOptions png;
    png.interlaced = name == "interlaced.png";
    picwriter::JpegOptions jpeg;
    if (name == "cmyk.jpg") jpeg.colour = picwriter::JpegColour::Cmyk;
    if (name == "turned.jpg") jpeg.exif = picwriter::exifOrientationBlock(6, false);
    const std::string extension = pictureExtension(name);
    if (extension == ".bmp") {
        const Bitmap indexed = picwriter::makeIndexedPattern(61, 37, 8);
        ASSERT_TRUE(picwriter::writeBmp(path, bmp.bitsPerPixel == 8 ? indexed : source, bmp));
    } else if (extension == ".png") {
        ASSERT_TRUE(picwriter::writePng(path, source, png));
    } else {
        ASSERT_TRUE(picwriter::writeJpeg(path, source, jpeg));
    }
    const TargetSizeFn target = [](int w, int h) { return std::pair{w / 2, h / 2}; };
    WorkingPicture whole;
    ASSERT_TRUE(PicLoad(path, whole, target));

    RecordingSink accepting(true);
    WorkingPicture streamed;
    streamed.sink = &accepting;
    ASSERT_TRUE(PicLoad(path, streamed, target));
    EXPECT_EQ(streamed.streamed, GetParam().streams);
    EXPECT_EQ(streamed.width, whole.width);
    EXPECT_EQ(streamed.height, whole.height);
    if (GetParam().streams) {
        ASSERT_EQ(accepting.offers.size(), 1u);
        EXPECT_EQ(accepting.offers[0],
                  (std::array<int, 4>{whole.width, whole.height, whole.bitmap.width(),
                                      whole.bitmap.height()}));
        EXPECT_FALSE(accepting.outOfTurn);
        EXPECT_TRUE(streamed.bitmap.empty());
        ASSERT_EQ(accepting.rows.size(), static_cast<std::size_t>(whole.bitmap.height()));
        for (int y = 0; y < whole.bitmap.height(); ++y)
            ASSERT_TRUE(std::equal(accepting.rows[static_cast<std::size_t>(y)].begin(),
                                   accepting.rows[static_cast<std::size_t>(y)].end(),
                                   whole.bitmap.row(y)))
                << "row " << y;
    } else {
        EXPECT_EQ(test::compareColours(whole.bitmap, streamed.bitmap).largest, 0);
    }

    RecordingSink declining(false);
    WorkingPicture declined;
    declined.sink = &declining;
    ASSERT_TRUE(PicLoad(path, declined, target));
    EXPECT_FALSE(declined.streamed);
    EXPECT_EQ(declining.offers.size(), GetParam().streams ? 1u : 0u);
    EXPECT_EQ(test::compareColours(whole.bitmap, declined.bitmap).largest, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Sinks,
    ::testing::Values(SinkCase{"bottom_up.bmp", true}, SinkCase{"top_down.bmp", true},
                      SinkCase{"bitfields_16.bmp", true}, SinkCase{"indexed.bmp", false},
                      SinkCase{"plain.png", true}, SinkCase{"interlaced.png", false},
                      SinkCase{"photo.jpg", true}, SinkCase{"cmyk.jpg", true},
                      SinkCase{"turned.jpg", false}),
    [](const auto& test) { return testName(test.param.name); });

TEST(DemoPictures, WritesADozenVariedLoadablePicturesAndOverwritesOnTheSecondRun) {
    ScratchFolder folder;
    const std::string demo = folder.file("demo");
    std::string error;
    ASSERT_TRUE(picwriter::writeDemoPictures(demo, error)) << error;
    const std::vector<std::string> firstListing = folder.listing();
    ASSERT_TRUE(picwriter::writeDemoPictures(demo, error)) << error;
    EXPECT_EQ(folder.listing(), firstListing);

    const std::vector<picwriter::DemoPicture> list = picwriter::demoPictureList();
    EXPECT_GE(list.size(), 12u);
    bool portrait = false, inSubfolder = false, jpegName = false;
    std::set<std::string> kinds;
    for (const picwriter::DemoPicture& demoPicture : list) {
        const std::string path = demo + "/" + demoPicture.relativePath;
        EXPECT_GT(std::filesystem::file_size(path), 10u * 1024) << path;
        WorkingPicture picture;
        ASSERT_TRUE(PicLoad(path, picture)) << path;
        EXPECT_EQ(picture.width, demoPicture.width) << path;
        EXPECT_EQ(picture.height, demoPicture.height) << path;
        EXPECT_GE(std::max(picture.width, picture.height), 640) << path;
        EXPECT_LE(std::max(picture.width, picture.height), 3000) << path;
        portrait = portrait || picture.height > picture.width;
        inSubfolder = inSubfolder || demoPicture.relativePath.find('/') != std::string::npos;
        jpegName = jpegName || pictureExtension(path) == ".jpeg";
        kinds.insert(pictureExtension(path));
    }
    EXPECT_TRUE(portrait);
    EXPECT_TRUE(inSubfolder);
    EXPECT_TRUE(jpegName);
    EXPECT_TRUE(kinds.count(".jpg") && kinds.count(".png") && kinds.count(".bmp"));
}

} // namespace
} // namespace slidora
