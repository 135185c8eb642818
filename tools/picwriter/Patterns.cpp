#include "tools/picwriter/Patterns.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace slidora::picwriter {
namespace {

constexpr double kPi = std::numbers::pi;

struct Colour {
    double red = 0;
    double green = 0;
    double blue = 0;
};

Colour mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t,
            a.blue + (b.blue - a.blue) * t};
}

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

// Fine film grain in -amount..amount: makes the scenes look less synthetic
// and keeps even smooth gradients from compressing to almost nothing.
double grain(int x, int y, std::uint32_t seed, double amount) {
    return (static_cast<double>(
                hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) & 0xFFFF) /
                65535.0 * 2.0 -
            1.0) *
           amount;
}

void store(Bitmap& bitmap, int x, int y, Colour c, double noise = 0) {
    std::uint8_t* p = bitmap.row(y) + static_cast<std::size_t>(x) * 3;
    auto channel = [noise](double v) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(v + noise), 0L, 255L));
    };
    p[0] = channel(c.blue);
    p[1] = channel(c.green);
    p[2] = channel(c.red);
}

// A small deterministic generator for scene layouts.
class Lcg {
  public:
    explicit Lcg(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    double next() {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / 16777216.0;
    }

  private:
    std::uint32_t m_state;
};

Bitmap blank(int width, int height) {
    Bitmap bitmap;
    bitmap.allocate(width, height, 24);
    return bitmap;
}

} // namespace

Bitmap makeGradient(int width, int height) {
    Bitmap bitmap = blank(width, height);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const double fx = width > 1 ? x * 255.0 / (width - 1) : 0;
            const double fy = height > 1 ? y * 255.0 / (height - 1) : 0;
            store(bitmap, x, y, {fx, fy, (fx + fy) / 2});
        }
    return bitmap;
}

Bitmap makeCheckerboard(int width, int height, int cellPixels, PaletteEntry first,
                        PaletteEntry second) {
    Bitmap bitmap = blank(width, height);
    cellPixels = std::max(cellPixels, 1);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const PaletteEntry& e = ((x / cellPixels + y / cellPixels) % 2 == 0) ? first : second;
            store(bitmap, x, y, {double(e.red), double(e.green), double(e.blue)});
        }
    return bitmap;
}

Bitmap makeIndexedPattern(int width, int height, int bits) {
    Bitmap bitmap;
    if (bits < 1 || bits > 8 || !bitmap.allocate(width, height, 8)) return bitmap;
    const int count = 1 << bits;
    for (int i = 0; i < count; ++i) {
        const double t = count > 1 ? double(i) / (count - 1) : 0;
        bitmap.palette().push_back(
            PaletteEntry{static_cast<std::uint8_t>(std::lround(255 * t)),
                         static_cast<std::uint8_t>((i * 97) & 0xFF),
                         static_cast<std::uint8_t>(255 - std::lround(255 * t))});
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.row(y)[x] = static_cast<std::uint8_t>((x + 3 * y + (x * y) / 7) % count);
    return bitmap;
}

Bitmap withAlphaRamp(const Bitmap& source) {
    Bitmap bitmap;
    if (source.bitsPerPixel() != 24 || !bitmap.allocate(source.width(), source.height(), 32))
        return bitmap;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const std::uint8_t* in = source.row(y) + 3 * static_cast<std::size_t>(x);
            std::uint8_t* out = bitmap.row(y) + 4 * static_cast<std::size_t>(x);
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = static_cast<std::uint8_t>(source.width() > 1 ? x * 255 / (source.width() - 1)
                                                                  : 255);
        }
    return bitmap;
}

Bitmap makeSunset(int width, int height, std::uint32_t seed) {
    Bitmap bitmap = blank(width, height);
    Lcg random(seed);
    const double horizon = 0.62 * height;
    const double sunX = (0.3 + 0.4 * random.next()) * width;
    const double sunY = horizon - 0.12 * height;
    const double sunRadius = 0.08 * std::min(width, height);
    struct Circle {
        double x, y, r;
    };
    std::vector<Circle> balloons;
    for (int i = 0; i < 7; ++i)
        balloons.push_back({random.next() * width, (0.1 + 0.35 * random.next()) * height,
                            (0.015 + 0.03 * random.next()) * std::min(width, height)});
    const Colour top{40, 20, 90}, middle{220, 90, 110}, low{255, 180, 80};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Colour c;
            const double distance = std::hypot(x - sunX, y - sunY);
            if (y < horizon) {
                const double t = y / horizon;
                c = t < 0.6 ? mix(top, middle, t / 0.6) : mix(middle, low, (t - 0.6) / 0.4);
                c = mix(c, {255, 230, 160}, std::exp(-distance / (3 * sunRadius)) * 0.7);
                if (distance < sunRadius)
                    c = mix({255, 245, 200}, {255, 200, 90}, distance / sunRadius);
                for (const Circle& b : balloons) {
                    const double d = std::hypot(x - b.x, y - b.y);
                    if (d < b.r) c = mix({70, 30, 60}, c, 0.25 + 0.5 * d / b.r);
                }
            } else {
                const double t = (y - horizon) / (height - horizon);
                c = mix({150, 70, 90}, {20, 20, 50}, t);
                const double wave = std::sin(y * 0.9 + std::sin(x * 0.02) * 3) * 0.5 + 0.5;
                const double glow = std::exp(-std::abs(x - sunX) / (1.5 * sunRadius)) * (1 - t);
                c = mix(c, {255, 200, 120}, glow * wave);
            }
            store(bitmap, x, y, c, grain(x, y, seed, 5));
        }
    return bitmap;
}

Bitmap makePlasma(int width, int height, std::uint32_t seed) {
    Bitmap bitmap = blank(width, height);
    const double phase = seed * 0.7;
    const double scale = 6.0 / std::max(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = x * scale, v = y * scale;
            const double value = std::sin(u * 2.1 + phase) + std::sin(v * 1.7 - phase) +
                                 std::sin((u + v) * 1.3) + std::sin(std::hypot(u - 3, v - 2) * 2.5);
            const double t = value * kPi / 2;
            store(bitmap, x, y,
                  {128 + 127 * std::sin(t), 128 + 127 * std::sin(t + 2 * kPi / 3),
                   128 + 127 * std::sin(t + 4 * kPi / 3)},
                  grain(x, y, seed, 4));
        }
    return bitmap;
}

Bitmap makeMountains(int width, int height, std::uint32_t seed) {
    Bitmap bitmap = blank(width, height);
    Lcg random(seed);
    constexpr int kLayers = 5;
    double phases[kLayers][3];
    for (auto& layer : phases)
        for (double& p : layer)
            p = random.next() * 2 * kPi;
    for (int x = 0; x < width; ++x) {
        const double u = double(x) / width;
        double ridges[kLayers];
        for (int l = 0; l < kLayers; ++l) {
            const double base = 0.35 + 0.1 * l;
            ridges[l] = height * (base + 0.08 * std::sin(u * (3 + l) * kPi + phases[l][0]) +
                                  0.04 * std::sin(u * (11 + 2 * l) * kPi + phases[l][1]) +
                                  0.015 * std::sin(u * (37 + 5 * l) * kPi + phases[l][2]));
        }
        for (int y = 0; y < height; ++y) {
            Colour c = mix({120, 170, 230}, {250, 220, 200}, double(y) / height * 1.4);
            for (int l = 0; l < kLayers; ++l)
                if (y >= ridges[l]) {
                    const double depth = double(l) / (kLayers - 1);
                    c = mix({150, 160, 200}, {30, 60, 45}, depth);
                    c = mix(c, {20, 30, 25}, (y - ridges[l]) / height * 0.8);
                }
            store(bitmap, x, y, c, grain(x, y, seed, 6));
        }
    }
    return bitmap;
}

Bitmap makeAurora(int width, int height, std::uint32_t seed) {
    Bitmap bitmap = blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            Colour c = mix({5, 10, 35}, {15, 30, 60}, v);
            const double curtainY = 0.35 + 0.12 * std::sin(u * 7 + seed) + 0.05 * std::sin(u * 19);
            const double below = v - curtainY;
            const double band = below > 0 ? std::exp(-below * 9) : std::exp(below * 40);
            const double rays = 0.6 + 0.4 * std::sin(u * 140 + std::sin(u * 9) * 4);
            c = mix(c, {60, 255, 150}, band * rays * 0.85);
            c = mix(c, {180, 80, 220}, std::exp(-std::abs(below + 0.12) * 18) * 0.35 * rays);
            if ((hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) % 1500) ==
                    0 &&
                v < 0.8)
                c = {230, 230, 255};
            if (v > 0.85 - 0.03 * std::sin(u * 13)) c = {8, 12, 16};
            store(bitmap, x, y, c, grain(x, y, seed, 4));
        }
    return bitmap;
}

Bitmap makeBubbles(int width, int height, std::uint32_t seed) {
    Bitmap bitmap = blank(width, height);
    Lcg random(seed);
    struct Bubble {
        double x, y, r;
        Colour tint;
    };
    std::vector<Bubble> bubbles;
    for (int i = 0; i < 40; ++i)
        bubbles.push_back(
            {random.next() * width,
             random.next() * height,
             (0.02 + 0.08 * random.next()) * std::min(width, height),
             {120 + 135 * random.next(), 120 + 135 * random.next(), 200 + 55 * random.next()}});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Colour c = mix({10, 110, 130}, {10, 30, 90}, double(y) / height);
            for (const Bubble& b : bubbles) {
                const double d = std::hypot(x - b.x, y - b.y) / b.r;
                if (d < 1) c = mix(c, b.tint, 0.15 + 0.55 * std::pow(d, 6));
                const double highlight =
                    std::hypot(x - (b.x - 0.4 * b.r), y - (b.y - 0.4 * b.r)) / b.r;
                if (highlight < 0.18) c = mix(c, {255, 255, 255}, 0.7 * (1 - highlight / 0.18));
            }
            store(bitmap, x, y, c, grain(x, y, seed, 5));
        }
    return bitmap;
}

Bitmap makeMeadow(int width, int height, std::uint32_t seed) {
    Bitmap bitmap = blank(width, height);
    Lcg random(seed);
    const double hillPhase = random.next() * 2 * kPi;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            Colour c = mix({90, 150, 235}, {200, 225, 250}, v * 1.8);
            const double cloud =
                std::sin(u * 9 + hillPhase) * std::sin(v * 23) + std::sin(u * 17 - v * 5);
            if (v < 0.45 && cloud > 1.1) c = mix(c, {250, 250, 250}, (cloud - 1.1) * 1.5);
            const double hill = 0.55 + 0.06 * std::sin(u * 5 + hillPhase) + 0.03 * std::sin(u * 13);
            if (v > hill) {
                c = mix({110, 180, 70}, {40, 100, 30}, (v - hill) * 2.5);
                const std::uint32_t h = hash(static_cast<std::uint32_t>(x / 6),
                                             static_cast<std::uint32_t>(y / 6), seed);
                if (h % 97 == 0) c = (h >> 8) % 2 ? Colour{250, 230, 60} : Colour{240, 90, 120};
            }
            store(bitmap, x, y, c, grain(x, y, seed, 7));
        }
    return bitmap;
}

} // namespace slidora::picwriter
