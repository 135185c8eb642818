#include "saver/Layout.h"

#include <climits>

namespace slidora {
namespace {

// numerator / denominator in extended precision, rounded once to single.
float ratio(int numerator, int denominator) {
    return static_cast<float>(static_cast<long double>(numerator) /
                              static_cast<long double>(denominator));
}

// dimension x factor in extended precision, truncated toward zero. The
// product of a 31-bit integer and a 24-bit mantissa is exact in a long
// double, so truncation sees the true value. Clamped to int's range for
// absurd magnifications.
int scaled(int dimension, float factor) {
    const long double product = static_cast<long double>(dimension) * factor;
    if (!(product < static_cast<long double>(INT_MAX))) return product < 0 ? INT_MIN : INT_MAX;
    if (product <= static_cast<long double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(product);
}

} // namespace

Placement StretchSize(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight,
                      float maxMagnification) {
    Placement p;
    if (pictureWidth <= 0 || pictureHeight <= 0) {
        p.x = windowWidth / 2;
        p.y = windowHeight / 2;
        return p;
    }
    float f = 1.0f;
    int w = pictureWidth;
    int h = pictureHeight;
    if (pictureWidth > windowWidth) {
        f = ratio(windowWidth, pictureWidth);
        w = windowWidth;
        h = scaled(pictureHeight, f);
    }
    if (h > windowHeight) {
        f = ratio(windowHeight, pictureHeight);
        h = windowHeight;
        w = scaled(pictureWidth, f);
    }
    if (f == 1.0f) {
        f = ratio(windowWidth, pictureWidth);
        if (f > maxMagnification) f = maxMagnification;
        h = scaled(pictureHeight, f);
        if (h > windowHeight) {
            f = ratio(windowHeight, pictureHeight);
            h = scaled(pictureHeight, f);
        }
        w = scaled(pictureWidth, f);
    }
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    p.width = w;
    p.height = h;
    // In 64 bits: a size clamped to INT_MAX must not overflow the subtraction.
    p.x = static_cast<int>((static_cast<long long>(windowWidth) - w) / 2);
    p.y = static_cast<int>((static_cast<long long>(windowHeight) - h) / 2);
    return p;
}

} // namespace slidora
