#include "libs/resize32/Resampler.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace slidora::resize32 {

namespace {

constexpr double kPi = 3.14159265358979323846;

double lanczos3(double x) {
    x = std::fabs(x);
    if (x < 1e-9) return 1.0;
    if (x >= 3.0) return 0.0;
    const double a = kPi * x;
    return 3.0 * std::sin(a) * std::sin(a / 3.0) / (a * a);
}

double catmullRom(double x) {
    x = std::fabs(x);
    if (x < 1.0) return (1.5 * x - 2.5) * x * x + 1.0;
    if (x < 2.0) return ((-0.5 * x + 2.5) * x - 4.0) * x + 2.0;
    return 0.0;
}

// Which source samples make up each target sample along one axis, and with
// what weight. Weights of one window sum to 1, so a flat area stays flat
// and the picture's edges are weighted over the samples that exist.
struct FilterTable {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights; // `stride` slots per target sample
    std::size_t stride = 0;

    const float* weightsOf(int i) const {
        return weights.data() + static_cast<std::size_t>(i) * stride;
    }
};

FilterTable makeTable(int inSize, int outSize) {
    const bool reducing = outSize < inSize;
    const double scale = static_cast<double>(inSize) / outSize;
    const double filterScale = reducing ? scale : 1.0;
    const double support = (reducing ? 3.0 : 2.0) * filterScale;
    double (*const kernel)(double) = reducing ? lanczos3 : catmullRom;

    FilterTable table;
    // A window [floor(c - s), ceil(c + s)) never holds more than 2s + 2 samples.
    table.stride =
        static_cast<std::size_t>(std::min<double>(inSize, std::ceil(2.0 * support) + 2.0));
    table.first.resize(static_cast<std::size_t>(outSize));
    table.count.resize(static_cast<std::size_t>(outSize));
    table.weights.assign(static_cast<std::size_t>(outSize) * table.stride, 0.0f);

    std::vector<double> w(table.stride);
    for (int i = 0; i < outSize; ++i) {
        const double center = (i + 0.5) * scale;
        int lo = std::max(0, static_cast<int>(std::floor(center - support)));
        int hi = std::min(inSize, static_cast<int>(std::ceil(center + support)));
        int n = hi - lo;
        for (int k = 0; k < n; ++k)
            w[static_cast<std::size_t>(k)] = kernel((lo + k + 0.5 - center) / filterScale);
        int skip = 0;
        while (skip < n - 1 && w[static_cast<std::size_t>(skip)] == 0.0)
            ++skip;
        while (n - 1 > skip && w[static_cast<std::size_t>(n - 1)] == 0.0)
            --n;
        double sum = 0.0;
        for (int k = skip; k < n; ++k)
            sum += w[static_cast<std::size_t>(k)];
        float* out = table.weights.data() + static_cast<std::size_t>(i) * table.stride;
        if (sum <= 1e-12) {
            // Cannot happen with these kernels (the nearest sample always has
            // weight > 0), but a window must never divide by zero.
            lo = std::clamp(static_cast<int>(center), 0, inSize - 1);
            table.first[static_cast<std::size_t>(i)] = lo;
            table.count[static_cast<std::size_t>(i)] = 1;
            out[0] = 1.0f;
            continue;
        }
        table.first[static_cast<std::size_t>(i)] = lo + skip;
        table.count[static_cast<std::size_t>(i)] = n - skip;
        for (int k = skip; k < n; ++k)
            out[k - skip] = static_cast<float>(w[static_cast<std::size_t>(k)] / sum);
    }
    return table;
}

typedef float Float4 __attribute__((vector_size(16)));

// Bytes of one source row filtered together; a multiple of 3 and of 4 so a
// chunk always holds whole pixels.
constexpr std::size_t kChunk = 384;

// Filters rows [y0, y1) of the target: first down the columns into one line
// of source width (read straight from the source rows, in order), then along
// that line into the target row.
void resampleRows(const SourceImage& source, const TargetImage& target,
                  const FilterTable& horizontal, const FilterTable& vertical, int y0, int y1) {
    const std::size_t bpp = static_cast<std::size_t>(source.bytesPerPixel);
    const std::size_t lineBytes = static_cast<std::size_t>(source.width) * bpp;
    std::vector<Float4> line(static_cast<std::size_t>(source.width));
    float acc[kChunk];

    for (int y = y0; y < y1; ++y) {
        const int taps = vertical.count[static_cast<std::size_t>(y)];
        const float* w = vertical.weightsOf(y);
        const std::uint8_t* firstRow =
            source.top + vertical.first[static_cast<std::size_t>(y)] * source.rowStep;
        for (std::size_t x0 = 0; x0 < lineBytes; x0 += kChunk) {
            const std::size_t len = std::min(kChunk, lineBytes - x0);
            std::fill(acc, acc + len, 0.0f);
            for (int k = 0; k < taps; ++k) {
                const std::uint8_t* src = firstRow + k * source.rowStep + x0;
                const float wk = w[k];
                for (std::size_t i = 0; i < len; ++i)
                    acc[i] += wk * static_cast<float>(src[i]);
            }
            Float4* px = line.data() + x0 / bpp;
            for (std::size_t i = 0; i < len; i += bpp, ++px)
                *px = Float4{acc[i], acc[i + 1], acc[i + 2], 0.0f};
        }

        std::uint8_t* out = target.top + static_cast<std::ptrdiff_t>(y) * target.rowStep;
        for (int x = 0; x < target.width; ++x, out += 3) {
            const int n = horizontal.count[static_cast<std::size_t>(x)];
            const float* hw = horizontal.weightsOf(x);
            const Float4* px = line.data() + horizontal.first[static_cast<std::size_t>(x)];
            Float4 sum = {0.0f, 0.0f, 0.0f, 0.0f};
            for (int k = 0; k < n; ++k)
                sum += hw[k] * px[k];
            for (int c = 0; c < 3; ++c) {
                const float v = std::clamp(sum[c], 0.0f, 255.0f);
                out[c] = static_cast<std::uint8_t>(v + 0.5f);
            }
        }
    }
}

// Below this many filtered values per target row times rows, a second thread
// costs more than it saves.
constexpr std::uint64_t kParallelWork = 1'000'000;

} // namespace

void resample(const SourceImage& source, const TargetImage& target) {
    const FilterTable horizontal = makeTable(source.width, target.width);
    const FilterTable vertical = makeTable(source.height, target.height);

    const std::uint64_t work =
        static_cast<std::uint64_t>(target.height) *
        (static_cast<std::uint64_t>(source.width) + static_cast<std::uint64_t>(target.width));
    if (work < kParallelWork || target.height < 2 || std::thread::hardware_concurrency() < 2) {
        resampleRows(source, target, horizontal, vertical, 0, target.height);
        return;
    }

    const int middle = target.height / 2;
    std::exception_ptr helperError;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                resampleRows(source, target, horizontal, vertical, middle, target.height);
            } catch (...) {
                helperError = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        resampleRows(source, target, horizontal, vertical, 0, target.height);
        return;
    }
    try {
        resampleRows(source, target, horizontal, vertical, 0, middle);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (helperError) std::rethrow_exception(helperError);
}

} // namespace slidora::resize32
