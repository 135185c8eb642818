#include "saver/picture/BmpDecoder.h"

#include "saver/picture/PictureFile.h"
#include "saver/picture/StopRequest.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

namespace slidora {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
// Rows read in one go between two looks for a stop, and run-length codes
// decoded between two looks (besides one at every end of line).
constexpr int kRowsPerRead = 64;
constexpr std::uint64_t kCodesPerStopCheck = 1 << 16;

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// One colour channel described by a bit mask.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    // False when the mask is empty or its bits are not contiguous.
    bool set(std::uint32_t newMask) {
        mask = newMask;
        if (mask == 0) return false;
        shift = std::countr_zero(mask);
        bits = std::popcount(mask);
        return bits == 32 || (mask >> shift) == (std::uint32_t{1} << bits) - 1;
    }
    // Scales the channel to 0..255, rounding to the nearest value.
    std::uint8_t extract(std::uint32_t pixel) const {
        const std::uint64_t value = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
        const std::uint64_t top = (std::uint64_t{1} << bits) - 1;
        return static_cast<std::uint8_t>((value * 255 + top / 2) / top);
    }
};

struct BmpHeader {
    std::uint32_t dataOffset = 0; // bfOffBits as written, 0 when absent
    std::uint32_t headerBytes = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // positive, see topDown
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0;
    bool hasMasks = false; // masks came inside the info header
    std::array<std::uint32_t, 3> masks{};
};

bool readExact(std::FILE* file, void* buffer, std::size_t bytes) {
    return std::fread(buffer, 1, bytes, file) == bytes;
}

bool seekTo(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

DecodeResult readHeader(std::FILE* file, const std::string& path, BmpHeader& header) {
    std::uint8_t fileHeader[kFileHeaderBytes];
    if (!readExact(file, fileHeader, sizeof fileHeader) || fileHeader[0] != 'B' ||
        fileHeader[1] != 'M')
        return DecodeResult::invalid(path + ": not a bitmap file");
    header.dataOffset = le32(fileHeader + 10);

    std::uint8_t info[124] = {};
    if (!readExact(file, info, 4)) return DecodeResult::invalid(path + ": bitmap header cut short");
    header.headerBytes = le32(info);
    switch (header.headerBytes) {
    case kCoreHeaderBytes:
    case 40:
    case 52:
    case 56:
    case 108:
    case 124:
        break;
    default:
        return DecodeResult::invalid(path + ": unknown bitmap header size");
    }
    if (!readExact(file, info + 4, header.headerBytes - 4))
        return DecodeResult::invalid(path + ": bitmap header cut short");

    if (header.headerBytes == kCoreHeaderBytes) {
        header.width = le16(info + 4);
        header.height = le16(info + 6);
        header.bitsPerPixel = le16(info + 10);
    } else {
        header.width = static_cast<std::int32_t>(le32(info + 4));
        header.height = static_cast<std::int32_t>(le32(info + 8));
        header.bitsPerPixel = le16(info + 14);
        header.compression = le32(info + 16);
        header.coloursUsed = le32(info + 32);
        if (header.headerBytes >= 52) {
            header.hasMasks = true;
            header.masks = {le32(info + 40), le32(info + 44), le32(info + 48)};
        }
    }
    if (header.height < 0) {
        header.topDown = true;
        header.height = -header.height; // int64: INT32_MIN negates safely
    }
    if (header.width <= 0 || header.height <= 0)
        return DecodeResult::invalid(path + ": bitmap has no pixels");
    if (static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(header.height) >
        kMaxPicturePixels)
        return DecodeResult::invalid(path + ": bitmap is larger than the picture size limit");

    const int bits = header.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return DecodeResult::invalid(path + ": unsupported bits per pixel");
    const std::uint32_t c = header.compression;
    const bool fits = c == kBiRgb || (c == kBiRle8 && bits == 8) || (c == kBiRle4 && bits == 4) ||
                      ((c == kBiBitfields || c == kBiAlphaBitfields) && (bits == 16 || bits == 32));
    if (!fits) return DecodeResult::invalid(path + ": unsupported bitmap compression");
    return DecodeResult::decoded();
}

// Expands one stored row of 1/4/8-bit indices to one index per pixel.
void expandIndices(const std::uint8_t* source, int bits, int width, std::uint8_t* out) {
    if (bits == 8) {
        std::memcpy(out, source, static_cast<std::size_t>(width));
        return;
    }
    const int perByte = 8 / bits;
    const int valueMask = (1 << bits) - 1;
    for (int x = 0; x < width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);
        out[x] = static_cast<std::uint8_t>((source[x / perByte] >> shift) & valueMask);
    }
}

void convertMasked(const std::uint8_t* source, int bits, int width,
                   const std::array<Channel, 3>& channels, std::uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        const std::uint32_t pixel = bits == 16 ? le16(source + 2 * x) : le32(source + 4 * x);
        out[3 * x + 0] = channels[2].extract(pixel);
        out[3 * x + 1] = channels[1].extract(pixel);
        out[3 * x + 2] = channels[0].extract(pixel);
    }
}

// Bytes of pixel data an uncompressed row holds before its padding.
std::size_t lastRowBytes(const BmpHeader& header) {
    return static_cast<std::size_t>((header.width * header.bitsPerPixel + 7) / 8);
}

// Whether an uncompressed picture's rows fit in the file. Some writers leave
// out the padding of the last row; that is accepted.
bool uncompressedDataFits(const BmpHeader& header, std::uint64_t dataOffset,
                          std::uint64_t fileBytes) {
    const std::size_t stride =
        Bitmap::strideFor(static_cast<int>(header.width), header.bitsPerPixel);
    if (stride == 0 || dataOffset > fileBytes) return false;
    const std::uint64_t needed =
        static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(header.height - 1) +
        lastRowBytes(header);
    return fileBytes - dataOffset >= needed;
}

// Uncompressed rows of 16, 24 or 32 bits, handed to the sink top row first:
// a bottom-up file is read backwards, a run of rows at a time.
DecodeResult readToSink(std::FILE* file, const std::string& path, const BmpHeader& header,
                        std::uint64_t dataOffset, const std::array<Channel, 3>& channels,
                        RowSink& sink) {
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    const std::size_t stride = Bitmap::strideFor(width, header.bitsPerPixel);
    std::vector<std::uint8_t> run(stride * kRowsPerRead);
    for (int top = 0; top < height; top += kRowsPerRead) {
        if (stopRequested()) return DecodeResult::stopped();
        const int count = std::min(kRowsPerRead, height - top);
        // The file rows that hold rows [top, top + count) of the picture.
        const int firstFileRow = header.topDown ? top : height - top - count;
        const std::size_t bytes = stride * static_cast<std::size_t>(count - 1) +
                                  (firstFileRow + count == height ? lastRowBytes(header) : stride);
        if (!seekTo(file, dataOffset + static_cast<std::uint64_t>(firstFileRow) * stride) ||
            !readExact(file, run.data(), bytes))
            return DecodeResult::failed(path + ": read error in pixel data");
        for (int y = top; y < top + count; ++y) {
            const int fileRow = header.topDown ? y : height - 1 - y;
            const std::uint8_t* in =
                run.data() + static_cast<std::size_t>(fileRow - firstFileRow) * stride;
            std::uint8_t* out = sink.row(y);
            if (header.bitsPerPixel == 24)
                std::memcpy(out, in, static_cast<std::size_t>(width) * 3);
            else
                convertMasked(in, header.bitsPerPixel, width, channels, out);
            sink.written(y + 1);
        }
    }
    return DecodeResult::decoded();
}

DecodeResult readUncompressed(std::FILE* file, const std::string& path, const BmpHeader& header,
                              std::uint64_t dataOffset, const std::array<Channel, 3>& channels,
                              Bitmap& bitmap) {
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    const std::size_t stride = Bitmap::strideFor(width, header.bitsPerPixel);
    const std::size_t usedBytes = lastRowBytes(header);
    if (!seekTo(file, dataOffset)) return DecodeResult::failed(path + ": cannot seek");

    // 24-bit rows stored in the bitmap's own order are its memory as it is.
    const bool sameOrder = header.topDown == (bitmap.rowOrder() == RowOrder::TopDown);
    if (header.bitsPerPixel == 24 && sameOrder && stride == bitmap.stride()) {
        const std::size_t total = stride * static_cast<std::size_t>(height - 1) + usedBytes;
        const std::size_t chunk = stride * kRowsPerRead;
        for (std::size_t done = 0; done < total; done += chunk) {
            if (stopRequested()) return DecodeResult::stopped();
            if (!readExact(file, bitmap.data() + done, std::min(chunk, total - done)))
                return DecodeResult::failed(path + ": read error in pixel data");
        }
        return DecodeResult::decoded();
    }
    std::vector<std::uint8_t> rowBuffer(stride, 0);
    for (int fileRow = 0; fileRow < height; ++fileRow) {
        if (fileRow % kRowsPerRead == 0 && stopRequested()) return DecodeResult::stopped();
        const std::size_t want = fileRow == height - 1 ? usedBytes : stride;
        if (!readExact(file, rowBuffer.data(), want))
            return DecodeResult::failed(path + ": read error in pixel data");
        std::uint8_t* out = bitmap.row(header.topDown ? fileRow : height - 1 - fileRow);
        switch (header.bitsPerPixel) {
        case 1:
        case 4:
        case 8:
            expandIndices(rowBuffer.data(), header.bitsPerPixel, width, out);
            break;
        case 24:
            std::memcpy(out, rowBuffer.data(), static_cast<std::size_t>(width) * 3);
            break;
        default:
            convertMasked(rowBuffer.data(), header.bitsPerPixel, width, channels, out);
            break;
        }
    }
    return DecodeResult::decoded();
}

// RLE4/RLE8: pairs of (count, value) runs and escapes. Runs and absolute
// blocks that reach past the row are clipped; a delta or end of line that
// leaves the image ends the picture; pixels never written keep index 0.
DecodeResult readRunLength(std::FILE* file, const std::string& path, const BmpHeader& header,
                           std::uint64_t dataOffset, Bitmap& bitmap) {
    if (!seekTo(file, dataOffset)) return DecodeResult::failed(path + ": cannot seek");
    const bool rle4 = header.compression == kBiRle4;
    const std::int64_t width = header.width;
    const std::int64_t height = header.height;
    std::int64_t x = 0;
    std::int64_t y = 0; // counted from the first stored row
    auto put = [&](std::uint8_t index) {
        if (x < width && y < height) {
            const int row = static_cast<int>(header.topDown ? y : height - 1 - y);
            bitmap.row(row)[x] = index;
        }
        ++x;
    };
    auto next = [&](int& value) { return (value = std::getc(file)) != EOF; };

    for (std::uint64_t codes = 1;; ++codes) {
        if (codes % kCodesPerStopCheck == 0 && stopRequested()) return DecodeResult::stopped();
        int count = 0;
        int code = 0;
        if (!next(count) || !next(code)) break;
        if (count > 0) {
            // Writing stops at the row end; the rest of the run only moves x.
            const std::int64_t room = std::max<std::int64_t>(0, width - x);
            const int visible = static_cast<int>(std::min<std::int64_t>(count, room));
            for (int i = 0; i < visible; ++i)
                put(rle4 ? static_cast<std::uint8_t>(i % 2 == 0 ? code >> 4 : code & 0x0F)
                         : static_cast<std::uint8_t>(code));
            x += count - visible;
            continue;
        }
        if (code == 0) { // end of line
            x = 0;
            if (++y >= height) return DecodeResult::decoded();
            if (stopRequested()) return DecodeResult::stopped();
        } else if (code == 1) { // end of bitmap
            return DecodeResult::decoded();
        } else if (code == 2) { // delta: move right dx, up dy
            int dx = 0;
            int dy = 0;
            if (!next(dx) || !next(dy)) break;
            x += dx;
            y += dy;
            if (y >= height) return DecodeResult::decoded();
        } else { // absolute block of `code` pixels, padded to a 16-bit boundary
            const int bytes = rle4 ? (code + 1) / 2 : code;
            int value = 0;
            for (int i = 0; i < bytes; ++i) {
                if (!next(value))
                    return DecodeResult::invalid(path + ": run-length data cut short");
                if (rle4) {
                    put(static_cast<std::uint8_t>(value >> 4));
                    if (2 * i + 1 < code) put(static_cast<std::uint8_t>(value & 0x0F));
                } else {
                    put(static_cast<std::uint8_t>(value));
                }
            }
            if (bytes % 2 != 0 && !next(value)) break;
        }
    }
    if (std::ferror(file)) return DecodeResult::failed(path + ": read error in pixel data");
    return DecodeResult::invalid(path + ": run-length data cut short");
}

} // namespace

DecodeResult decodeBmp(const std::string& path, WorkingPicture& picture,
                       const TargetSizeFn& target) {
    OpenedPicture opened = openPictureFile(path);
    if (!opened.file) return DecodeResult::failed(opened.error);
    std::FILE* file = opened.file.get();
    const std::uint64_t fileBytes = opened.sizeBytes;

    BmpHeader header;
    if (DecodeResult r = readHeader(file, path, header); r.outcome != DecodeOutcome::Decoded)
        return r;

    std::uint64_t position = kFileHeaderBytes + header.headerBytes;
    std::array<Channel, 3> channels;
    const int bits = header.bitsPerPixel;
    if (bits == 16 || bits == 32) {
        std::array<std::uint32_t, 3> masks =
            bits == 16 ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                       : std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
        if (header.compression == kBiBitfields || header.compression == kBiAlphaBitfields) {
            if (header.hasMasks) {
                masks = header.masks;
            } else {
                // The masks follow a 40-byte header (a fourth, alpha, for BI_ALPHABITFIELDS).
                std::uint8_t raw[16];
                const std::size_t count = header.compression == kBiAlphaBitfields ? 4 : 3;
                if (!readExact(file, raw, 4 * count))
                    return DecodeResult::invalid(path + ": bit-field masks cut short");
                masks = {le32(raw), le32(raw + 4), le32(raw + 8)};
                position += 4 * count;
            }
        }
        const std::uint32_t limit = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        for (int i = 0; i < 3; ++i)
            if (masks[i] > limit || !channels[i].set(masks[i]))
                return DecodeResult::invalid(path + ": unusable bit-field mask");
    }

    std::vector<PaletteEntry> palette;
    if (bits <= 8) {
        const std::uint64_t entryBytes = header.headerBytes == kCoreHeaderBytes ? 3 : 4;
        std::uint64_t count = header.coloursUsed == 0 ? (1u << bits) : header.coloursUsed;
        count = std::min<std::uint64_t>(count, 1u << bits); // never more than 256
        // The colour table ends where the pixels start, and at the end of the file.
        std::uint64_t end = fileBytes;
        if (header.dataOffset >= position) end = std::min<std::uint64_t>(end, header.dataOffset);
        count = std::min(count, end > position ? (end - position) / entryBytes : 0);
        if (count == 0) return DecodeResult::invalid(path + ": bitmap has no colour table");
        std::vector<std::uint8_t> raw(count * entryBytes);
        if (!seekTo(file, position) || !readExact(file, raw.data(), raw.size()))
            return DecodeResult::invalid(path + ": colour table cut short");
        palette.resize(std::size_t{1} << bits);
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = raw.data() + i * entryBytes;
            palette[i] = PaletteEntry{entry[2], entry[1], entry[0]};
        }
        position += count * entryBytes;
    }

    // bfOffBits is trusted when it points past the headers; some writers leave it 0.
    const std::uint64_t dataOffset =
        header.dataOffset >= kFileHeaderBytes + header.headerBytes ? header.dataOffset : position;
    if (dataOffset >= fileBytes) return DecodeResult::invalid(path + ": bitmap has no pixel data");

    const bool runLength = header.compression == kBiRle4 || header.compression == kBiRle8;
    // Checked before allocating, so a small file cannot claim a huge bitmap.
    if (!runLength && !uncompressedDataFits(header, dataOffset, fileBytes))
        return DecodeResult::invalid(path + ": bitmap pixel data cut short");

    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    picture.width = width;
    picture.height = height;
    // A picture that will be resampled goes to the resampler row by row when
    // its rows are plain colours, or is read straight into the layout the
    // resampler module reads. Run-length data may skip pixels, which stay 0.
    if (!runLength && bits > 8)
        if (RowSink* sink = acceptedSink(picture, target, width, height, width, height))
            return readToSink(file, path, header, dataOffset, channels, *sink);
    if (!picture.bitmap.allocateUnfilled(width, height, bits <= 8 ? 8 : 24,
                                         target ? RowOrder::BottomUp : RowOrder::TopDown))
        return DecodeResult::invalid(path + ": bitmap size refused");
    if (runLength) std::memset(picture.bitmap.data(), 0, picture.bitmap.byteCount());
    picture.bitmap.palette() = std::move(palette);

    if (runLength) return readRunLength(file, path, header, dataOffset, picture.bitmap);
    return readUncompressed(file, path, header, dataOffset, channels, picture.bitmap);
}

} // namespace slidora
