#include "saver/Background.h"

#include "platform/Bitmap.h"
#include "platform/Random.h"

namespace slidora {
namespace {

// Below this brightness the first pair of edges gave a near-black colour and
// the other pair is tried as well.
constexpr int kDarkBrightness = 10;

} // namespace

void BGSample(const Bitmap& bmp, int row, int x, int density, BackgroundChoice& choice) {
    if (bmp.empty() || row < 0 || row >= bmp.height()) return;
    if (x > bmp.width() - 2) x = bmp.width() - 2;
    if (x < 0) x = 0;
    const std::uint8_t* line = bmp.row(row);
    const int bpp = bmp.bitsPerPixel();
    if (bpp == 24 || bpp == 32) {
        // A 32-bit pixel is blue, green, red and an unused byte, so it takes
        // the 24-bit rule. The single-byte rule below exists for palette
        // pictures; applied to 32-bit rows it would read one colour channel
        // of some pixel left of x and show it as a shade of red.
        const std::uint8_t* pixel = line + static_cast<std::size_t>(x) * (bpp / 8);
        const int blue = pixel[0];
        const int green = pixel[1];
        const int red = pixel[2];
        const std::uint32_t colour = static_cast<std::uint32_t>(red) |
                                     static_cast<std::uint32_t>(green) << 8 |
                                     static_cast<std::uint32_t>(blue) << 16;
        const int s = blue + green + red;
        if (choice.brightness < 0 || (choice.brightness < density && s > choice.brightness) ||
            (s > density && s < choice.brightness)) {
            choice.colour = colour;
            choice.brightness = s;
        }
        return;
    }
    const int b = line[x];
    if (choice.brightness < 0 || b < choice.brightness) {
        choice.colour = static_cast<std::uint32_t>(b);
        choice.brightness = b;
    }
}

void BGScanSides(const Bitmap& bmp, int scanCount, int density, RandomSource& rnd,
                 BackgroundChoice& choice) {
    for (int i = 0; i <= scanCount; ++i) {
        const int y = rnd.below(bmp.height());
        BGSample(bmp, y, bmp.width() - 2, density, choice);
        BGSample(bmp, y, 0, density, choice);
    }
}

void BGScanTopBottom(const Bitmap& bmp, int scanCount, int density, RandomSource& rnd,
                     BackgroundChoice& choice) {
    const int passes = scanCount / 2 + 1;
    for (int i = 0; i < passes; ++i)
        BGSample(bmp, 0, rnd.below(bmp.width()), density, choice);
    for (int i = 0; i < passes; ++i)
        BGSample(bmp, bmp.height() - 1, rnd.below(bmp.width()), density, choice);
}

std::uint32_t chooseBackground(const Bitmap& bmp, int windowHeight, int scanCount, int density,
                               RandomSource& rnd) {
    BackgroundChoice choice;
    if (bmp.empty()) return 0;
    if (bmp.height() + 5 > windowHeight) {
        BGScanSides(bmp, scanCount, density, rnd, choice);
        if (choice.brightness < kDarkBrightness)
            BGScanTopBottom(bmp, scanCount, density, rnd, choice);
    } else {
        BGScanTopBottom(bmp, scanCount, density, rnd, choice);
        if (choice.brightness < kDarkBrightness) BGScanSides(bmp, scanCount, density, rnd, choice);
    }
    return choice.colour & 0xFFFFFFu;
}

} // namespace slidora
