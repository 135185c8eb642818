#include "platform/Bitmap.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <array>
#include <cstring>
#include <limits>
#include <mutex>
#include <utility>

namespace slidora {

namespace {

// Blocks this large come from fresh pages of the system (the allocator's
// mapping threshold is at most 32 MiB), each page faulted in on first touch.
// A handful of such blocks are kept for the next bitmaps instead.
constexpr std::size_t kKeepFromBytes = 16u << 20;
// A kept block serves a request no smaller than this share of it, so a small
// picture does not hold on to a huge block.
constexpr std::size_t kLargestWasteDivisor = 2;

struct KeptBlock {
    SlidoraHGlobal handle = nullptr;
    std::size_t capacity = 0;
};

// Kept blocks, shared by every thread that makes bitmaps. Two cover the
// display step: the decoded picture and the resampled one.
class BlockKeeper {
  public:
    KeptBlock take(std::size_t size) {
        if (size < kKeepFromBytes) return {};
        const std::lock_guard<std::mutex> lock(m_mutex);
        KeptBlock* best = nullptr;
        for (KeptBlock& kept : m_blocks)
            if (kept.handle != nullptr && kept.capacity >= size &&
                kept.capacity / kLargestWasteDivisor <= size &&
                (best == nullptr || kept.capacity < best->capacity))
                best = &kept;
        if (best == nullptr) return {};
        return std::exchange(*best, KeptBlock{});
    }

    void give(KeptBlock block) {
        if (block.capacity >= kKeepFromBytes) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            // Keep the larger ones: a small block is cheap to make again.
            KeptBlock* smallest = &m_blocks[0];
            for (KeptBlock& kept : m_blocks)
                if (kept.capacity < smallest->capacity) smallest = &kept;
            if (smallest->capacity < block.capacity) std::swap(*smallest, block);
        }
        slidoraGlobalFree(block.handle);
    }

    void releaseAll() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (KeptBlock& kept : m_blocks)
            slidoraGlobalFree(std::exchange(kept, KeptBlock{}).handle);
    }

  private:
    std::mutex m_mutex;
    std::array<KeptBlock, 2> m_blocks{};
};

// Never destroyed, so a bitmap that outlives every other static can still
// hand its block back at exit.
BlockKeeper& keeper() {
    static BlockKeeper* const instance = new BlockKeeper;
    return *instance;
}

KeptBlock obtainBlock(std::size_t size) {
    KeptBlock block = keeper().take(size);
    if (block.handle != nullptr) {
        slidoraGlobalReuse(block.handle, size);
        return block;
    }
    block.handle = slidoraGlobalAlloc(size, BlockFill::Unfilled);
    block.capacity = block.handle != nullptr ? size : 0;
    return block;
}

} // namespace

void releaseKeptBitmapBlocks() {
    keeper().releaseAll();
}

void applyPictureAllocatorSettings() {
#if defined(__GLIBC__)
    // 32 MiB is the largest mapping threshold glibc accepts; larger blocks
    // are the ones BlockKeeper keeps.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
}

std::size_t Bitmap::strideFor(int width, int bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) return 0;
    const std::uint64_t bits =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitsPerPixel);
    const std::uint64_t bytes = ((bits + 31) / 32) * 4;
    if (bytes > std::numeric_limits<std::size_t>::max() / 2) return 0;
    return static_cast<std::size_t>(bytes);
}

Bitmap::~Bitmap() {
    release();
}

Bitmap::Bitmap(const Bitmap& other) {
    if (other.empty() ||
        !allocateUnfilled(other.m_width, other.m_height, other.m_bitsPerPixel, other.m_order))
        return;
    std::memcpy(m_pixels, other.m_pixels, byteCount());
    m_palette = other.m_palette;
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this != &other) {
        Bitmap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)),
      m_bitsPerPixel(std::exchange(other.m_bitsPerPixel, 0)),
      m_order(std::exchange(other.m_order, RowOrder::TopDown)),
      m_stride(std::exchange(other.m_stride, 0)), m_block(std::exchange(other.m_block, nullptr)),
      m_capacity(std::exchange(other.m_capacity, 0)),
      m_pixels(std::exchange(other.m_pixels, nullptr)), m_palette(std::move(other.m_palette)) {
    other.m_palette.clear();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        release();
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_bitsPerPixel = std::exchange(other.m_bitsPerPixel, 0);
        m_order = std::exchange(other.m_order, RowOrder::TopDown);
        m_stride = std::exchange(other.m_stride, 0);
        m_block = std::exchange(other.m_block, nullptr);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_pixels = std::exchange(other.m_pixels, nullptr);
        m_palette = std::move(other.m_palette);
        other.m_palette.clear();
    }
    return *this;
}

bool Bitmap::allocate(int width, int height, int bitsPerPixel) {
    if (!allocateUnfilled(width, height, bitsPerPixel, RowOrder::TopDown)) return false;
    std::memset(m_pixels, 0, byteCount());
    return true;
}

bool Bitmap::allocateUnfilled(int width, int height, int bitsPerPixel, RowOrder order) {
    clear();
    if (width <= 0 || height <= 0) return false;
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPicturePixels)
        return false;
    const std::size_t stride = strideFor(width, bitsPerPixel);
    if (stride == 0) return false;
    const KeptBlock block = obtainBlock(stride * static_cast<std::size_t>(height));
    if (block.handle == nullptr) return false;
    m_block = block.handle;
    m_capacity = block.capacity;
    m_pixels = static_cast<std::uint8_t*>(slidoraGlobalLock(m_block));
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
    m_order = order;
    m_stride = stride;
    const std::size_t used = (static_cast<std::size_t>(width) * bitsPerPixel + 7) / 8;
    if (used < stride)
        for (int y = 0; y < height; ++y)
            std::memset(row(y) + used, 0, stride - used);
    return true;
}

bool Bitmap::adoptBlock(SlidoraHGlobal block, int width, int height, int bitsPerPixel,
                        RowOrder order) {
    if (width <= 0 || height <= 0) return false;
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPicturePixels)
        return false;
    const std::size_t stride = strideFor(width, bitsPerPixel);
    const std::size_t size = slidoraGlobalSize(block);
    if (stride == 0 || size / stride < static_cast<std::size_t>(height)) return false;
    auto* pixels = static_cast<std::uint8_t*>(slidoraGlobalLock(block));
    if (pixels == nullptr) return false;
    clear();
    m_block = block;
    m_capacity = size;
    m_pixels = pixels;
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
    m_order = order;
    m_stride = stride;
    return true;
}

void Bitmap::makeTopDown() {
    if (m_order == RowOrder::TopDown) return;
    std::vector<std::uint8_t> spare(m_stride);
    for (int y = 0; y < m_height / 2; ++y) {
        std::uint8_t* top = m_pixels + static_cast<std::size_t>(y) * m_stride;
        std::uint8_t* bottom = m_pixels + static_cast<std::size_t>(m_height - 1 - y) * m_stride;
        std::memcpy(spare.data(), top, m_stride);
        std::memcpy(top, bottom, m_stride);
        std::memcpy(bottom, spare.data(), m_stride);
    }
    m_order = RowOrder::TopDown;
}

void Bitmap::release() {
    if (m_block == nullptr) return;
    slidoraGlobalUnlock(m_block);
    keeper().give(KeptBlock{m_block, m_capacity});
    m_block = nullptr;
    m_capacity = 0;
    m_pixels = nullptr;
}

void Bitmap::clear() {
    release();
    m_width = m_height = m_bitsPerPixel = 0;
    m_order = RowOrder::TopDown;
    m_stride = 0;
    m_palette.clear();
}

} // namespace slidora
