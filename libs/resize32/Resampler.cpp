#include "libs/resize32/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

#if __FLT_EVAL_METHOD__ == 0

// Every float result below is rounded to float as it is made (no x87 excess
// precision) and no multiply and add are fused (-ffp-contract=off), so the
// value of each output byte depends only on the order of its own sums: over
// the taps in table order, first down, then along. The loops below keep that
// order for every element and only change which elements are worked on side
// by side.

// acc[i] += w * src[i] for one source row.
[[gnu::always_inline]] inline void addRow(float* __restrict acc, const std::uint8_t* __restrict src,
                                          float w, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i)
        acc[i] += w * static_cast<float>(src[i]);
}

// The same for two target rows that both use this source row: its bytes are
// loaded and converted once.
[[gnu::always_inline]] inline void addRowTwice(float* __restrict accA, float* __restrict accB,
                                               const std::uint8_t* __restrict src, float wA,
                                               float wB, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i) {
        const float v = static_cast<float>(src[i]);
        accA[i] += wA * v;
        accB[i] += wB * v;
    }
}

// A target row's window of source rows, [first, end).
struct RowWindow {
    int first = 0;
    int end = 0;
    const float* weights = nullptr;

    bool holds(int row) const { return row >= first && row < end; }
    float weightOf(int row) const { return weights[row - first]; }
};

RowWindow windowOf(const FilterTable& vertical, int y) {
    const auto i = static_cast<std::size_t>(y);
    return RowWindow{vertical.first[i], vertical.first[i] + vertical.count[i],
                     vertical.weightsOf(y)};
}

// A line holds one target row filtered down the columns, one float per
// source byte in the source row's layout, so the vertical pass sums straight
// into it. It ends in zeros (see pixelAt and filterLine) that the vertical
// pass never writes.
std::size_t lineFloats(const SourceImage& source, const FilterTable& horizontal) {
    return (static_cast<std::size_t>(source.width) + horizontal.stride + 1) *
           static_cast<std::size_t>(source.bytesPerPixel);
}

// Filters down the columns for target row y into lineA and, when lineB is
// given, for row y + 1 into lineB. Neighbouring target rows share most of
// their source rows; each shared row is read once for both.
[[gnu::always_inline]] inline void filterColumns(const SourceImage& source,
                                                 const FilterTable& vertical, int y, float* lineA,
                                                 float* lineB) {
    const std::size_t lineBytes =
        static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.bytesPerPixel);
    const RowWindow a = windowOf(vertical, y);
    const RowWindow b = lineB != nullptr ? windowOf(vertical, y + 1) : RowWindow{a.first, a.first};
    const int lo = std::min(a.first, b.first);
    const int hi = std::max(a.end, b.end);

    for (std::size_t x0 = 0; x0 < lineBytes; x0 += kChunk) {
        const std::size_t len = std::min(kChunk, lineBytes - x0);
        float* accA = lineA + x0;
        float* accB = lineB != nullptr ? lineB + x0 : nullptr;
        std::fill(accA, accA + len, 0.0f);
        if (accB != nullptr) std::fill(accB, accB + len, 0.0f);
        for (int row = lo; row < hi; ++row) {
            const std::uint8_t* src = source.top + row * source.rowStep + x0;
            if (a.holds(row) && b.holds(row))
                addRowTwice(accA, accB, src, a.weightOf(row), b.weightOf(row), len);
            else if (a.holds(row))
                addRow(accA, src, a.weightOf(row), len);
            else if (b.holds(row))
                addRow(accB, src, b.weightOf(row), len);
        }
    }
}

// The pixel whose blue is at p as four lanes. Of a 3-byte pixel the fourth
// lane is the next pixel's blue (or the line's zero end): the lanes never
// mix, and only the first three are stored.
Float4 pixelAt(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void storePixel(std::uint8_t* out, Float4 sum) {
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<std::uint8_t>(std::clamp(sum[c], 0.0f, 255.0f) + 0.5f);
}

// Filters along one line into a target row. Each pixel's sum is a chain of
// dependent additions, so kGroup pixels are summed side by side rather than
// each waiting on the adder at every tap. A group runs to its longest
// window; past its own window a pixel adds zero weights (the table's slots
// beyond `count` are zero) times finite samples, and a sum that starts at
// +0 is never -0, so adding those products leaves it exactly as it was.
[[gnu::always_inline]] inline void filterLine(const float* line, std::size_t bpp,
                                              const FilterTable& horizontal, std::uint8_t* out,
                                              int width) {
    constexpr int kGroup = 4;
    int x = 0;
    for (; x + kGroup <= width; x += kGroup) {
        const float* px[kGroup];
        const float* hw[kGroup];
        Float4 sum[kGroup];
        int taps = 0;
        for (int j = 0; j < kGroup; ++j) {
            const auto i = static_cast<std::size_t>(x + j);
            px[j] = line + static_cast<std::size_t>(horizontal.first[i]) * bpp;
            hw[j] = horizontal.weightsOf(x + j);
            taps = std::max(taps, horizontal.count[i]);
            sum[j] = Float4{0.0f, 0.0f, 0.0f, 0.0f};
        }
        for (int k = 0; k < taps; ++k)
            for (int j = 0; j < kGroup; ++j)
                sum[j] += hw[j][k] * pixelAt(px[j] + static_cast<std::size_t>(k) * bpp);
        for (int j = 0; j < kGroup; ++j)
            storePixel(out + 3 * (x + j), sum[j]);
    }
    for (; x < width; ++x) {
        const auto i = static_cast<std::size_t>(x);
        const float* hw = horizontal.weightsOf(x);
        const float* px = line + static_cast<std::size_t>(horizontal.first[i]) * bpp;
        Float4 sum = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int k = 0; k < horizontal.count[i]; ++k)
            sum += hw[k] * pixelAt(px + static_cast<std::size_t>(k) * bpp);
        storePixel(out + 3 * x, sum);
    }
}

// Filters rows [y0, y1) of the target two at a time: down the columns into
// two lines, then along each into its target row.
[[gnu::always_inline]] inline void
resampleRowsInOrder(const SourceImage& source, const TargetImage& target,
                    const FilterTable& horizontal, const FilterTable& vertical, int y0, int y1) {
    const std::size_t bpp = static_cast<std::size_t>(source.bytesPerPixel);
    const std::size_t floats = lineFloats(source, horizontal);
    std::vector<float> lines(2 * floats);
    float* lineA = lines.data();
    float* lineB = lineA + floats;
    for (int y = y0; y < y1; y += 2) {
        const bool pair = y + 1 < y1;
        filterColumns(source, vertical, y, lineA, pair ? lineB : nullptr);
        std::uint8_t* out = target.top + static_cast<std::ptrdiff_t>(y) * target.rowStep;
        filterLine(lineA, bpp, horizontal, out, target.width);
        if (pair) filterLine(lineB, bpp, horizontal, out + target.rowStep, target.width);
    }
}

void resampleRowsBaseline(const SourceImage& source, const TargetImage& target,
                          const FilterTable& horizontal, const FilterTable& vertical, int y0,
                          int y1) {
    resampleRowsInOrder(source, target, horizontal, vertical, y0, y1);
}

#if defined(__x86_64__)
// The same loops with 256-bit vectors. AVX2 brings no fused multiply-add
// (that is the separate FMA extension), so the results are the baseline's.
__attribute__((target("avx2"))) void resampleRowsAvx2(const SourceImage& source,
                                                      const TargetImage& target,
                                                      const FilterTable& horizontal,
                                                      const FilterTable& vertical, int y0, int y1) {
    resampleRowsInOrder(source, target, horizontal, vertical, y0, y1);
}
#endif

using RowsFunction = void (*)(const SourceImage&, const TargetImage&, const FilterTable&,
                              const FilterTable&, int, int);

RowsFunction rowsFunction() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return resampleRowsAvx2;
#endif
    return resampleRowsBaseline;
}

void resampleRows(const SourceImage& source, const TargetImage& target,
                  const FilterTable& horizontal, const FilterTable& vertical, int y0, int y1) {
    static const RowsFunction function = rowsFunction();
    function(source, target, horizontal, vertical, y0, y1);
}

#else

// With x87 arithmetic (the i686 build) a float result may keep extra
// precision until the compiler chooses to store it, so the outcome depends
// on how the loop is laid out: these loops stay as they were, one target
// row at a time, to keep that build's pictures as they were.
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

#endif

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
