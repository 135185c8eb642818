// Every decoder gives up a picture that is no longer wanted: it looks for a
// stop often enough while it works, and answers Stopped, not a broken file,
// wherever the stop lands.
#include "saver/picture/PicLoad.h"
#include "saver/picture/StopRequest.h"
#include "tests/picture/PictureTestSupport.h"
#include "tests/support/TestNames.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <gtest/gtest.h>

namespace slidora {
namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 1024;

struct StopCase {
    const char* name;
    const char* extension;
    bool (*write)(const std::string& path);
    // The fewest looks for a stop the decode of a kWidth x kHeight picture
    // must make: the rows between two looks bound how long a stop waits.
    int minimumLooks;
};

const StopCase kStopCases[] = {
    {"jpeg_baseline", ".jpg",
     [](const std::string& p) {
         return picwriter::writeJpeg(p, picwriter::makePlasma(kWidth, kHeight));
     },
     kHeight / 16},
    // The scans are read in before any row comes out; both phases look.
    {"jpeg_progressive", ".jpg",
     [](const std::string& p) {
         picwriter::JpegOptions options;
         options.progressive = true;
         return picwriter::writeJpeg(p, picwriter::makePlasma(kWidth, kHeight), options);
     },
     2 * kHeight / 16},
    {"jpeg_turned", ".jpg",
     [](const std::string& p) {
         picwriter::JpegOptions options;
         options.exif = picwriter::exifOrientationBlock(6, false);
         return picwriter::writeJpeg(p, picwriter::makePlasma(kWidth, kHeight), options);
     },
     kHeight / 16},
    {"png", ".png",
     [](const std::string& p) {
         return picwriter::writePng(p, picwriter::makePlasma(kWidth, kHeight));
     },
     kHeight},
    {"png_interlaced", ".png",
     [](const std::string& p) {
         picwriter::PngOptions options;
         options.interlaced = true;
         return picwriter::writePng(p, picwriter::makePlasma(kWidth, kHeight), options);
     },
     7 * kHeight},
    {"bmp_24bit_read_whole", ".bmp",
     [](const std::string& p) {
         return picwriter::writeBmp(p, picwriter::makeGradient(kWidth, kHeight));
     },
     kHeight / 64},
    {"bmp_8bit_row_by_row", ".bmp",
     [](const std::string& p) {
         picwriter::BmpOptions options;
         options.bitsPerPixel = 8;
         return picwriter::writeBmp(p, picwriter::makeIndexedPattern(kWidth, kHeight, 8), options);
     },
     kHeight / 64},
    {"bmp_rle8", ".bmp",
     [](const std::string& p) {
         picwriter::BmpOptions options;
         options.bitsPerPixel = 8;
         options.rle = true;
         return picwriter::writeBmp(p, picwriter::makeIndexedPattern(kWidth, kHeight, 8), options);
     },
     // One at every end of line; the last row ends the bitmap instead.
     kHeight - 1},
};

// Counts the looks and answers yes from look `stopAt` on (never when 0).
struct StopAfter {
    int stopAt = 0;
    int looks = 0;
    StopCheck check() {
        return [this] { return ++looks >= stopAt && stopAt > 0; };
    }
};

class DecoderStop : public ::testing::TestWithParam<StopCase> {
  protected:
    void SetUp() override {
        path = folder.file(std::string("picture") + GetParam().extension);
        ASSERT_TRUE(GetParam().write(path));
    }
    // Decoding for a target, as the preparation does.
    DecodeOutcome decode(StopAfter& stop, WorkingPicture& picture) const {
        const StopScope scope(stop.check());
        const DecodeFn decoder = pictureDecoderFor(GetParam().extension);
        return decoder(path, picture, [](int w, int h) { return std::pair{w, h}; }).outcome;
    }

    test::ScratchFolder folder;
    std::string path;
};

TEST_P(DecoderStop, LooksForAStopBetweenFewRowsAndDecodesWhenNoneComes) {
    StopAfter never;
    WorkingPicture picture;
    EXPECT_EQ(decode(never, picture), DecodeOutcome::Decoded);
    EXPECT_GE(never.looks, GetParam().minimumLooks);
    EXPECT_EQ(picture.bitmap.height() * picture.bitmap.width(), kWidth * kHeight);
}

TEST_P(DecoderStop, AStopAtTheFirstMiddleOrLastLookEndsTheDecodeAsStopped) {
    StopAfter never;
    WorkingPicture full;
    ASSERT_EQ(decode(never, full), DecodeOutcome::Decoded);
    for (const int stopAt : {1, never.looks / 2, never.looks}) {
        StopAfter stop{stopAt};
        WorkingPicture picture;
        EXPECT_EQ(decode(stop, picture), DecodeOutcome::Stopped) << "stop at look " << stopAt;
        EXPECT_EQ(stop.looks, stopAt) << "no look after the stop";
    }
}

TEST_P(DecoderStop, PicLoadAnswersFalseAndLeavesThePictureEmpty) {
    StopAfter now{1};
    const StopScope scope(now.check());
    WorkingPicture picture;
    EXPECT_FALSE(PicLoad(path, picture, [](int w, int h) { return std::pair{w, h}; }));
    EXPECT_TRUE(picture.bitmap.empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, DecoderStop, ::testing::ValuesIn(kStopCases), test::CaseName{});

TEST(StopScope, InnerScopeAnswersUntilItEndsAndNoScopeNeverStops) {
    EXPECT_FALSE(stopRequested());
    {
        const StopScope outer([] { return false; });
        {
            const StopScope inner([] { return true; });
            EXPECT_TRUE(stopRequested());
        }
        EXPECT_FALSE(stopRequested());
    }
    const StopScope empty{StopCheck{}};
    EXPECT_FALSE(stopRequested());
}

} // namespace
} // namespace slidora
