#pragma once
// The resampler inside the module: separable filtering of 24-bit or 32-bit
// pixel rows into a 24-bit target. Lanczos-3 widened by the reduction factor
// when a dimension shrinks (so every source pixel contributes and fine detail
// averages out instead of aliasing), Catmull-Rom when it grows or stays.
#include <cstddef>
#include <cstdint>

namespace slidora::resize32 {

// Rows may run either way in memory: `top` is the first byte of the top row
// and `rowStep` the signed distance in bytes to the row below it, so a
// bottom-up DIB is read in place.
struct SourceImage {
    const std::uint8_t* top = nullptr;
    std::ptrdiff_t rowStep = 0;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3; // 3 (blue, green, red) or 4 (blue, green, red, unused)
};

// Always 3 bytes per pixel: blue, green, red.
struct TargetImage {
    std::uint8_t* top = nullptr;
    std::ptrdiff_t rowStep = 0;
    int width = 0;
    int height = 0;
};

// Which build of the filter loops runs. Every build gives the same bytes;
// the baseline one is chosen only by tests, to check that on any machine.
enum class RowLoops {
    Widest, // the widest vectors the processor has
    Baseline,
};

// Sizes must be positive and at most kMaxSide (the caller checks). Throws
// std::bad_alloc when working memory cannot be had.
void resample(const SourceImage& source, const TargetImage& target,
              RowLoops loops = RowLoops::Widest);

// The longest side either picture may have. Bounds the filter tables
// (a few times the longer side in floats) and the working rows.
inline constexpr int kMaxSide = 1 << 16;

} // namespace slidora::resize32
