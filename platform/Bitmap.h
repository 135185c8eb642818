#pragma once
// The program's own bitmap: what decoders produce, what the resampler bridge
// converts to and from packed DIBs, and what the saver window shows.
//
// Rows are stored top-down (row 0 is the top of the picture), each padded to
// a multiple of 4 bytes, so a row is laid out exactly as one row of a
// Windows DIB and can be handed to QImage without copying.
//  - 24 bits per pixel: bytes blue, green, red for each pixel.
//  - 32 bits per pixel: bytes blue, green, red, unused.
//  - 8 bits per pixel: one palette index per pixel; `palette` holds up to 256
//    entries.
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

class Bitmap {
public:
    Bitmap() = default;

    // Allocates a zeroed bitmap. Returns false (leaving the bitmap empty) when
    // the size is not positive, exceeds kMaxPicturePixels or bitsPerPixel is
    // not 8, 24 or 32.
    bool allocate(int width, int height, int bitsPerPixel);
    void clear();

    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitsPerPixel() const { return m_bitsPerPixel; }
    bool empty() const { return m_width == 0 || m_height == 0; }
    // Bytes from one row to the next (a multiple of 4).
    std::size_t stride() const { return m_stride; }

    std::uint8_t* row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_stride; }
    const std::uint8_t* row(int y) const {
        return m_pixels.data() + static_cast<std::size_t>(y) * m_stride;
    }
    std::uint8_t* data() { return m_pixels.data(); }
    const std::uint8_t* data() const { return m_pixels.data(); }
    std::size_t byteCount() const { return m_pixels.size(); }

    std::vector<PaletteEntry>& palette() { return m_palette; }
    const std::vector<PaletteEntry>& palette() const { return m_palette; }

    // Row length in bytes, padded to 4, for a width and bit count; 0 when the
    // computation would overflow.
    static std::size_t strideFor(int width, int bitsPerPixel);

private:
    int m_width = 0;
    int m_height = 0;
    int m_bitsPerPixel = 0;
    std::size_t m_stride = 0;
    std::vector<std::uint8_t> m_pixels;
    std::vector<PaletteEntry> m_palette;
};

} // namespace slidora
