#pragma once
// Pictures made by code: plain patterns for exact comparisons and a few
// pleasant procedural scenes for the demo pictures and the benchmark.
#include "platform/Bitmap.h"

#include <cstdint>

namespace slidora::picwriter {

// 24-bit: red grows to the right, green downwards, blue along the diagonal.
Bitmap makeGradient(int width, int height);
// 24-bit squares of `cellPixels` in two colours.
Bitmap makeCheckerboard(int width, int height, int cellPixels, PaletteEntry first,
                        PaletteEntry second);
// 8-bit palette bitmap using every index below 2^bits in a diagonal pattern;
// the palette holds 2^bits distinct colours.
Bitmap makeIndexedPattern(int width, int height, int bits);
// 32-bit copy of a 24-bit bitmap whose fourth byte is an alpha ramp: 0 at
// the left edge to 255 at the right edge.
Bitmap withAlphaRamp(const Bitmap& source);

// Scenes, 24-bit. `seed` varies the details.
Bitmap makeSunset(int width, int height, std::uint32_t seed = 1);
Bitmap makePlasma(int width, int height, std::uint32_t seed = 1);
Bitmap makeMountains(int width, int height, std::uint32_t seed = 1);
Bitmap makeAurora(int width, int height, std::uint32_t seed = 1);
Bitmap makeBubbles(int width, int height, std::uint32_t seed = 1);
Bitmap makeMeadow(int width, int height, std::uint32_t seed = 1);

} // namespace slidora::picwriter
