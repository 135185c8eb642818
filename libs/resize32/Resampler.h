#pragma once
// The resampler inside the module: separable filtering of 24-bit or 32-bit
// pixel rows into a 24-bit target. Lanczos-3 widened by the reduction factor
// when a dimension shrinks (so every source pixel contributes and fine detail
// averages out instead of aliasing), Catmull-Rom when it grows or stays.
#include <cstddef>
#include <cstdint>
#include <memory>

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

// Resamples a picture whose rows come one after another, top row first,
// holding only the rows the target rows still need: a few dozen, whatever
// the picture's height. Gives exactly the bytes resample() gives for the
// same 24-bit picture. A helper thread makes target rows as their source
// rows come in; the feeding thread joins in while it waits.
class RowStream {
  public:
    // False in a build that cannot stream (the x87 one): callers then
    // resample whole pictures.
    static bool supported();

    // The source is sourceWidth x sourceHeight pixels of 3 bytes (blue,
    // green, red); `rowsAhead` is how many rows past those written the
    // caller may ask for at once. Sizes as for resample(). Throws
    // std::bad_alloc when working memory cannot be had.
    RowStream(int sourceWidth, int sourceHeight, const TargetImage& target, int rowsAhead,
              RowLoops loops = RowLoops::Widest);
    // Stops the helper and waits for it; a stream not finished leaves the
    // target partly made.
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    // Where source row y goes, sourceWidth x 3 bytes. y must be at least the
    // rows written and less than that plus rowsAhead; waits (making target
    // rows meanwhile) until its place is free. Throws std::out_of_range for
    // a row out of turn, and what making a target row threw.
    std::uint8_t* row(int y);
    // Source rows [0, rows) are in.
    void written(int rows);
    // Once every source row is written: makes what is left of the target
    // and returns when all of it is made. Throws what making it threw, and
    // std::logic_error when rows are missing.
    void finish();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The longest side either picture may have. Bounds the filter tables
// (a few times the longer side in floats) and the working rows.
inline constexpr int kMaxSide = 1 << 16;

} // namespace slidora::resize32
