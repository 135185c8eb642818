// The filter's output, byte for byte, against its arithmetic written plainly:
// every build of its loops must give exactly these pictures.
#include "libs/resize32/Resampler.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace slidora::test {
namespace {

namespace r32 = slidora::resize32;

struct Taps {
    int first = 0;
    std::vector<float> weights;
};

// Lanczos-3 widened by the factor when reducing, Catmull-Rom otherwise; zero
// weights trimmed from both ends; normalised in double, then rounded.
std::vector<Taps> referenceTaps(int in, int out) {
    const bool reducing = out < in;
    const double scale = static_cast<double>(in) / out;
    const double filterScale = reducing ? scale : 1.0;
    const double support = (reducing ? 3.0 : 2.0) * filterScale;
    const auto kernel = [reducing](double x) {
        x = std::fabs(x);
        if (reducing) {
            if (x < 1e-9) return 1.0;
            if (x >= 3.0) return 0.0;
            const double a = 3.14159265358979323846 * x;
            return 3.0 * std::sin(a) * std::sin(a / 3.0) / (a * a);
        }
        if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
        return x < 2.0 ? ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0 : 0.0;
    };
    std::vector<Taps> taps;
    for (int i = 0; i < out; ++i) {
        const double center = (i + 0.5) * scale;
        const int lo = std::max(0, static_cast<int>(std::floor(center - support)));
        const int hi = std::min(in, static_cast<int>(std::ceil(center + support)));
        std::vector<double> w;
        for (int s = lo; s < hi; ++s)
            w.push_back(kernel((s + 0.5 - center) / filterScale));
        int first = 0;
        while (first + 1 < static_cast<int>(w.size()) && w[first] == 0.0)
            ++first;
        while (static_cast<int>(w.size()) - 1 > first && w.back() == 0.0)
            w.pop_back();
        double sum = 0.0;
        for (std::size_t k = first; k < w.size(); ++k)
            sum += w[k];
        Taps t{lo + first, {}};
        for (std::size_t k = first; k < w.size(); ++k)
            t.weights.push_back(static_cast<float>(w[k] / sum));
        taps.push_back(t);
    }
    return taps;
}

// `pixels` are the source rows top first, packed; the result 3 bytes a pixel.
std::vector<std::uint8_t> referenceResample(const std::vector<std::uint8_t>& pixels, int width,
                                            int height, int bpp, int toWidth, int toHeight) {
    const std::vector<Taps> along = referenceTaps(width, toWidth);
    const std::vector<Taps> down = referenceTaps(height, toHeight);
    std::vector<std::uint8_t> out;
    std::vector<float> column(static_cast<std::size_t>(width) * 3);
    for (const Taps& v : down) {
        for (int i = 0; i < width * 3; ++i) {
            float sum = 0.0f;
            for (std::size_t k = 0; k < v.weights.size(); ++k)
                sum += v.weights[k] *
                       static_cast<float>(pixels[((v.first + k) * width + i / 3) * bpp + i % 3]);
            column[i] = sum;
        }
        for (const Taps& h : along) {
            for (int c = 0; c < 3; ++c) {
                float sum = 0.0f;
                for (std::size_t k = 0; k < h.weights.size(); ++k)
                    sum += h.weights[k] * column[(h.first + k) * 3 + c];
                out.push_back(static_cast<std::uint8_t>(std::clamp(sum, 0.0f, 255.0f) + 0.5f));
            }
        }
    }
    return out;
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
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(c.width) * c.height * c.bpp);
    std::uint32_t seed = 12345;
    for (std::uint8_t& b : pixels)
        b = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(c.width) * c.bpp;
    // Bottom-up: the same picture stored the other way up in memory.
    std::vector<std::uint8_t> stored(pixels.size());
    for (int y = 0; y < c.height; ++y)
        std::copy_n(pixels.data() + y * rowBytes, rowBytes,
                    stored.data() + (c.bottomUp ? c.height - 1 - y : y) * rowBytes);
    const r32::SourceImage source{stored.data() + (c.bottomUp ? (c.height - 1) * rowBytes : 0),
                                  c.bottomUp ? -rowBytes : rowBytes, c.width, c.height, c.bpp};
    std::vector<std::uint8_t> got(static_cast<std::size_t>(c.toWidth) * c.toHeight * 3);
    r32::resample(source, r32::TargetImage{got.data(), c.toWidth * 3, c.toWidth, c.toHeight},
                  loops);
    const std::vector<std::uint8_t> want =
        referenceResample(pixels, c.width, c.height, c.bpp, c.toWidth, c.toHeight);
    const auto diff = std::mismatch(got.begin(), got.end(), want.begin());
    ASSERT_EQ(diff.first, got.end()) << "byte " << (diff.first - got.begin()) << " is "
                                     << int(*diff.first) << ", not " << int(*diff.second);
}

std::string
caseName(const ::testing::TestParamInfo<std::tuple<ResampleCase, r32::RowLoops>>& info) {
    const ResampleCase& c = std::get<0>(info.param);
    return testName(c.name,
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
    caseName);

} // namespace
} // namespace slidora::test
