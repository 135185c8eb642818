// Choosing the decoder by extension, loading in place, and the answers for
// files that are not pictures.
#include "saver/picture/PicLoad.h"
#include "tests/picture/PictureTestSupport.h"
#include "tests/support/TestNames.h"
#include "tools/picwriter/DemoPictures.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <gtest/gtest.h>

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
