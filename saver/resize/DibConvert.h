#pragma once
// Conversions between the program's bitmap and packed DIBs held in global
// blocks, the form in which pictures travel to the resampler module and back.
#include "platform/Bitmap.h"
#include "platform/Dib.h"
#include "platform/GlobalMem.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace slidora {

// One global block owned by this side. Unlocks (when locked through it) and
// frees the block when it goes.
class GlobalBlock {
  public:
    GlobalBlock() = default;
    // Takes ownership of a block allocated elsewhere (e.g. by the module).
    explicit GlobalBlock(SlidoraHGlobal adopted) : m_handle(adopted) {}
    ~GlobalBlock() { reset(); }
    GlobalBlock(GlobalBlock&& other) noexcept;
    GlobalBlock& operator=(GlobalBlock&& other) noexcept;
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    // A zeroed block of `size` bytes; holds no block when allocation fails.
    static GlobalBlock allocate(std::size_t size);
    // The same without clearing, for a block that is written whole at once.
    static GlobalBlock allocateUnfilled(std::size_t size);

    SlidoraHGlobal handle() const { return m_handle; }
    // Locks the block on first use; null for no block or an invalid handle.
    std::uint8_t* lock();
    std::size_t size() const { return slidoraGlobalSize(m_handle); }
    // Unlocks the block (when locked through this object) and hands it over.
    SlidoraHGlobal release();
    void reset();

  private:
    SlidoraHGlobal m_handle = nullptr;
    std::uint8_t* m_data = nullptr;
};

// Header block (BITMAPINFOHEADER and colour table) and bits block.
struct PackedDib {
    GlobalBlock header;
    GlobalBlock bits;
};

// The header block (BITMAPINFOHEADER and colour table) of `bitmap` as a
// packed DIB: for a bottom-up bitmap, whose block already is the bits block.
// An 8-bit bitmap without a palette gets a grey ramp. False for an empty
// bitmap or when the block cannot be allocated.
bool packedDibHeader(const Bitmap& bitmap, GlobalBlock& out);

// Writes `bitmap` as a BI_RGB packed DIB with its own bit count (8, 24 or 32),
// rows bottom-up. An 8-bit bitmap without a palette gets a grey ramp. Returns
// false for an empty bitmap or when a block cannot be allocated.
bool packedDibFromBitmap(const Bitmap& bitmap, PackedDib& out);

// The palette of a DIB: as many entries as the header's used-colour count,
// or, when that is 0, 2 to the power of the bit count (none for 24 bits).
// Empty when that number is below 1 or above 256, or when the colour table
// (after biSize bytes of header) would reach past `headerBlockSize` bytes.
std::vector<PaletteEntry> DIBPalette(const BitmapInfoHeader* header, std::size_t headerBlockSize);
// For a header whose complete colour table is known to follow it.
std::vector<PaletteEntry> DIBPalette(const BitmapInfoHeader* header);

// Fills `out` from a BI_RGB packed DIB of 1, 4, 8, 16, 24 or 32 bits per
// pixel, bottom-up or (negative height) top-down. 1, 4 and 8 bits give an
// 8-bit bitmap with the DIB's palette (padded with black to 256 entries when
// a pixel's index lies past it), 16 bits (5-5-5) give 24 bits. Returns false
// and leaves `out` alone when the header is unusable or the blocks are too
// small for it.
bool DIBToBitmap(const BitmapInfoHeader* header, std::size_t headerBlockSize,
                 const std::uint8_t* bits, std::size_t bitsSize, Bitmap& out);
// For a header whose complete colour table is known to follow it.
bool DIBToBitmap(const BitmapInfoHeader* header, const std::uint8_t* bits, std::size_t bitsSize,
                 Bitmap& out);
// Locks both blocks of `dib` and converts them.
bool DIBToBitmap(PackedDib& dib, Bitmap& out);

} // namespace slidora
