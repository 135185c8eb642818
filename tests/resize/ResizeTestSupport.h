#pragma once
// Generated pictures as packed DIBs, and a handle on a resampler module
// opened the way the slideshow opens it.
#include "libs/resize32/ResizeImg.h"
#include "platform/Dib.h"
#include "platform/GlobalMem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace slidora::test {

struct Bgr {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
};

// Two global blocks freed together.
struct DibBlocks {
    SlidoraHGlobal header = nullptr;
    SlidoraHGlobal bits = nullptr;
    DibBlocks() = default;
    DibBlocks(const DibBlocks&) = delete;
    DibBlocks& operator=(const DibBlocks&) = delete;
    DibBlocks(DibBlocks&& other) noexcept;
    DibBlocks& operator=(DibBlocks&& other) noexcept;
    ~DibBlocks();

    BitmapInfoHeader* info() { return static_cast<BitmapInfoHeader*>(slidoraGlobalLock(header)); }
};

using ColourAt = std::function<Bgr(int x, int y)>;
using IndexAt = std::function<unsigned(int x, int y)>;

// y = 0 is the top row; rows are stored bottom-up unless topDown.
DibBlocks makeTrueColourDib(int width, int height, int bitCount, const ColourAt& colour,
                            bool topDown = false);
// 1, 4 or 8 bits per pixel with the given colour table (biClrUsed = its size).
DibBlocks makePaletteDib(int width, int height, int bitCount, const std::vector<RgbQuad>& table,
                         const IndexAt& index);

// A 24-bit DIB read back, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Bgr> pixels;
    const Bgr& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Checks the blocks hold a complete 24-bit BI_RGB packed DIB and reads it;
// returns a description of what is wrong, or an empty string.
std::string readResult(SlidoraHGlobal header, SlidoraHGlobal bits, Picture& out);

class Module {
  public:
    explicit Module(const std::string& path);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    ResizeImgFunction entry() const { return m_entry; }
    // Any other export by name; null when the module lacks it.
    void* symbol(const char* name) const;
    // Runs ResizeImg; on success the result blocks are moved into `result`.
    int resize(DibBlocks& source, int width, int height, DibBlocks& result) const;

  private:
    void* m_handle = nullptr;
    ResizeImgFunction m_entry = nullptr;
};

} // namespace slidora::test
