#include "saver/resize/DibConvert.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace slidora {

namespace {

constexpr std::size_t kHeaderBytes = sizeof(BitmapInfoHeader);
constexpr std::size_t kWholeTable = std::numeric_limits<std::size_t>::max();

std::uint64_t dibStride(std::int64_t width, int bitCount) {
    return ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitCount) + 31) / 32) *
           4;
}

// Palette index of pixel x in a row of 1, 4 or 8 bits per pixel.
unsigned pixelIndex(const std::uint8_t* row, std::size_t x, int bitCount) {
    if (bitCount == 8) return row[x];
    if (bitCount == 4) return (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15U;
    return (row[x / 8] >> (7 - (x & 7))) & 1U;
}

void copyRow(const std::uint8_t* in, std::uint8_t* out, int width, int bitCount) {
    const auto w = static_cast<std::size_t>(width);
    if (bitCount <= 8) {
        for (std::size_t x = 0; x < w; ++x)
            out[x] = static_cast<std::uint8_t>(pixelIndex(in, x, bitCount));
    } else if (bitCount == 16) {
        for (std::size_t x = 0; x < w; ++x, out += 3) {
            const unsigned v = in[2 * x] | (in[2 * x + 1] << 8);
            const unsigned c[3] = {v & 31U, (v >> 5) & 31U, (v >> 10) & 31U};
            for (int i = 0; i < 3; ++i)
                out[i] = static_cast<std::uint8_t>((c[i] << 3) | (c[i] >> 2));
        }
    } else {
        std::memcpy(out, in, w * static_cast<std::size_t>(bitCount / 8));
    }
}

} // namespace

GlobalBlock::GlobalBlock(GlobalBlock&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)),
      m_data(std::exchange(other.m_data, nullptr)) {}

GlobalBlock& GlobalBlock::operator=(GlobalBlock&& other) noexcept {
    if (this != &other) {
        reset();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_data = std::exchange(other.m_data, nullptr);
    }
    return *this;
}

GlobalBlock GlobalBlock::allocate(std::size_t size) {
    return GlobalBlock(slidoraGlobalAlloc(size));
}

std::uint8_t* GlobalBlock::lock() {
    if (m_data == nullptr && m_handle != nullptr)
        m_data = static_cast<std::uint8_t*>(slidoraGlobalLock(m_handle));
    return m_data;
}

SlidoraHGlobal GlobalBlock::release() {
    if (m_data != nullptr) slidoraGlobalUnlock(m_handle);
    m_data = nullptr;
    return std::exchange(m_handle, nullptr);
}

void GlobalBlock::reset() {
    if (m_data != nullptr) slidoraGlobalUnlock(m_handle);
    slidoraGlobalFree(m_handle);
    m_handle = nullptr;
    m_data = nullptr;
}

GlobalBlock GlobalBlock::allocateUnfilled(std::size_t size) {
    return GlobalBlock(slidoraGlobalAlloc(size, BlockFill::Unfilled));
}

bool packedDibHeader(const Bitmap& bitmap, GlobalBlock& out) {
    if (bitmap.empty()) return false;
    const int bitCount = bitmap.bitsPerPixel();
    std::vector<PaletteEntry> palette;
    if (bitCount == 8) {
        palette = bitmap.palette();
        if (palette.size() > 256) palette.resize(256);
        if (palette.empty()) {
            palette.resize(256);
            for (std::size_t i = 0; i < 256; ++i) {
                const auto v = static_cast<std::uint8_t>(i);
                palette[i] = PaletteEntry{v, v, v};
            }
        }
    }
    GlobalBlock block = GlobalBlock::allocate(kHeaderBytes + palette.size() * sizeof(RgbQuad));
    std::uint8_t* head = block.lock();
    if (head == nullptr) return false;

    const std::size_t imageBytes = bitmap.byteCount();
    BitmapInfoHeader h;
    h.biWidth = bitmap.width();
    h.biHeight = bitmap.height();
    h.biBitCount = static_cast<std::uint16_t>(bitCount);
    h.biCompression = kBiRgb;
    h.biSizeImage = static_cast<std::uint32_t>(std::min<std::size_t>(imageBytes, UINT32_MAX));
    h.biClrUsed = static_cast<std::uint32_t>(palette.size());
    std::memcpy(head, &h, kHeaderBytes);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const RgbQuad q{palette[i].blue, palette[i].green, palette[i].red, 0};
        std::memcpy(head + kHeaderBytes + i * sizeof(RgbQuad), &q, sizeof q);
    }
    out = std::move(block);
    return true;
}

bool packedDibFromBitmap(const Bitmap& bitmap, PackedDib& out) {
    PackedDib dib;
    if (!packedDibHeader(bitmap, dib.header)) return false;
    const std::size_t stride = bitmap.stride();
    const auto height = static_cast<std::size_t>(bitmap.height());
    // Every byte is copied in, padding included.
    dib.bits = GlobalBlock::allocateUnfilled(stride * height);
    std::uint8_t* bits = dib.bits.lock();
    if (bits == nullptr) return false;
    if (bitmap.rowOrder() == RowOrder::BottomUp) {
        std::memcpy(bits, bitmap.data(), stride * height);
    } else {
        for (std::size_t y = 0; y < height; ++y)
            std::memcpy(bits + (height - 1 - y) * stride, bitmap.row(static_cast<int>(y)), stride);
    }
    out = std::move(dib);
    return true;
}

std::vector<PaletteEntry> DIBPalette(const BitmapInfoHeader* header, std::size_t headerBlockSize) {
    if (header == nullptr || headerBlockSize < kHeaderBytes) return {};
    std::uint64_t n = header->biClrUsed;
    if (n == 0 && header->biBitCount != 24)
        n = header->biBitCount <= 8 ? (1U << header->biBitCount) : 257;
    if (n < 1 || n > 256) return {};
    const std::uint64_t tableOffset = std::max<std::uint64_t>(header->biSize, kHeaderBytes);
    if (tableOffset + n * sizeof(RgbQuad) > headerBlockSize) return {};

    const auto* table = reinterpret_cast<const std::uint8_t*>(header) + tableOffset;
    std::vector<PaletteEntry> palette(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        RgbQuad q;
        std::memcpy(&q, table + i * sizeof(RgbQuad), sizeof q);
        palette[i] = PaletteEntry{q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    return palette;
}

std::vector<PaletteEntry> DIBPalette(const BitmapInfoHeader* header) {
    return DIBPalette(header, kWholeTable);
}

bool DIBToBitmap(const BitmapInfoHeader* header, std::size_t headerBlockSize,
                 const std::uint8_t* bits, std::size_t bitsSize, Bitmap& out) {
    if (header == nullptr || bits == nullptr || headerBlockSize < kHeaderBytes) return false;
    BitmapInfoHeader h;
    std::memcpy(&h, header, kHeaderBytes);
    if (h.biSize < kHeaderBytes || h.biSize > headerBlockSize) return false;
    if (h.biPlanes != 1 || h.biCompression != kBiRgb) return false;
    const int bitCount = h.biBitCount;
    int outBits = 0;
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        outBits = 8;
        break;
    case 16:
    case 24:
        outBits = 24;
        break;
    case 32:
        outBits = 32;
        break;
    default:
        return false;
    }
    const std::int64_t width = h.biWidth;
    const std::int64_t height =
        h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    if (width <= 0 || height <= 0) return false;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPicturePixels)
        return false;
    const std::uint64_t stride = dibStride(width, bitCount);
    if (stride * static_cast<std::uint64_t>(height) > bitsSize) return false;

    std::vector<PaletteEntry> palette;
    if (bitCount <= 8) {
        palette = DIBPalette(header, headerBlockSize);
        if (palette.empty()) return false;
    }

    // Every pixel of every row is copied in.
    Bitmap bitmap;
    if (!bitmap.allocateUnfilled(static_cast<int>(width), static_cast<int>(height), outBits,
                                 RowOrder::TopDown))
        return false;
    const bool bottomUp = h.biHeight > 0;
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t dibRow = bottomUp ? height - 1 - y : y;
        copyRow(bits + static_cast<std::size_t>(dibRow) * stride, bitmap.row(static_cast<int>(y)),
                bitmap.width(), bitCount);
    }
    if (bitCount <= 8) {
        // The bitmap's readers index the palette directly: make every index
        // that occurs name an entry.
        const std::size_t needed = palette.size();
        bool outside = false;
        for (int y = 0; y < bitmap.height() && !outside; ++y) {
            const std::uint8_t* row = bitmap.row(y);
            outside = std::any_of(row, row + bitmap.width(),
                                  [needed](std::uint8_t v) { return v >= needed; });
        }
        if (outside) palette.resize(256);
        bitmap.palette() = std::move(palette);
    }
    out = std::move(bitmap);
    return true;
}

bool DIBToBitmap(const BitmapInfoHeader* header, const std::uint8_t* bits, std::size_t bitsSize,
                 Bitmap& out) {
    return DIBToBitmap(header, kWholeTable, bits, bitsSize, out);
}

bool DIBToBitmap(PackedDib& dib, Bitmap& out) {
    const std::uint8_t* head = dib.header.lock();
    const std::uint8_t* bits = dib.bits.lock();
    if (head == nullptr || bits == nullptr) return false;
    return DIBToBitmap(reinterpret_cast<const BitmapInfoHeader*>(head), dib.header.size(), bits,
                       dib.bits.size(), out);
}

} // namespace slidora
