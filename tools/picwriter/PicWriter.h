#pragma once
// Writing pictures by code, for the tests, the benchmark and the demo
// pictures: BMP in every layout the reader knows, JPEG and PNG through
// libjpeg and libpng. Each writer answers false when the options do not fit
// the bitmap or the file cannot be written.
#include "platform/Bitmap.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace slidora::picwriter {

struct BmpOptions {
    // 1, 4 and 8 take an 8-bit palette bitmap (indices must fit the depth);
    // 16, 24 and 32 take a 24- or 32-bit bitmap.
    int bitsPerPixel = 24;
    bool rle = false;         // RLE8 at 8 bits, RLE4 at 4 bits
    bool topDown = false;     // negative height, rows stored top first
    bool coreHeader = false;  // OS/2 12-byte header, 3-byte palette entries
    int infoHeaderBytes = 40; // 40, 108 (V4) or 124 (V5) when not coreHeader
    bool bitfields = false;   // BI_BITFIELDS with `masks` (16 and 32 bits)
    std::array<std::uint32_t, 3> masks{0x7C00, 0x03E0, 0x001F}; // red, green, blue
};

// Offsets of fields in a written BMP, for tests that damage them.
inline constexpr std::size_t kBmpDataOffsetField = 10;
inline constexpr std::size_t kBmpWidthField = 18;
inline constexpr std::size_t kBmpHeightField = 22;
inline constexpr std::size_t kBmpImageSizeField = 34;
inline constexpr std::size_t kBmpColoursUsedField = 46;

// The whole file in memory; empty when the options do not fit the bitmap.
std::vector<std::uint8_t> encodeBmp(const Bitmap& bitmap, const BmpOptions& options = {});
bool writeBmp(const std::string& path, const Bitmap& bitmap, const BmpOptions& options = {});

enum class JpegColour { Rgb, Grey, Cmyk };

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    // Grey stores greyLevel() of each pixel. Cmyk stores Adobe-style inverted
    // CMYK that converts back to the same RGB.
    JpegColour colour = JpegColour::Rgb;
    // Written as an APP1 marker right after the start of the file when not
    // empty (see exifOrientationBlock).
    std::vector<std::uint8_t> exif;
};

// Takes a 24- or 32-bit bitmap.
bool writeJpeg(const std::string& path, const Bitmap& bitmap, const JpegOptions& options = {});

// The APP1 payload of an Exif block whose IFD0 holds one entry, the
// Orientation tag, in the byte order asked for.
std::vector<std::uint8_t> exifOrientationBlock(int orientation, bool bigEndian);

// A progressive JPEG file with its first scan repeated `copies` more times
// right behind itself: still decodable (libjpeg only warns about scans that
// add nothing), but every copy costs the decoder a walk over the picture's
// coefficients, the shape of a file crafted to hold a decoder up. Empty when
// the file has no scan.
std::vector<std::uint8_t> repeatFirstScan(const std::vector<std::uint8_t>& jpeg, int copies);

enum class PngColour { Grey, GreyAlpha, Rgb, RgbAlpha, Palette };

struct PngOptions {
    PngColour colour = PngColour::Rgb;
    // 8 or 16 for all; 1, 2 and 4 also for Grey and Palette. 16-bit samples
    // are the 8-bit value times 257, so they scale back exactly.
    int bitDepth = 8;
    bool interlaced = false; // Adam7
    // Palette: per-entry alpha written as a tRNS chunk (may be shorter than
    // the palette). Grey/Rgb: ignored.
    std::vector<std::uint8_t> paletteAlpha;
};

// Grey and Rgb take a 24- or 32-bit bitmap; GreyAlpha and RgbAlpha a 32-bit
// bitmap whose fourth byte is the alpha; Palette an 8-bit palette bitmap.
bool writePng(const std::string& path, const Bitmap& bitmap, const PngOptions& options = {});

// The grey level the writers store for a colour (ITU-R BT.601 weights).
std::uint8_t greyLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

std::vector<std::uint8_t> readFileBytes(const std::string& path);
bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace slidora::picwriter
