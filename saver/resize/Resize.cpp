#include "saver/resize/Resize.h"

#include "libs/resize32/ResizeImg.h"
#include "platform/Module.h"
#include "saver/resize/DibConvert.h"

#include <cstdlib>
#include <cstring>
#include <tuple>
#include <utility>

namespace slidora {

namespace {

// A plain 24-bit result of the wanted size becomes the bitmap itself: its
// rows are turned top-down in place instead of being copied out.
bool adoptResult(PackedDib& result, int width, int height, Bitmap& converted) {
    const std::uint8_t* head = result.header.lock();
    if (head == nullptr || result.header.size() < sizeof(BitmapInfoHeader)) return false;
    BitmapInfoHeader h;
    std::memcpy(&h, head, sizeof h);
    if (h.biSize < sizeof h || h.biPlanes != 1 || h.biCompression != kBiRgb || h.biBitCount != 24 ||
        h.biWidth != width || (h.biHeight != height && h.biHeight != -height))
        return false;
    Bitmap adopted;
    if (!adopted.adoptBlock(result.bits.handle(), width, height, 24,
                            h.biHeight > 0 ? RowOrder::BottomUp : RowOrder::TopDown))
        return false;
    // The bitmap has locked the block for itself; the adopted handle is no
    // longer the result's to free.
    result.bits.release();
    adopted.makeTopDown();
    converted = std::move(adopted);
    return true;
}

// The module promised a packed DIB of exactly the wanted size; anything else
// is treated like a failed call rather than shown.
bool usableResult(PackedDib& result, int width, int height, Bitmap& converted) {
    if (adoptResult(result, width, height, converted)) return true;
    if (!DIBToBitmap(result, converted)) return false;
    return converted.width() == width && converted.height() == height;
}

// The packed DIB handed to the module. The bits block is either a copy made
// here or, for a bottom-up picture, the picture's own block: then no pixel
// is copied on the way out and the picture keeps owning it.
struct SourceDib {
    PackedDib copy;
    SlidoraHGlobal header = nullptr;
    SlidoraHGlobal bits = nullptr;
};

bool sourceDibOf(const Bitmap& picture, SourceDib& source) {
    if (picture.rowOrder() == RowOrder::BottomUp) {
        if (!packedDibHeader(picture, source.copy.header)) return false;
        source.bits = picture.block();
    } else {
        if (!packedDibFromBitmap(picture, source.copy)) return false;
        source.bits = source.copy.bits.handle();
    }
    source.header = source.copy.header.handle();
    // Both stay locked for the call, as the module expects.
    return source.copy.header.lock() != nullptr &&
           (source.copy.bits.handle() == nullptr || source.copy.bits.lock() != nullptr);
}

// Takes a result's handles, which are ours once the call succeeded, unless
// they name each other or the source blocks (freeing them twice).
bool takeResult(SlidoraHGlobal header, SlidoraHGlobal bits, const SourceDib* source, int width,
                int height, Bitmap& converted) {
    if (header == nullptr || bits == nullptr || header == bits) return false;
    if (source != nullptr && (header == source->header || header == source->bits ||
                              bits == source->header || bits == source->bits))
        return false;
    PackedDib delivered{GlobalBlock(header), GlobalBlock(bits)};
    return usableResult(delivered, width, height, converted);
}

// Runs the module on `source`. On success `converted` holds the result.
bool runModule(int width, int height, const SourceDib& source, int mode, ResizeHost& host,
               Bitmap& converted) {
    const LoadedModule module(host.modulePath());
    if (!module.loaded()) {
        if (!host.NoResizeMsg) host.showMessage(kResizeNotFoundMessage);
        host.NoResizeMsg = true;
        return false;
    }
    const ResizeImgFunction resizeImg =
        reinterpret_cast<ResizeImgFunction>(module.symbol("ResizeImg"));
    if (resizeImg == nullptr) return false;

    SlidoraHGlobal header = nullptr;
    SlidoraHGlobal bits = nullptr;
    const int result =
        resizeImg(source.header, source.bits, &header, &bits, width, height, 0, mode);
    // Result handles are only ours after a successful call.
    const bool success = result != 0 && takeResult(header, bits, &source, width, height, converted);
    host.NoResizeMsg = !success;
    return success;
}

} // namespace

StreamedResize::StreamedResize(ResizeHost& host, TargetSizeFn displaySize, int mode)
    : m_host(host), m_displaySize(std::move(displaySize)), m_mode(mode),
      m_module(host.modulePath()) {
    if (!m_module.loaded()) return;
    m_begin = reinterpret_cast<ResizeRowsBeginFunction>(m_module.symbol("ResizeRowsBegin"));
    m_row = reinterpret_cast<ResizeRowsRowFunction>(m_module.symbol("ResizeRowsRow"));
    m_written = reinterpret_cast<ResizeRowsWrittenFunction>(m_module.symbol("ResizeRowsWritten"));
    m_end = reinterpret_cast<ResizeRowsEndFunction>(m_module.symbol("ResizeRowsEnd"));
    m_abandon = reinterpret_cast<ResizeRowsAbandonFunction>(m_module.symbol("ResizeRowsAbandon"));
    m_available = m_begin != nullptr && m_row != nullptr && m_written != nullptr &&
                  m_end != nullptr && m_abandon != nullptr && m_displaySize;
}

StreamedResize::~StreamedResize() {
    if (m_rows != nullptr) m_abandon(m_rows);
}

bool StreamedResize::begin(int ownWidth, int ownHeight, int width, int height) {
    if (!m_available || m_rows != nullptr) return false;
    std::tie(m_width, m_height) = m_displaySize(ownWidth, ownHeight);
    m_rows = m_begin(width, height, m_width, m_height, kRowsAhead, m_mode);
    if (m_rows == nullptr) return false;
    m_scratch.resize(static_cast<std::size_t>(width) * 3);
    return true;
}

std::uint8_t* StreamedResize::row(int y) noexcept {
    if (!m_failed) {
        if (unsigned char* place = m_row(m_rows, y)) return place;
        m_failed = true;
    }
    return m_scratch.data();
}

bool StreamedResize::written(int count) noexcept {
    if (!m_failed && m_written(m_rows, count) == 0) m_failed = true;
    return !m_failed;
}

bool StreamedResize::finish(Bitmap& picture, int& mode) {
    bool success = false;
    if (m_rows != nullptr && !m_failed) {
        SlidoraHGlobal header = nullptr;
        SlidoraHGlobal bits = nullptr;
        SlidoraResizeRows* rows = std::exchange(m_rows, nullptr);
        try {
            Bitmap converted;
            if (m_end(rows, &header, &bits) != 0 &&
                takeResult(header, bits, nullptr, m_width, m_height, converted)) {
                picture = std::move(converted);
                success = true;
            }
        } catch (...) {
            success = false;
        }
    }
    m_host.NoResizeMsg = !success;
    if (!success) mode = -1;
    return success;
}

bool ResizePic(int width, int height, Bitmap& picture, int& mode, ResizeHost& host) {
    SourceDib source;
    if (!sourceDibOf(picture, source)) {
        mode = -1;
        return false;
    }

    Bitmap converted;
    bool success = false;
    try {
        success = runModule(width, height, source, mode, host, converted);
    } catch (...) {
        // Whatever goes wrong while resampling, the picture is still shown,
        // at its own size.
        success = false;
    }

    if (success) {
        picture = std::move(converted);
        return true;
    }
    // The picture goes through the same DIB conversion as a resampled one, so
    // the step always ends with the bitmap the DIB describes, top-down.
    // The bits block may be the picture's own, so it is unlocked before the
    // picture is replaced.
    Bitmap unscaled;
    const auto* head = static_cast<const std::uint8_t*>(slidoraGlobalLock(source.header));
    const auto* pixels = static_cast<const std::uint8_t*>(slidoraGlobalLock(source.bits));
    const bool backConverted = head != nullptr && pixels != nullptr &&
                               DIBToBitmap(reinterpret_cast<const BitmapInfoHeader*>(head),
                                           slidoraGlobalSize(source.header), pixels,
                                           slidoraGlobalSize(source.bits), unscaled);
    if (head != nullptr) slidoraGlobalUnlock(source.header);
    if (pixels != nullptr) slidoraGlobalUnlock(source.bits);
    if (backConverted) picture = std::move(unscaled);
    mode = -1;
    return false;
}

} // namespace slidora
