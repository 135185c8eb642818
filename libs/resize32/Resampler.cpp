#include "libs/resize32/Resampler.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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
// chunk always holds whole pixels, and of 32, the AVX2 loop's block.
constexpr std::size_t kChunk = 1536;

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

// The source as the loops read it: one pointer per row, top row first, so
// a whole picture and the few rows a stream holds are read alike.
struct RowSource {
    const std::uint8_t* const* rows = nullptr;
    int width = 0;
    int bytesPerPixel = 3;
};

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

// Two target rows filtered down the columns, side by side: per source pixel
// the upper row's blue, green, red, 0, then the lower row's. Both rows are
// then filtered along with the same weights at the same places, so one
// weight and one address serve both.
typedef float Float8 __attribute__((vector_size(32)));

// The pair's line ends in zeros, which the vertical pass never writes, for
// filterLines' windows that run past the last pixel.
std::size_t pairLinePixels(int sourceWidth, const FilterTable& horizontal) {
    return static_cast<std::size_t>(sourceWidth) + horizontal.stride;
}

Float4 pixelAt(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Sums one chunk of the pair's source rows [lo, hi) into accA and accB, the
// sums held in memory across the rows.
[[gnu::always_inline]] inline void sumChunk(const std::uint8_t* const* rows, std::size_t x0,
                                            std::size_t len, const RowWindow& a, const RowWindow& b,
                                            int lo, int hi, float* accA, float* accB) {
    std::fill(accA, accA + len, 0.0f);
    std::fill(accB, accB + len, 0.0f);
    for (int row = lo; row < hi; ++row) {
        const std::uint8_t* src = rows[row] + x0;
        if (a.holds(row) && b.holds(row))
            addRowTwice(accA, accB, src, a.weightOf(row), b.weightOf(row), len);
        else if (a.holds(row))
            addRow(accA, src, a.weightOf(row), len);
        else if (b.holds(row))
            addRow(accB, src, b.weightOf(row), len);
    }
}

#if defined(__x86_64__)
// The same with the sums held in registers across the rows, 32 bytes of
// both target rows at a time: no sum goes through memory until its last row.
__attribute__((target("avx2"))) void sumChunkAvx2(const std::uint8_t* const* rows, std::size_t x0,
                                                  std::size_t len, const RowWindow& a,
                                                  const RowWindow& b, int lo, int hi, float* accA,
                                                  float* accB) {
    constexpr int kVectors = 4;
    constexpr std::size_t kBlock = kVectors * 8;
    std::size_t i = 0;
    for (; i + kBlock <= len; i += kBlock) {
        __m256 sumA[kVectors];
        __m256 sumB[kVectors];
        for (int e = 0; e < kVectors; ++e)
            sumA[e] = sumB[e] = _mm256_setzero_ps();
        for (int row = lo; row < hi; ++row) {
            const std::uint8_t* src = rows[row] + x0 + i;
            __m256 v[kVectors];
            for (int e = 0; e < kVectors; ++e) {
                const __m128i bytes =
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + 8 * e));
                v[e] = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes));
            }
            if (a.holds(row)) {
                const __m256 w = _mm256_set1_ps(a.weightOf(row));
                for (int e = 0; e < kVectors; ++e)
                    sumA[e] = _mm256_add_ps(sumA[e], _mm256_mul_ps(w, v[e]));
            }
            if (b.holds(row)) {
                const __m256 w = _mm256_set1_ps(b.weightOf(row));
                for (int e = 0; e < kVectors; ++e)
                    sumB[e] = _mm256_add_ps(sumB[e], _mm256_mul_ps(w, v[e]));
            }
        }
        for (int e = 0; e < kVectors; ++e) {
            _mm256_storeu_ps(accA + i + 8 * e, sumA[e]);
            _mm256_storeu_ps(accB + i + 8 * e, sumB[e]);
        }
    }
    for (; i < len; ++i) {
        float sumA = 0.0f;
        float sumB = 0.0f;
        for (int row = lo; row < hi; ++row) {
            const float v = static_cast<float>(rows[row][x0 + i]);
            if (a.holds(row)) sumA += a.weightOf(row) * v;
            if (b.holds(row)) sumB += b.weightOf(row) * v;
        }
        accA[i] = sumA;
        accB[i] = sumB;
    }
}
#endif

// Filters down the columns for target row y (and y + 1 when `pair`) into
// `line`. Neighbouring target rows share most of their source rows; each
// shared row is read once for both. A lone row leaves the lower half zero.
template <bool kAvx2>
[[gnu::always_inline]] inline void filterColumns(const RowSource& source,
                                                 const FilterTable& vertical, int y, bool pair,
                                                 Float8* line) {
    const std::size_t bpp = static_cast<std::size_t>(source.bytesPerPixel);
    const std::size_t lineBytes = static_cast<std::size_t>(source.width) * bpp;
    const RowWindow a = windowOf(vertical, y);
    const RowWindow b = pair ? windowOf(vertical, y + 1) : RowWindow{a.first, a.first};
    const int lo = std::min(a.first, b.first);
    const int hi = std::max(a.end, b.end);
    // One float more than a chunk: a pixel is copied out as four floats.
    float accA[kChunk + 1];
    float accB[kChunk + 1];

    for (std::size_t x0 = 0; x0 < lineBytes; x0 += kChunk) {
        const std::size_t len = std::min(kChunk, lineBytes - x0);
#if defined(__x86_64__)
        if constexpr (kAvx2)
            sumChunkAvx2(source.rows, x0, len, a, b, lo, hi, accA, accB);
        else
#endif
            sumChunk(source.rows, x0, len, a, b, lo, hi, accA, accB);
        accA[len] = 0.0f;
        accB[len] = 0.0f;
        // Each pixel's bytes as four floats; the fourth (the next pixel's
        // blue, or the slot past the chunk) is replaced by 0.
        Float8* px = line + x0 / bpp;
        for (std::size_t i = 0; i < len; i += bpp, ++px) {
            Float4 upper = pixelAt(accA + i);
            Float4 lower = pixelAt(accB + i);
            upper[3] = 0.0f;
            lower[3] = 0.0f;
            std::memcpy(px, &upper, sizeof upper);
            std::memcpy(reinterpret_cast<float*>(px) + 4, &lower, sizeof lower);
        }
    }
}

typedef int Int8 __attribute__((vector_size(32)));

// std::clamp(v, 0, 255) + 0.5, truncated to a byte, for all lanes at once;
// the conversion truncates as a cast does. For every sum the clamped value
// is clamp's, but for the sign of a zero, which adding 0.5 and truncating
// makes 0 either way. Lanes 0-2 go to `upper`, 4-6 to `lower` (when there
// is one).
[[gnu::always_inline]] inline void storePixels(std::uint8_t* upper, std::uint8_t* lower,
                                               const Float8& sum) {
    const Float8 low = {};
    const Float8 high = low + 255.0f;
    Float8 v = low < sum ? sum : low;
    v = v < high ? v : high;
    const Int8 bytes = __builtin_convertvector(v + 0.5f, Int8);
    for (int c = 0; c < 3; ++c)
        upper[c] = static_cast<std::uint8_t>(bytes[c]);
    if (lower == nullptr) return;
    for (int c = 0; c < 3; ++c)
        lower[c] = static_cast<std::uint8_t>(bytes[4 + c]);
}

// Filters a pair's line along into target rows `upper` and `lower` (null for
// a lone row). Each pixel's sum is a chain of dependent additions, so kGroup
// pixels are summed side by side rather than each waiting on the adder at
// every tap. A group runs to its longest window; past its own window a
// pixel adds zero weights (the table's slots beyond `count` are zero) times
// finite samples, and a sum that starts at +0 is never -0, so adding those
// products leaves it exactly as it was.
[[gnu::always_inline]] inline void filterLines(const Float8* line, const FilterTable& horizontal,
                                               std::uint8_t* upper, std::uint8_t* lower,
                                               int width) {
    constexpr int kGroup = 4;
    int x = 0;
    for (; x + kGroup <= width; x += kGroup) {
        const Float8* px[kGroup];
        const float* hw[kGroup];
        Float8 sum[kGroup];
        int taps = 0;
        for (int j = 0; j < kGroup; ++j) {
            const auto i = static_cast<std::size_t>(x + j);
            px[j] = line + horizontal.first[i];
            hw[j] = horizontal.weightsOf(x + j);
            taps = std::max(taps, horizontal.count[i]);
            sum[j] = Float8{};
        }
        for (int k = 0; k < taps; ++k)
            for (int j = 0; j < kGroup; ++j)
                sum[j] += hw[j][k] * px[j][k];
        for (int j = 0; j < kGroup; ++j)
            storePixels(upper + 3 * (x + j), lower != nullptr ? lower + 3 * (x + j) : nullptr,
                        sum[j]);
    }
    for (; x < width; ++x) {
        const auto i = static_cast<std::size_t>(x);
        const float* hw = horizontal.weightsOf(x);
        const Float8* px = line + horizontal.first[i];
        Float8 sum = {};
        for (int k = 0; k < horizontal.count[i]; ++k)
            sum += hw[k] * px[k];
        storePixels(upper + 3 * x, lower != nullptr ? lower + 3 * x : nullptr, sum);
    }
}

// A pair's line, held as floats and aligned by hand: the allocator does not
// promise a vector type's alignment. One per thread that filters.
class PairLine {
  public:
    PairLine(int sourceWidth, const FilterTable& horizontal)
        : m_storage((pairLinePixels(sourceWidth, horizontal) + 1) * 8) {
        void* start = m_storage.data();
        std::size_t space = m_storage.size() * sizeof(float);
        m_line = static_cast<Float8*>(std::align(alignof(Float8), sizeof(Float8), start, space));
    }
    Float8* get() const { return m_line; }

  private:
    std::vector<float> m_storage;
    Float8* m_line = nullptr;
};

// Filters rows [y0, y1) of the target two at a time.
template <bool kAvx2>
[[gnu::always_inline]] inline void
resampleRowsInOrder(const RowSource& source, const TargetImage& target,
                    const FilterTable& horizontal, const FilterTable& vertical, int y0, int y1,
                    Float8* line) {
    for (int y = y0; y < y1; y += 2) {
        const bool pair = y + 1 < y1;
        filterColumns<kAvx2>(source, vertical, y, pair, line);
        std::uint8_t* upper = target.top + static_cast<std::ptrdiff_t>(y) * target.rowStep;
        filterLines(line, horizontal, upper, pair ? upper + target.rowStep : nullptr, target.width);
    }
}

void resampleRowsBaseline(const RowSource& source, const TargetImage& target,
                          const FilterTable& horizontal, const FilterTable& vertical, int y0,
                          int y1, Float8* line) {
    resampleRowsInOrder<false>(source, target, horizontal, vertical, y0, y1, line);
}

#if defined(__x86_64__)
// The same loops with 256-bit vectors. AVX2 brings no fused multiply-add
// (that is the separate FMA extension), so the results are the baseline's.
__attribute__((target("avx2"))) void
resampleRowsAvx2(const RowSource& source, const TargetImage& target, const FilterTable& horizontal,
                 const FilterTable& vertical, int y0, int y1, Float8* line) {
    resampleRowsInOrder<true>(source, target, horizontal, vertical, y0, y1, line);
}
#endif

using RowsFunction = void (*)(const RowSource&, const TargetImage&, const FilterTable&,
                              const FilterTable&, int, int, Float8*);

RowsFunction widestRows() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return resampleRowsAvx2;
#endif
    return resampleRowsBaseline;
}

RowsFunction rowsFor(RowLoops loops) {
    static const RowsFunction widest = widestRows();
    return loops == RowLoops::Baseline ? resampleRowsBaseline : widest;
}

#else

// With x87 arithmetic (the i686 build) a float result may keep extra
// precision until the compiler chooses to store it, so the outcome depends
// on how the loop is laid out: these loops stay as they were, one target
// row at a time, to keep that build's pictures as they were.
void resampleRowsAsBefore(const SourceImage& source, const TargetImage& target,
                          const FilterTable& horizontal, const FilterTable& vertical, int y0,
                          int y1) {
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

bool worthASecondThread(int sourceWidth, const TargetImage& target) {
    const std::uint64_t work =
        static_cast<std::uint64_t>(target.height) *
        (static_cast<std::uint64_t>(sourceWidth) + static_cast<std::uint64_t>(target.width));
    return work >= kParallelWork && target.height >= 2 && std::thread::hardware_concurrency() >= 2;
}

} // namespace

void resample(const SourceImage& source, const TargetImage& target, RowLoops loops) {
    const FilterTable horizontal = makeTable(source.width, target.width);
    const FilterTable vertical = makeTable(source.height, target.height);
#if __FLT_EVAL_METHOD__ == 0
    const RowsFunction resampleRows = rowsFor(loops);
    std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(source.height));
    for (int y = 0; y < source.height; ++y)
        rows[static_cast<std::size_t>(y)] = source.top + y * source.rowStep;
    const RowSource rowSource{rows.data(), source.width, source.bytesPerPixel};
    const auto resampleRowRange = [&](int y0, int y1) {
        const PairLine line(source.width, horizontal);
        resampleRows(rowSource, target, horizontal, vertical, y0, y1, line.get());
    };
#else
    (void)loops;
    const auto resampleRowRange = [&](int y0, int y1) {
        resampleRowsAsBefore(source, target, horizontal, vertical, y0, y1);
    };
#endif
    if (!worthASecondThread(source.width, target)) {
        resampleRowRange(0, target.height);
        return;
    }

    const int middle = target.height / 2;
    std::exception_ptr helperError;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                resampleRowRange(middle, target.height);
            } catch (...) {
                helperError = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        resampleRowRange(0, target.height);
        return;
    }
    try {
        resampleRowRange(0, middle);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (helperError) std::rethrow_exception(helperError);
}

#if __FLT_EVAL_METHOD__ == 0

// The target is made in pairs of rows, pair p being rows 2p and 2p + 1. A
// pair can be made once the source rows its windows reach are in; the rows
// below the lowest pair not yet made are needed no more, and their slots
// in the ring take the rows to come. Source row r always lives in slot
// r % capacity. Pairs are claimed in order by whichever thread is free: the
// helper, or the feeding thread while it waits for a slot or at the end.
// Each pair is made by the same loops as in resample(), so every byte is
// the same as there.
struct RowStream::State {
    State(int width, int height, const TargetImage& into, int ahead, RowLoops loops)
        : resampleRows(rowsFor(loops)), horizontal(makeTable(width, into.width)),
          vertical(makeTable(height, into.height)), target(into), sourceWidth(width),
          sourceHeight(height), rowsAhead(ahead), pairs((into.height + 1) / 2) {
        int widestPair = 1;
        pairEnd.resize(static_cast<std::size_t>(pairs));
        lowestFirst.resize(static_cast<std::size_t>(pairs));
        for (int p = 0; p < pairs; ++p) {
            const int y = 2 * p;
            int end = windowOf(vertical, y).end;
            if (y + 1 < into.height) end = std::max(end, windowOf(vertical, y + 1).end);
            const int first =
                std::min(windowOf(vertical, y).first,
                         y + 1 < into.height ? windowOf(vertical, y + 1).first : height);
            pairEnd[static_cast<std::size_t>(p)] = end;
            lowestFirst[static_cast<std::size_t>(p)] = first;
            widestPair = std::max(widestPair, end - first);
        }
        // From the last pair down, the lowest row any later pair reads.
        for (int p = pairs - 2; p >= 0; --p)
            lowestFirst[static_cast<std::size_t>(p)] =
                std::min(lowestFirst[static_cast<std::size_t>(p)],
                         lowestFirst[static_cast<std::size_t>(p) + 1]);
        // Room for the widest pair and the rows written ahead: the least
        // that never leaves the feeding thread waiting on a pair that waits
        // for its rows. The few rows more let the threads run a little
        // apart; more rows cost memory and gained nothing measurable.
        capacity = std::min(height, widestPair + rowsAhead + kSlackRows);
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
        ring.resize(rowBytes * static_cast<std::size_t>(capacity));
        rows.resize(static_cast<std::size_t>(height));
        for (int r = 0; r < height; ++r)
            rows[static_cast<std::size_t>(r)] =
                ring.data() + static_cast<std::size_t>(r % capacity) * rowBytes;
        made.assign(static_cast<std::size_t>(pairs), false);
    }

    // Makes the next pair if its rows are in. Called and returns with the
    // lock held; drops it while filtering.
    bool makeNextPair(std::unique_lock<std::mutex>& lock, std::unique_ptr<PairLine>& line) {
        if (stopping || error || nextPair >= pairs ||
            pairEnd[static_cast<std::size_t>(nextPair)] > written)
            return false;
        const int p = nextPair++;
        lock.unlock();
        std::exception_ptr failure;
        try {
            if (!line) line = std::make_unique<PairLine>(sourceWidth, horizontal);
            const RowSource source{rows.data(), sourceWidth, 3};
            resampleRows(source, target, horizontal, vertical, 2 * p,
                         std::min(2 * p + 2, target.height), line->get());
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !error) error = failure;
        made[static_cast<std::size_t>(p)] = true;
        while (lowestUnmade < pairs && made[static_cast<std::size_t>(lowestUnmade)])
            ++lowestUnmade;
        changed.notify_all();
        return true;
    }

    // Source rows below this are read no more.
    int released() const {
        return lowestUnmade < pairs ? lowestFirst[static_cast<std::size_t>(lowestUnmade)]
                                    : sourceHeight;
    }

    void helperLoop() {
        std::unique_ptr<PairLine> line;
        std::unique_lock<std::mutex> lock(mutex);
        while (!stopping && !error && nextPair < pairs)
            if (!makeNextPair(lock, line)) changed.wait(lock);
    }

    static constexpr int kSlackRows = 8;

    const RowsFunction resampleRows;
    const FilterTable horizontal;
    const FilterTable vertical;
    const TargetImage target;
    const int sourceWidth;
    const int sourceHeight;
    const int rowsAhead;
    const int pairs;
    int capacity = 0;
    std::vector<int> pairEnd;
    std::vector<int> lowestFirst;
    std::vector<std::uint8_t> ring;
    std::vector<std::uint8_t*> rows;

    std::mutex mutex;
    std::condition_variable changed;
    // Guarded by the mutex:
    int written = 0;  // source rows [0, written) are in
    int nextPair = 0; // the next pair to claim
    int lowestUnmade = 0;
    std::vector<bool> made;
    bool stopping = false;
    std::exception_ptr error;

    std::unique_ptr<PairLine> callerLine; // the feeding thread's
    std::thread helper;
};

bool RowStream::supported() {
    return true;
}

RowStream::RowStream(int sourceWidth, int sourceHeight, const TargetImage& target, int rowsAhead,
                     RowLoops loops)
    : m_state(std::make_unique<State>(sourceWidth, sourceHeight, target, std::max(1, rowsAhead),
                                      loops)) {
    if (!worthASecondThread(sourceWidth, target)) return;
    try {
        m_state->helper = std::thread([state = m_state.get()] { state->helperLoop(); });
    } catch (const std::system_error&) {
        // The feeding thread then makes every pair itself.
    }
}

RowStream::~RowStream() {
    {
        const std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->changed.notify_all();
    if (m_state->helper.joinable()) m_state->helper.join();
}

std::uint8_t* RowStream::row(int y) {
    State& s = *m_state;
    std::unique_lock<std::mutex> lock(s.mutex);
    if (y < s.written || y >= s.sourceHeight || y >= s.written + s.rowsAhead)
        throw std::out_of_range("resample stream: row out of turn");
    while (y >= s.released() + s.capacity) {
        if (s.error) std::rethrow_exception(s.error);
        if (!s.makeNextPair(lock, s.callerLine)) s.changed.wait(lock);
    }
    return s.rows[static_cast<std::size_t>(y)];
}

void RowStream::written(int rows) {
    State& s = *m_state;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (rows < s.written || rows > s.sourceHeight)
            throw std::out_of_range("resample stream: rows out of turn");
        s.written = rows;
    }
    s.changed.notify_all();
}

void RowStream::finish() {
    State& s = *m_state;
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.written < s.sourceHeight) throw std::logic_error("resample stream: rows missing");
    while (s.lowestUnmade < s.pairs && !s.error)
        if (!s.makeNextPair(lock, s.callerLine)) s.changed.wait(lock);
    lock.unlock();
    if (s.helper.joinable()) s.helper.join();
    if (s.error) std::rethrow_exception(s.error);
}

#else

// The x87 build keeps its loops as they were (see above); it does not
// stream, and callers resample whole pictures.
struct RowStream::State {};

bool RowStream::supported() {
    return false;
}

RowStream::RowStream(int, int, const TargetImage&, int, RowLoops) {
    throw std::logic_error("resample stream: not in this build");
}

RowStream::~RowStream() = default;

std::uint8_t* RowStream::row(int) {
    return nullptr;
}

void RowStream::written(int) {}

void RowStream::finish() {}

#endif

} // namespace slidora::resize32
