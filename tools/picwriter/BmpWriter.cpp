#include "tools/picwriter/PicWriter.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace slidora::picwriter {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}
void set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Places an 8-bit channel value into a mask, keeping its top bits.
std::uint32_t packChannel(std::uint8_t value, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const std::uint64_t scaled =
        bits <= 8 ? value >> (8 - bits) : std::uint64_t{value} << (bits - 8);
    return static_cast<std::uint32_t>((scaled << shift) & mask);
}

// Index of pixel x of row y of an 8-bit bitmap, or BGR of a 24/32-bit one.
const std::uint8_t* pixelAt(const Bitmap& bitmap, int x, int y) {
    return bitmap.row(y) + static_cast<std::size_t>(x) * (bitmap.bitsPerPixel() / 8);
}

void encodeRow(const Bitmap& bitmap, int y, const BmpOptions& options,
               const std::array<std::uint32_t, 3>& masks, std::vector<std::uint8_t>& out) {
    const int width = bitmap.width();
    const int bits = options.bitsPerPixel;
    const std::size_t start = out.size();
    if (bits <= 8) {
        const int perByte = 8 / bits;
        std::uint8_t byte = 0;
        for (int x = 0; x < width; ++x) {
            const int index = *pixelAt(bitmap, x, y) & ((1 << bits) - 1);
            byte = static_cast<std::uint8_t>(byte | (index << (8 - bits * (x % perByte + 1))));
            if (x % perByte == perByte - 1 || x == width - 1) {
                out.push_back(byte);
                byte = 0;
            }
        }
    } else {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = pixelAt(bitmap, x, y);
            if (bits == 24) {
                out.insert(out.end(), p, p + 3);
                continue;
            }
            const std::uint32_t value = packChannel(p[2], masks[0]) | packChannel(p[1], masks[1]) |
                                        packChannel(p[0], masks[2]);
            if (bits == 16)
                put16(out, value);
            else
                put32(out, value);
        }
    }
    while ((out.size() - start) % 4 != 0)
        out.push_back(0);
}

// Run-length codes for one row of indices: runs of equal values as (count,
// value) pairs, stretches of differing values as absolute blocks; each row
// ends with an end-of-line escape.
void encodeRunLengthRow(const std::vector<std::uint8_t>& values, bool rle4,
                        std::vector<std::uint8_t>& out) {
    const std::size_t width = values.size();
    auto runAt = [&](std::size_t x) {
        std::size_t n = 1;
        while (x + n < width && n < 255 && values[x + n] == values[x])
            ++n;
        return n;
    };
    auto emitRun = [&](std::size_t count, std::uint8_t value) {
        out.push_back(static_cast<std::uint8_t>(count));
        out.push_back(rle4 ? static_cast<std::uint8_t>(value << 4 | value) : value);
    };
    std::size_t x = 0;
    while (x < width) {
        const std::size_t run = runAt(x);
        if (run >= 3 || width - x < 3) {
            emitRun(run, values[x]);
            x += run;
            continue;
        }
        std::size_t end = x;
        while (end < width && end - x < 255 && runAt(end) < 3)
            ++end;
        const std::size_t count = end - x;
        if (count < 3) {
            for (; x < end; ++x)
                emitRun(1, values[x]);
            continue;
        }
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(count));
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < count; i += rle4 ? 2 : 1, ++bytes) {
            if (!rle4) {
                out.push_back(values[x + i]);
                continue;
            }
            const std::uint8_t low = i + 1 < count ? values[x + i + 1] : 0;
            out.push_back(static_cast<std::uint8_t>(values[x + i] << 4 | low));
        }
        if (bytes % 2 != 0) out.push_back(0);
        x = end;
    }
    out.push_back(0);
    out.push_back(0);
}

bool optionsFit(const Bitmap& bitmap, const BmpOptions& options) {
    const int bits = options.bitsPerPixel;
    if (bitmap.empty()) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if ((bits <= 8) != (bitmap.bitsPerPixel() == 8)) return false;
    if (options.rle && bits != 4 && bits != 8) return false;
    if (options.bitfields && bits != 16 && bits != 32) return false;
    if (options.coreHeader) {
        if (options.rle || options.topDown || options.bitfields || bits == 16 || bits == 32)
            return false;
        if (bitmap.width() > 0xFFFF || bitmap.height() > 0xFFFF) return false;
    } else if (options.infoHeaderBytes != 40 && options.infoHeaderBytes != 108 &&
               options.infoHeaderBytes != 124) {
        return false;
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> encodeBmp(const Bitmap& bitmap, const BmpOptions& options) {
    if (!optionsFit(bitmap, options)) return {};
    const int bits = options.bitsPerPixel;
    const std::uint32_t headerBytes = options.coreHeader ? 12 : options.infoHeaderBytes;
    const std::uint32_t compression = options.rle         ? (bits == 8 ? kBiRle8 : kBiRle4)
                                      : options.bitfields ? kBiBitfields
                                                          : kBiRgb;
    std::array<std::uint32_t, 3> masks = options.masks;
    if (!options.bitfields)
        masks = bits == 16 ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                           : std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
    const std::size_t paletteCount =
        bits <= 8 ? std::min<std::size_t>(bitmap.palette().size(), std::size_t{1} << bits) : 0;

    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 0); // file size, set at the end
    put32(out, 0);
    put32(out, 0); // pixel data offset, set below
    put32(out, headerBytes);
    if (options.coreHeader) {
        put16(out, static_cast<std::uint32_t>(bitmap.width()));
        put16(out, static_cast<std::uint32_t>(bitmap.height()));
        put16(out, 1);
        put16(out, static_cast<std::uint32_t>(bits));
    } else {
        put32(out, static_cast<std::uint32_t>(bitmap.width()));
        put32(out,
              static_cast<std::uint32_t>(options.topDown ? -bitmap.height() : bitmap.height()));
        put16(out, 1);
        put16(out, static_cast<std::uint32_t>(bits));
        put32(out, compression);
        put32(out, 0);    // image size, set at the end
        put32(out, 2835); // 72 dpi
        put32(out, 2835);
        put32(out, static_cast<std::uint32_t>(paletteCount));
        put32(out, 0);
        if (headerBytes >= 108) {
            for (std::uint32_t mask : masks)
                put32(out, options.bitfields ? mask : 0);
            put32(out, 0);                   // alpha mask
            put32(out, 0x73524742);          // 'sRGB'
            out.resize(14 + headerBytes, 0); // endpoints, gamma, V5 intent and profile
        } else if (options.bitfields) {
            for (std::uint32_t mask : masks)
                put32(out, mask);
        }
    }
    for (std::size_t i = 0; i < paletteCount; ++i) {
        const PaletteEntry& entry = bitmap.palette()[i];
        out.push_back(entry.blue);
        out.push_back(entry.green);
        out.push_back(entry.red);
        if (!options.coreHeader) out.push_back(0);
    }

    const std::size_t dataOffset = out.size();
    set32(out, 10, static_cast<std::uint32_t>(dataOffset));
    const int height = bitmap.height();
    std::vector<std::uint8_t> values(static_cast<std::size_t>(bitmap.width()));
    for (int i = 0; i < height; ++i) {
        const int y = options.topDown ? i : height - 1 - i;
        if (!options.rle) {
            encodeRow(bitmap, y, options, masks, out);
            continue;
        }
        for (int x = 0; x < bitmap.width(); ++x)
            values[static_cast<std::size_t>(x)] = *pixelAt(bitmap, x, y) & ((1 << bits) - 1);
        encodeRunLengthRow(values, bits == 4, out);
    }
    if (options.rle) {
        out.push_back(0);
        out.push_back(1);
    }
    set32(out, 2, static_cast<std::uint32_t>(out.size()));
    if (!options.coreHeader) set32(out, 34, static_cast<std::uint32_t>(out.size() - dataOffset));
    return out;
}

bool writeBmp(const std::string& path, const Bitmap& bitmap, const BmpOptions& options) {
    const std::vector<std::uint8_t> bytes = encodeBmp(bitmap, options);
    return !bytes.empty() && writeFileBytes(path, bytes);
}

std::vector<std::uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

std::uint8_t greyLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<std::uint8_t>((red * 299 + green * 587 + blue * 114 + 500) / 1000);
}

} // namespace slidora::picwriter
