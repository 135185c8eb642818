#include "platform/Bitmap.h"

#include <limits>

namespace slidora {

std::size_t Bitmap::strideFor(int width, int bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) return 0;
    const std::uint64_t bits = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitsPerPixel);
    const std::uint64_t bytes = ((bits + 31) / 32) * 4;
    if (bytes > std::numeric_limits<std::size_t>::max() / 2) return 0;
    return static_cast<std::size_t>(bytes);
}

bool Bitmap::allocate(int width, int height, int bitsPerPixel) {
    clear();
    if (width <= 0 || height <= 0) return false;
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPicturePixels)
        return false;
    const std::size_t stride = strideFor(width, bitsPerPixel);
    if (stride == 0) return false;
    m_pixels.assign(stride * static_cast<std::size_t>(height), 0);
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
    m_stride = stride;
    return true;
}

void Bitmap::clear() {
    m_width = m_height = m_bitsPerPixel = 0;
    m_stride = 0;
    std::vector<std::uint8_t>().swap(m_pixels);
    m_palette.clear();
}

} // namespace slidora
