#include "tools/picwriter/PicWriter.h"

#include "tools/picwriter/WriterFile.h"

#include <csetjmp>
#include <png.h>

namespace slidora::picwriter {
namespace {

[[noreturn]] void onWriterError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void onWriterWarning(png_structp, png_const_charp) {}

struct WriteSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteSession() {
        if (png != nullptr) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

struct PngLayout {
    int colourType = 0;
    int bitDepth = 8;
    bool interlaced = false;
    const std::vector<PaletteEntry>* palette = nullptr;
    const std::vector<std::uint8_t>* paletteAlpha = nullptr;
};

// All libpng calls that can jump back; the locals need no destructors.
bool fencedWrite(png_structp png, png_infop info, std::FILE* file, png_uint_32 width,
                 png_uint_32 height, const PngLayout* layout, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, layout->bitDepth, layout->colourType,
                 layout->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout->palette != nullptr) {
        png_color colours[256];
        const int count = static_cast<int>(layout->palette->size());
        for (int i = 0; i < count; ++i)
            colours[i] = png_color{(*layout->palette)[i].red, (*layout->palette)[i].green,
                                   (*layout->palette)[i].blue};
        png_set_PLTE(png, info, colours, count);
        if (layout->paletteAlpha != nullptr && !layout->paletteAlpha->empty())
            png_set_tRNS(png, info, layout->paletteAlpha->data(),
                         static_cast<int>(layout->paletteAlpha->size()), nullptr);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

void putSample(std::vector<std::uint8_t>& row, std::uint8_t value, int bitDepth) {
    row.push_back(value);
    if (bitDepth == 16) row.push_back(value); // value * 257, big-endian
}

} // namespace

bool writePng(const std::string& path, const Bitmap& bitmap, const PngOptions& options) {
    if (bitmap.empty()) return false;
    const int depth = options.bitDepth;
    const int sourceBytes = bitmap.bitsPerPixel() / 8;
    PngLayout layout;
    layout.bitDepth = depth;
    layout.interlaced = options.interlaced;
    const bool lowDepth = depth == 1 || depth == 2 || depth == 4;
    if (depth != 8 && depth != 16 && !lowDepth) return false;
    switch (options.colour) {
    case PngColour::Grey:
        layout.colourType = PNG_COLOR_TYPE_GRAY;
        break;
    case PngColour::GreyAlpha:
        layout.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
        break;
    case PngColour::Rgb:
        layout.colourType = PNG_COLOR_TYPE_RGB;
        break;
    case PngColour::RgbAlpha:
        layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
        break;
    case PngColour::Palette:
        layout.colourType = PNG_COLOR_TYPE_PALETTE;
        break;
    }
    const bool palette = options.colour == PngColour::Palette;
    const bool alpha =
        options.colour == PngColour::GreyAlpha || options.colour == PngColour::RgbAlpha;
    if (palette) {
        if (sourceBytes != 1 || depth == 16 || bitmap.palette().empty() ||
            bitmap.palette().size() > (std::size_t{1} << depth))
            return false;
        layout.palette = &bitmap.palette();
        layout.paletteAlpha = &options.paletteAlpha;
    } else if (alpha ? sourceBytes != 4 : sourceBytes < 3) {
        return false;
    } else if (lowDepth && options.colour != PngColour::Grey) {
        return false;
    }

    // Rows packed up front so that the fenced part only reads memory.
    std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(bitmap.height()));
    std::vector<png_bytep> rowPointers;
    for (int y = 0; y < bitmap.height(); ++y) {
        std::vector<std::uint8_t>& row = rows[static_cast<std::size_t>(y)];
        int packed = 0;
        int packedCount = 0;
        for (int x = 0; x < bitmap.width(); ++x) {
            const std::uint8_t* p = bitmap.row(y) + static_cast<std::size_t>(x) * sourceBytes;
            if (lowDepth) {
                const int value = palette ? p[0] : greyLevel(p[2], p[1], p[0]) >> (8 - depth);
                packed = (packed << depth) | (value & ((1 << depth) - 1));
                if (++packedCount * depth == 8) {
                    row.push_back(static_cast<std::uint8_t>(packed));
                    packed = packedCount = 0;
                }
                continue;
            }
            switch (options.colour) {
            case PngColour::Palette:
                row.push_back(p[0]);
                break;
            case PngColour::Grey:
                putSample(row, greyLevel(p[2], p[1], p[0]), depth);
                break;
            case PngColour::GreyAlpha:
                putSample(row, greyLevel(p[2], p[1], p[0]), depth);
                putSample(row, p[3], depth);
                break;
            case PngColour::Rgb:
            case PngColour::RgbAlpha:
                putSample(row, p[2], depth);
                putSample(row, p[1], depth);
                putSample(row, p[0], depth);
                if (alpha) putSample(row, p[3], depth);
                break;
            }
        }
        if (packedCount > 0)
            row.push_back(static_cast<std::uint8_t>(packed << (8 - packedCount * depth)));
        rowPointers.push_back(row.data());
    }

    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (raw == nullptr) return false;
    FilePtr file(raw);
    WriteSession session;
    session.png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onWriterError, onWriterWarning);
    if (session.png == nullptr) return false;
    session.info = png_create_info_struct(session.png);
    if (session.info == nullptr) return false;
    if (!fencedWrite(session.png, session.info, file.get(),
                     static_cast<png_uint_32>(bitmap.width()),
                     static_cast<png_uint_32>(bitmap.height()), &layout, rowPointers.data()))
        return false;
    return std::fclose(file.release()) == 0;
}

} // namespace slidora::picwriter
