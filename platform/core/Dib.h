#pragma once
// Packed device-independent bitmaps with the Windows layout: the contract
// between the program and the resampler module. A packed DIB travels in two
// global memory blocks (see GlobalMem.h): a header block holding a
// BITMAPINFOHEADER (40 bytes) followed by its colour table, and a bits block
// holding the pixel rows bottom-up, each padded to a multiple of 4 bytes.
// Header-only so that the module needs nothing from the program.
#include <cstdint>

namespace slidora {

#pragma pack(push, 1)
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0; // positive: rows stored bottom-up
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0; // 0 = BI_RGB, the only kind exchanged
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct RgbQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};
#pragma pack(pop)

static_assert(sizeof(BitmapInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(RgbQuad) == 4, "RGBQUAD is 4 bytes");

inline constexpr std::uint32_t kBiRgb = 0;

} // namespace slidora
