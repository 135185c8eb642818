#include "libs/resize32/ResizeImg.h"

#include "libs/resize32/Resampler.h"
#include "platform/Bitmap.h"
#include "platform/Dib.h"

#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

using slidora::BitmapInfoHeader;
using slidora::RgbQuad;
namespace r32 = slidora::resize32;

// Holds a block locked for the length of the call.
class LockedBlock {
  public:
    explicit LockedBlock(SlidoraHGlobal handle)
        : m_handle(handle),
          m_data(static_cast<const std::uint8_t*>(slidora::slidoraGlobalLock(handle))) {}
    ~LockedBlock() {
        if (m_data != nullptr) slidora::slidoraGlobalUnlock(m_handle);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;

    const std::uint8_t* data() const { return m_data; }
    std::size_t size() const {
        return m_data == nullptr ? 0 : slidora::slidoraGlobalSize(m_handle);
    }

  private:
    SlidoraHGlobal m_handle;
    const std::uint8_t* m_data;
};

// A block this call allocated; freed unless handed to the caller.
class OwnedBlock {
  public:
    OwnedBlock(std::size_t size, slidora::BlockFill fill)
        : m_handle(slidora::slidoraGlobalAlloc(size, fill)) {}
    ~OwnedBlock() { slidora::slidoraGlobalFree(m_handle); }
    OwnedBlock(const OwnedBlock&) = delete;
    OwnedBlock& operator=(const OwnedBlock&) = delete;

    SlidoraHGlobal get() const { return m_handle; }
    SlidoraHGlobal release() {
        SlidoraHGlobal h = m_handle;
        m_handle = nullptr;
        return h;
    }

  private:
    SlidoraHGlobal m_handle;
};

bool sizeAcceptable(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= r32::kMaxSide && height <= r32::kMaxSide &&
           static_cast<std::uint64_t>(width * height) <= slidora::kMaxPicturePixels;
}

// Row length in bytes, padded to 4.
std::uint64_t dibStride(std::int64_t width, int bitCount) {
    return ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitCount) + 31) / 32) *
           4;
}

// Pictures with a colour table or packed pixels are expanded to 24-bit
// rows first; 24-bit and 32-bit pictures are read in place.
class Source {
  public:
    bool load(const LockedBlock& header, const LockedBlock& bits);
    const r32::SourceImage& image() const { return m_image; }

  private:
    bool expand(const BitmapInfoHeader& h, const std::uint8_t* table, std::size_t tableEntries);

    r32::SourceImage m_image;
    std::vector<std::uint8_t> m_expanded;
};

bool Source::load(const LockedBlock& header, const LockedBlock& bits) {
    if (header.data() == nullptr || bits.data() == nullptr) return false;
    if (header.size() < sizeof(BitmapInfoHeader)) return false;
    BitmapInfoHeader h;
    std::memcpy(&h, header.data(), sizeof h);
    if (h.biSize < sizeof(BitmapInfoHeader) || h.biSize > header.size()) return false;
    if (h.biPlanes != 1 || h.biCompression != slidora::kBiRgb) return false;
    const int bitCount = h.biBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    const std::int64_t width = h.biWidth;
    const std::int64_t height =
        h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight;
    if (!sizeAcceptable(width, height)) return false;

    const std::uint64_t stride = dibStride(width, bitCount);
    if (stride * static_cast<std::uint64_t>(height) > bits.size()) return false;

    m_image.width = static_cast<int>(width);
    m_image.height = static_cast<int>(height);
    const bool bottomUp = h.biHeight > 0;
    const auto rowStep = static_cast<std::ptrdiff_t>(stride);
    m_image.top = bits.data() + (bottomUp ? (height - 1) * rowStep : 0);
    m_image.rowStep = bottomUp ? -rowStep : rowStep;
    m_image.bytesPerPixel = bitCount / 8;
    if (bitCount == 24 || bitCount == 32) return true;

    std::size_t tableEntries = 0;
    if (bitCount <= 8) {
        const std::uint32_t maxEntries = 1U << bitCount;
        if (h.biClrUsed > maxEntries) return false;
        tableEntries = h.biClrUsed == 0 ? maxEntries : h.biClrUsed;
        if (tableEntries * sizeof(RgbQuad) > header.size() - h.biSize) return false;
    }
    return expand(h, header.data() + h.biSize, tableEntries);
}

bool Source::expand(const BitmapInfoHeader& h, const std::uint8_t* table,
                    std::size_t tableEntries) {
    // Indices past the colour table show black.
    std::array<RgbQuad, 256> palette{};
    std::memcpy(palette.data(), table, tableEntries * sizeof(RgbQuad));

    const auto width = static_cast<std::size_t>(m_image.width);
    m_expanded.resize(width * 3 * static_cast<std::size_t>(m_image.height));
    const int bitCount = h.biBitCount;
    for (int y = 0; y < m_image.height; ++y) {
        const std::uint8_t* in = m_image.top + y * m_image.rowStep;
        std::uint8_t* out = m_expanded.data() + static_cast<std::size_t>(y) * width * 3;
        for (std::size_t x = 0; x < width; ++x, out += 3) {
            if (bitCount == 16) {
                // BI_RGB 16-bit pixels are 5-5-5: blue in the low bits.
                const unsigned v = in[2 * x] | (in[2 * x + 1] << 8);
                const unsigned c[3] = {v & 31U, (v >> 5) & 31U, (v >> 10) & 31U};
                for (int i = 0; i < 3; ++i)
                    out[i] = static_cast<std::uint8_t>((c[i] << 3) | (c[i] >> 2));
                continue;
            }
            unsigned index = 0;
            if (bitCount == 8)
                index = in[x];
            else if (bitCount == 4)
                index = (in[x / 2] >> ((x & 1) ? 0 : 4)) & 15U;
            else
                index = (in[x / 8] >> (7 - (x & 7))) & 1U;
            const RgbQuad& q = palette[index];
            out[0] = q.rgbBlue;
            out[1] = q.rgbGreen;
            out[2] = q.rgbRed;
        }
    }
    m_image.top = m_expanded.data();
    m_image.rowStep = static_cast<std::ptrdiff_t>(width * 3);
    m_image.bytesPerPixel = 3;
    return true;
}

// The result: a 24-bit bottom-up packed DIB of width x height whose pixels
// are still to be made. Freed unless handed over.
class ResultDib {
  public:
    ResultDib(int width, int height)
        : m_stride(dibStride(width, 24)),
          m_header(sizeof(BitmapInfoHeader), slidora::BlockFill::Zeroed),
          // The resampler writes every pixel; only the rows' padding is cleared.
          m_bits(static_cast<std::size_t>(m_stride * static_cast<std::uint64_t>(height)),
                 slidora::BlockFill::Unfilled) {
        auto* head = static_cast<std::uint8_t*>(slidora::slidoraGlobalLock(m_header.get()));
        auto* data = static_cast<std::uint8_t*>(slidora::slidoraGlobalLock(m_bits.get()));
        if (head == nullptr || data == nullptr) return;
        m_locked = true;
        const std::size_t used = static_cast<std::size_t>(width) * 3;
        if (used < m_stride)
            for (int y = 0; y < height; ++y)
                std::memset(data + static_cast<std::size_t>(y) * m_stride + used, 0,
                            static_cast<std::size_t>(m_stride) - used);
        BitmapInfoHeader h;
        h.biWidth = width;
        h.biHeight = height;
        h.biBitCount = 24;
        h.biCompression = slidora::kBiRgb;
        h.biSizeImage = static_cast<std::uint32_t>(m_stride * static_cast<std::uint64_t>(height));
        std::memcpy(head, &h, sizeof h);
        m_target.width = width;
        m_target.height = height;
        m_target.top = data + (static_cast<std::ptrdiff_t>(height) - 1) *
                                  static_cast<std::ptrdiff_t>(m_stride);
        m_target.rowStep = -static_cast<std::ptrdiff_t>(m_stride);
    }
    ~ResultDib() { unlock(); }
    ResultDib(const ResultDib&) = delete;
    ResultDib& operator=(const ResultDib&) = delete;

    bool ready() const { return m_locked; }
    const r32::TargetImage& target() const { return m_target; }

    void handOver(SlidoraHGlobal* header, SlidoraHGlobal* bits) {
        unlock();
        *header = m_header.release();
        *bits = m_bits.release();
    }

  private:
    void unlock() {
        if (!m_locked) return;
        slidora::slidoraGlobalUnlock(m_header.get());
        slidora::slidoraGlobalUnlock(m_bits.get());
        m_locked = false;
    }

    std::uint64_t m_stride;
    OwnedBlock m_header;
    OwnedBlock m_bits;
    bool m_locked = false;
    r32::TargetImage m_target;
};

bool resizeImage(SlidoraHGlobal srcHeader, SlidoraHGlobal srcBits, SlidoraHGlobal* dstHeader,
                 SlidoraHGlobal* dstBits, int width, int height) {
    if (!sizeAcceptable(width, height)) return false;
    const LockedBlock header(srcHeader);
    const LockedBlock bits(srcBits);
    Source source;
    if (!source.load(header, bits)) return false;
    ResultDib result(width, height);
    if (!result.ready()) return false;
    r32::resample(source.image(), result.target());
    result.handOver(dstHeader, dstBits);
    return true;
}

} // namespace

extern "C" int SLIDORA_STDCALL ResizeImg(SlidoraHGlobal srcHeader, SlidoraHGlobal srcBits,
                                         SlidoraHGlobal* dstHeader, SlidoraHGlobal* dstBits,
                                         int width, int height, int /*reserved*/, int /*mode*/) {
    if (dstHeader == nullptr || dstBits == nullptr || dstHeader == dstBits) return 0;
    *dstHeader = nullptr;
    *dstBits = nullptr;
    try {
        return resizeImage(srcHeader, srcBits, dstHeader, dstBits, width, height) ? 1 : 0;
    } catch (...) {
        // No exception may leave the module: the caller is C.
        return 0;
    }
}

// A picture taken row by row: its result and the stream filling it. A
// stream that failed once stays failed, and its end reports it.
struct SlidoraResizeRows {
    SlidoraResizeRows(int sourceWidth, int sourceHeight, int width, int height, int rowsAhead)
        : result(width, height) {
        if (result.ready()) stream.emplace(sourceWidth, sourceHeight, result.target(), rowsAhead);
    }

    ResultDib result;
    std::optional<r32::RowStream> stream;
    bool failed = false;
};

extern "C" SlidoraResizeRows* SLIDORA_STDCALL ResizeRowsBegin(int srcWidth, int srcHeight,
                                                              int width, int height, int rowsAhead,
                                                              int /*mode*/) {
    if (!r32::RowStream::supported() || !sizeAcceptable(srcWidth, srcHeight) ||
        !sizeAcceptable(width, height) || rowsAhead < 1)
        return nullptr;
    try {
        auto rows =
            std::make_unique<SlidoraResizeRows>(srcWidth, srcHeight, width, height, rowsAhead);
        return rows->stream ? rows.release() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

extern "C" unsigned char* SLIDORA_STDCALL ResizeRowsRow(SlidoraResizeRows* rows, int row) {
    if (rows == nullptr || rows->failed) return nullptr;
    try {
        return rows->stream->row(row);
    } catch (...) {
        rows->failed = true;
        return nullptr;
    }
}

extern "C" int SLIDORA_STDCALL ResizeRowsWritten(SlidoraResizeRows* rows, int count) {
    if (rows == nullptr || rows->failed) return 0;
    try {
        rows->stream->written(count);
        return 1;
    } catch (...) {
        rows->failed = true;
        return 0;
    }
}

extern "C" int SLIDORA_STDCALL ResizeRowsEnd(SlidoraResizeRows* rows, SlidoraHGlobal* dstHeader,
                                             SlidoraHGlobal* dstBits) {
    const std::unique_ptr<SlidoraResizeRows> owned(rows);
    if (dstHeader == nullptr || dstBits == nullptr || dstHeader == dstBits) return 0;
    *dstHeader = nullptr;
    *dstBits = nullptr;
    if (rows == nullptr || rows->failed) return 0;
    try {
        rows->stream->finish();
        rows->stream.reset();
        rows->result.handOver(dstHeader, dstBits);
        return 1;
    } catch (...) {
        return 0;
    }
}

extern "C" void SLIDORA_STDCALL ResizeRowsAbandon(SlidoraResizeRows* rows) {
    delete rows;
}
