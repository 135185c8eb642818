// The filter's output, byte for byte, against its arithmetic written plainly:
// every build of its loops must give exactly these pictures.
#include "libs/resize32/Resampler.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace slidora::test {
namespace {

namespace r32 = slidora::resize32;

// Per output sample along one axis: the first source sample and the
// weights, Lanczos-3 widened by the factor when reducing, Catmull-Rom
// otherwise, normalised in double. (The filter also drops zero weights at
// the ends; adding their zero products changes no sum.)
using Taps = std::pair<int, std::vector<float>>;

std::vector<Taps> referenceTaps(int in, int out) {
    const bool reducing = out < in;
    const double scale = static_cast<double>(in) / out;
    const double filterScale = reducing ? scale : 1.0;
    const double support = (reducing ? 3.0 : 2.0) * filterScale;
    std::vector<Taps> taps;
    for (int i = 0; i < out; ++i) {
        const double center = (i + 0.5) * scale;
        const int lo = std::max(0, static_cast<int>(std::floor(center - support)));
        const int hi = std::min(in, static_cast<int>(std::ceil(center + support)));
        std::vector<double> w;
        for (int s = lo; s < hi; ++s) {
            const double x = std::fabs((s + 0.5 - center) / filterScale);
            const double a = 3.14159265358979323846 * x;
            if (reducing)
                w.push_back(x < 1e-9   ? 1.0
                            : x >= 3.0 ? 0.0
                                       : 3.0 * std::sin(a) * std::sin(a / 3.0) / (a * a));
            else
                w.push_back(x < 1.0   ? (1.5 * x - 2.5) * x * x + 1.0
                            : x < 2.0 ? ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0
                                      : 0.0);
        }
        const double sum = std::accumulate(w.begin(), w.end(), 0.0);
        taps.emplace_back(lo, std::vector<float>());
        for (const double v : w)
            taps.back().second.push_back(static_cast<float>(v / sum));
    }
    return taps;
}

// Each output byte as a sum down the columns, then one along the row, each
// over its taps in order.
std::vector<std::uint8_t> referenceResample(const r32::SourceImage& in, int toWidth, int toHeight) {
    const std::vector<Taps> along = referenceTaps(in.width, toWidth);
    std::vector<std::uint8_t> out;
    std::vector<float> column(static_cast<std::size_t>(in.width) * 3);
    for (const Taps& v : referenceTaps(in.height, toHeight)) {
        for (int i = 0; i < in.width * 3; ++i) {
            float sum = 0.0f;
            for (std::size_t k = 0; k < v.second.size(); ++k)
                sum += v.second[k] *
                       static_cast<float>(
                           in.top[(v.first + static_cast<std::ptrdiff_t>(k)) * in.rowStep +
                                  i / 3 * in.bytesPerPixel + i % 3]);
            column[i] = sum;
        }
        for (const Taps& h : along) {
            for (int c = 0; c < 3; ++c) {
                float sum = 0.0f;
                for (std::size_t k = 0; k < h.second.size(); ++k)
                    sum += h.second[k] * column[(h.first + k) * 3 + c];
                out.push_back(static_cast<std::uint8_t>(std::clamp(sum, 0.0f, 255.0f) + 0.5f));
            }
        }
    }
    return out;
}

// Pseudo-random bytes, the same for a seed on every machine.
std::vector<std::uint8_t> noise(std::size_t bytes, std::uint32_t seed) {
    std::vector<std::uint8_t> pixels(bytes);
    for (std::uint8_t& b : pixels)
        b = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    return pixels;
}

struct ResampleCase {
    const char* name;
    int width, height, bpp;
    bool bottomUp;
    int toWidth, toHeight;
};

class ResamplerOutput : public ::testing::TestWithParam<std::tuple<ResampleCase, r32::RowLoops>> {};

TEST_P(ResamplerOutput, MatchesThePlainArithmetic) {
    const auto& [c, loops] = GetParam();
    // Noise: full-range steps make the lobes overshoot, so clamping is met too.
    const std::vector<std::uint8_t> pixels =
        noise(static_cast<std::size_t>(c.width) * c.height * c.bpp, 12345);
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(c.width) * c.bpp;
    const r32::SourceImage source{pixels.data() + (c.bottomUp ? (c.height - 1) * rowBytes : 0),
                                  c.bottomUp ? -rowBytes : rowBytes, c.width, c.height, c.bpp};
    std::vector<std::uint8_t> got(static_cast<std::size_t>(c.toWidth) * c.toHeight * 3);
    r32::resample(source, r32::TargetImage{got.data(), c.toWidth * 3, c.toWidth, c.toHeight},
                  loops);
    const std::vector<std::uint8_t> want = referenceResample(source, c.toWidth, c.toHeight);
    const auto diff = std::mismatch(got.begin(), got.end(), want.begin());
    ASSERT_EQ(diff.first, got.end()) << "byte " << (diff.first - got.begin()) << " is "
                                     << int(*diff.first) << ", not " << int(*diff.second);
}

// The case's name and which build of the loops ran it.
template <class Case>
std::string caseName(const ::testing::TestParamInfo<std::tuple<Case, r32::RowLoops>>& info) {
    return testName(std::get<0>(info.param).name,
                    std::get<1>(info.param) == r32::RowLoops::Widest ? "widest" : "baseline");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResamplerOutput,
    ::testing::Combine(
        ::testing::Values(ResampleCase{"one_pixel", 1, 1, 3, false, 1, 1},
                          ResampleCase{"one_pixel_spread", 1, 1, 4, true, 5, 3},
                          ResampleCase{"tiny_enlarged", 3, 7, 3, false, 11, 23},
                          ResampleCase{"tiny_reduced", 7, 3, 4, true, 2, 1},
                          ResampleCase{"reduced_odd", 129, 77, 3, true, 50, 33},
                          ResampleCase{"enlarged", 64, 48, 4, false, 97, 75},
                          ResampleCase{"narrowed_heightened", 300, 20, 3, true, 70, 61},
                          ResampleCase{"same_size", 37, 29, 3, false, 37, 29},
                          ResampleCase{"rows_past_a_chunk", 1100, 40, 3, true, 413, 15},
                          ResampleCase{"rows_past_a_chunk_32bit", 1100, 40, 4, false, 1501, 9},
                          ResampleCase{"two_threads", 1200, 900, 3, true, 700, 800}),
        ::testing::Values(r32::RowLoops::Widest, r32::RowLoops::Baseline)),
    caseName<ResampleCase>);

// A picture fed to a row stream, rowsAhead rows at a time, must come out as
// resample() makes it from the whole picture, whichever thread makes which
// rows and however often the ring of rows wraps.
struct StreamCase {
    const char* name;
    int width, height;
    int toWidth, toHeight;
    int rowsAhead;
};

class RowStreamOutput : public ::testing::TestWithParam<std::tuple<StreamCase, r32::RowLoops>> {};

TEST_P(RowStreamOutput, GivesTheWholePicturesBytes) {
    if (!r32::RowStream::supported()) GTEST_SKIP() << "this build resamples whole pictures only";
    const auto& [c, loops] = GetParam();
    const auto rowBytes = static_cast<std::size_t>(c.width) * 3;
    const std::vector<std::uint8_t> pixels = noise(rowBytes * c.height, 777);
    const r32::SourceImage whole{pixels.data(), static_cast<std::ptrdiff_t>(rowBytes), c.width,
                                 c.height, 3};
    const auto targetBytes = static_cast<std::size_t>(c.toWidth) * c.toHeight * 3;
    std::vector<std::uint8_t> want(targetBytes);
    r32::resample(whole, r32::TargetImage{want.data(), c.toWidth * 3, c.toWidth, c.toHeight},
                  loops);

    std::vector<std::uint8_t> got(targetBytes, 0xAB);
    {
        r32::RowStream stream(c.width, c.height,
                              r32::TargetImage{got.data(), c.toWidth * 3, c.toWidth, c.toHeight},
                              c.rowsAhead, loops);
        for (int y0 = 0; y0 < c.height; y0 += c.rowsAhead) {
            const int y1 = std::min(c.height, y0 + c.rowsAhead);
            std::vector<std::uint8_t*> places;
            for (int y = y0; y < y1; ++y)
                places.push_back(stream.row(y));
            for (int y = y0; y < y1; ++y)
                std::copy_n(pixels.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes,
                            places[static_cast<std::size_t>(y - y0)]);
            stream.written(y1);
        }
        stream.finish();
    }
    const auto diff = std::mismatch(got.begin(), got.end(), want.begin());
    ASSERT_EQ(diff.first, got.end()) << "byte " << (diff.first - got.begin()) << " is "
                                     << int(*diff.first) << ", not " << int(*diff.second);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RowStreamOutput,
    ::testing::Combine(::testing::Values(StreamCase{"one_pixel", 1, 1, 1, 1, 1},
                                         StreamCase{"reduced_tall", 300, 900, 70, 200, 16},
                                         StreamCase{"enlarged_row_by_row", 64, 48, 150, 113, 1},
                                         StreamCase{"same_size", 37, 29, 37, 29, 3},
                                         StreamCase{"one_target_row", 200, 50, 40, 1, 16},
                                         StreamCase{"rows_ahead_past_the_height", 10, 5, 3, 2, 64},
                                         StreamCase{"two_threads_ring_wraps", 1400, 1000, 700, 700,
                                                    16}),
                       ::testing::Values(r32::RowLoops::Widest, r32::RowLoops::Baseline)),
    caseName<StreamCase>);

TEST(RowStream, RowsOutOfTurnAndMissingRowsAreRefused) {
    if (!r32::RowStream::supported()) GTEST_SKIP() << "this build resamples whole pictures only";
    std::vector<std::uint8_t> target(20 * 10 * 3);
    r32::RowStream stream(40, 30, r32::TargetImage{target.data(), 20 * 3, 20, 10}, 4);
    EXPECT_THROW(stream.row(4), std::out_of_range) << "past the rows it may run ahead";
    ASSERT_NE(stream.row(0), nullptr);
    stream.written(2);
    EXPECT_THROW(stream.row(1), std::out_of_range) << "a row already written";
    EXPECT_THROW(stream.written(31), std::out_of_range) << "more rows than the picture has";
    EXPECT_THROW(stream.finish(), std::logic_error) << "rows 2 to 29 never came";
    // Left unfinished: the destructor stops it.
}

} // namespace
} // namespace slidora::test
