#include "saver/Layout.h"

#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <ostream>

namespace slidora {
namespace {

using test::testName;

struct StretchCase {
    const char* trap;
    int pictureWidth, pictureHeight;
    float maxMagnification;
    Placement expected;
};

std::ostream& operator<<(std::ostream& os, const StretchCase& c) {
    return os << c.trap << " (" << c.pictureWidth << "x" << c.pictureHeight << ", mag "
              << c.maxMagnification << ")";
}

class StretchSizeIn1026x770 : public ::testing::TestWithParam<StretchCase> {};

TEST_P(StretchSizeIn1026x770, GivesSizeAndCorner) {
    const StretchCase& c = GetParam();
    const Placement p = StretchSize(c.pictureWidth, c.pictureHeight, 1026, 770, c.maxMagnification);
    EXPECT_EQ(p.width, c.expected.width);
    EXPECT_EQ(p.height, c.expected.height);
    EXPECT_EQ(p.x, c.expected.x);
    EXPECT_EQ(p.y, c.expected.y);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, StretchSizeIn1026x770,
    ::testing::Values(
        StretchCase{
            "enlarged, cut to the maximum magnification", 640, 480, 1.5f, {33, 25, 960, 720}},
        StretchCase{"reduced by width", 3000, 2000, 1.5f, {0, 43, 1026, 684}},
        StretchCase{"reduced by height", 800, 1200, 1.5f, {256, 0, 513, 770}},
        StretchCase{"full width, factor 1", 1026, 500, 1.5f, {0, 135, 1026, 500}},
        StretchCase{"enlarged, then limited by height", 600, 700, 1.5f, {183, 0, 660, 770}},
        StretchCase{"exactly the window", 1026, 770, 1.5f, {0, 0, 1026, 770}},
        StretchCase{"magnification below 1 shrinks a fitting picture",
                    640,
                    480,
                    0.8f,
                    {257, 193, 512, 384}},
        StretchCase{"magnification below 1 on a window-sized picture",
                    1026,
                    770,
                    0.5f,
                    {256, 192, 513, 385}},
        StretchCase{"wide strip reduced by width", 2000, 100, 1.5f, {0, 359, 1026, 51}},
        StretchCase{
            "reduced by width, height lands one short", 4000, 3000, 1.5f, {0, 0, 1026, 769}},
        StretchCase{"reduced by width then height", 3000, 3000, 1.5f, {128, 0, 769, 770}},
        // The float factor 1026/343 is a little below the true ratio, so the
        // enlarged width is one short of the window; a double factor gives 1026.
        StretchCase{
            "single-precision factor: width one short", 343, 100, 3.0f, {0, 235, 1025, 299}},
        // Same for the height limit: float(770/300) x 300 = 769.99...
        StretchCase{
            "single-precision factor: height one short", 300, 300, 3.0f, {128, 0, 769, 769}},
        StretchCase{"tiny picture at magnification 1", 10, 10, 1.0f, {508, 380, 10, 10}},
        StretchCase{"one-pixel-thin panorama keeps one row", 100000, 1, 1.5f, {0, 384, 1026, 1}},
        StretchCase{"magnification 0 keeps one pixel", 640, 480, 0.0f, {512, 384, 1, 1}}),
    [](const ::testing::TestParamInfo<StretchCase>& p) { return testName(p.param.trap); });

TEST(StretchSize, NonPositivePictureSizeGivesEmptyPlacementAtCentre) {
    for (const auto& [w, h] : {std::pair{0, 480}, std::pair{640, 0}, std::pair{-5, 10}}) {
        const Placement p = StretchSize(w, h, 1026, 770, 1.5f);
        EXPECT_EQ(p.width, 0) << w << "x" << h;
        EXPECT_EQ(p.height, 0) << w << "x" << h;
        EXPECT_EQ(p.x, 513);
        EXPECT_EQ(p.y, 385);
    }
}

TEST(StretchSize, OtherWindowSizes) {
    // 1920 x 1080: a 4000 x 3000 photo is limited by height.
    Placement p = StretchSize(4000, 3000, 1920, 1080, 1.5f);
    EXPECT_EQ(p.width, 1440);
    EXPECT_EQ(p.height, 1080);
    EXPECT_EQ(p.x, 240);
    EXPECT_EQ(p.y, 0);
    p = StretchSize(5000, 10, 1920, 1080, 1.5f);
    EXPECT_EQ(p.width, 1920);
    EXPECT_EQ(p.height, 3);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 538);
}

} // namespace
} // namespace slidora
