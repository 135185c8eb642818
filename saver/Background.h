#pragma once
// The window colour around a picture, sampled from the picture's own edge
// pixels so that the picture seems to continue into the border.
#include <cstdint>

namespace slidora {

class Bitmap;
class RandomSource;

// The colour chosen so far (red | green << 8 | blue << 16) and its
// brightness; a brightness of -1 means nothing has been chosen yet.
struct BackgroundChoice {
    std::uint32_t colour = 0;
    int brightness = -1;
};

// Considers the pixel at column x of a row (row 0 is the top). x is first
// limited to width - 2 and then to 0, so the rightmost column is never read.
// 24- and 32-bit pixels: brightness is blue + green + red (0-765); the sample
// replaces the choice when nothing is chosen, when the choice is darker than
// `density` and the sample brighter than the choice, or when the sample is
// brighter than `density` but darker than the choice. 8-bit pixels: the
// palette index b stands for both colour and brightness and replaces the
// choice when nothing is chosen or b is below the current brightness.
// A row outside the bitmap or an empty bitmap leaves the choice unchanged.
void BGSample(const Bitmap& bmp, int row, int x, int density, BackgroundChoice& choice);

// scanCount + 1 times: a random row, sampled at column width - 2 and then 0.
void BGScanSides(const Bitmap& bmp, int scanCount, int density, RandomSource& rnd,
                 BackgroundChoice& choice);

// scanCount / 2 + 1 random columns of the top row, then as many of the
// bottom row.
void BGScanTopBottom(const Bitmap& bmp, int scanCount, int density, RandomSource& rnd,
                     BackgroundChoice& choice);

// The whole choice for a picture shown in a window windowHeight pixels high:
// when the picture (nearly) fills the height the visible border is left and
// right, so the sides are scanned first; otherwise top and bottom first. The
// other pair of edges is scanned too when the result is still very dark
// (brightness below 10). Returns the colour (low 24 bits); black for an
// empty bitmap.
std::uint32_t chooseBackground(const Bitmap& bmp, int windowHeight, int scanCount, int density,
                               RandomSource& rnd);

} // namespace slidora
