#pragma once
// The program's own bitmap: what decoders produce, what the resampler bridge
// converts to and from packed DIBs, and what the saver window shows.
//
// Each row is padded to a multiple of 4 bytes, so a row is laid out exactly
// as one row of a Windows DIB.
//  - 24 bits per pixel: bytes blue, green, red for each pixel.
//  - 32 bits per pixel: bytes blue, green, red, unused.
//  - 8 bits per pixel: one palette index per pixel; `palette` holds up to 256
//    entries.
// Rows are stored top-down (row 0 first in memory, so the pixels can be
// handed to QImage without copying) unless the bitmap was allocated bottom-up:
// then the pixels are the bits block of a packed DIB, which the resampler
// bridge hands to the module as they are. row(y) always names picture row y
// (0 is the top); data() is the first byte in memory.
//
// The pixels live in one global memory block (GlobalMem.h). Large blocks are
// kept for the next bitmap instead of being returned to the system, so a
// picture-sized buffer does not fault in fresh pages for every picture.
#include "platform/GlobalMem.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace slidora {

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// The largest picture any decoder accepts, in pixels (width x height). A
// header that claims more is refused before anything is allocated, so a
// hostile or damaged file cannot make the saver take gigabytes: 100 million
// 24-bit pixels are 300 MB, the worst a single picture may cost.
inline constexpr std::uint64_t kMaxPicturePixels = 100'000'000;

enum class RowOrder {
    TopDown,
    BottomUp, // the bits block of a packed DIB
};

class Bitmap {
  public:
    Bitmap() = default;
    ~Bitmap();
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;

    // Allocates a zeroed top-down bitmap. Returns false (leaving the bitmap
    // empty) when the size is not positive, exceeds kMaxPicturePixels or
    // bitsPerPixel is not 8, 24 or 32.
    bool allocate(int width, int height, int bitsPerPixel);
    // The same for a writer that sets every pixel itself: the pixels are left
    // as the memory held them and only each row's padding is zeroed, so no
    // pass over the whole picture comes before the writer's own.
    bool allocateUnfilled(int width, int height, int bitsPerPixel, RowOrder order);
    // Takes over `block`, a global block allocated elsewhere (the resampler
    // module's result) holding width x height pixels in `order` with rows
    // padded to 4 bytes. False, leaving the block to the caller, when the
    // size is refused or the block is too small for it.
    bool adoptBlock(SlidoraHGlobal block, int width, int height, int bitsPerPixel, RowOrder order);
    // Reverses the rows in place when they are bottom-up, so the pixels can
    // be handed on top-down without a second buffer.
    void makeTopDown();
    void clear();

    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitsPerPixel() const { return m_bitsPerPixel; }
    bool empty() const { return m_width == 0 || m_height == 0; }
    RowOrder rowOrder() const { return m_order; }
    // Bytes from one row to the next in memory (a multiple of 4).
    std::size_t stride() const { return m_stride; }

    std::uint8_t* row(int y) { return m_pixels + rowOffset(y); }
    const std::uint8_t* row(int y) const { return m_pixels + rowOffset(y); }
    std::uint8_t* data() { return m_pixels; }
    const std::uint8_t* data() const { return m_pixels; }
    std::size_t byteCount() const { return m_stride * static_cast<std::size_t>(m_height); }

    // The global block holding the pixels, still owned by the bitmap (null
    // when empty). For a bottom-up bitmap it is a packed DIB's bits block.
    SlidoraHGlobal block() const { return m_block; }

    std::vector<PaletteEntry>& palette() { return m_palette; }
    const std::vector<PaletteEntry>& palette() const { return m_palette; }

    // Row length in bytes, padded to 4, for a width and bit count; 0 when the
    // computation would overflow.
    static std::size_t strideFor(int width, int bitsPerPixel);

  private:
    std::size_t rowOffset(int y) const {
        const auto stored =
            static_cast<std::size_t>(m_order == RowOrder::TopDown ? y : m_height - 1 - y);
        return stored * m_stride;
    }
    void release();

    int m_width = 0;
    int m_height = 0;
    int m_bitsPerPixel = 0;
    RowOrder m_order = RowOrder::TopDown;
    std::size_t m_stride = 0;
    SlidoraHGlobal m_block = nullptr;
    std::size_t m_capacity = 0; // bytes the block can hold; may exceed byteCount()
    std::uint8_t* m_pixels = nullptr;
    std::vector<PaletteEntry> m_palette;
};

// The C allocator's settings the program runs with (a no-op where the
// allocator has none): freed picture-sized buffers up to the largest size
// it maps on its own stay in the heap for the next picture instead of going
// back to the system, for about 50 MB held between pictures. Called once at
// start, before any picture is made; the benchmark applies the same.
void applyPictureAllocatorSettings();

// Frees the large blocks kept for reuse. For measurements that want every
// picture to start from the system's memory.
void releaseKeptBitmapBlocks();

} // namespace slidora
