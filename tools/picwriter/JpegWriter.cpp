#include "tools/picwriter/PicWriter.h"

#include "tools/picwriter/WriterFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace slidora::picwriter {
namespace {

struct WriterErrors {
    jpeg_error_mgr base; // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
};

[[noreturn]] void onWriterError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<WriterErrors*>(info->err)->jump, 1);
}
void onWriterMessage(j_common_ptr, int) {}

struct CompressSession {
    jpeg_compress_struct info{};
    WriterErrors errors{};
    bool created = false;
    ~CompressSession() {
        if (created) jpeg_destroy_compress(&info);
    }
};

// All libjpeg calls that can jump back; the locals need no destructors.
bool fencedCompress(CompressSession* session, std::FILE* file, const std::uint8_t* pixels,
                    std::size_t stride, int width, int height, int components,
                    J_COLOR_SPACE colourSpace, const JpegOptions* options) {
    jpeg_compress_struct* info = &session->info;
    if (setjmp(session->errors.jump)) return false;
    jpeg_create_compress(info);
    session->created = true;
    jpeg_stdio_dest(info, file);
    info->image_width = static_cast<JDIMENSION>(width);
    info->image_height = static_cast<JDIMENSION>(height);
    info->input_components = components;
    info->in_color_space = colourSpace;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, options->quality, TRUE);
    if (options->progressive) jpeg_simple_progression(info);
    jpeg_start_compress(info, TRUE);
    if (!options->exif.empty())
        jpeg_write_marker(info, JPEG_APP0 + 1, options->exif.data(),
                          static_cast<unsigned int>(options->exif.size()));
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + stride * info->next_scanline);
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

// Offset of the first marker `code` (FF code) after the start of the file,
// or the size when there is none.
std::size_t findMarker(const std::vector<std::uint8_t>& bytes, std::uint8_t code) {
    for (std::size_t i = 2; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == code) return i;
    return bytes.size();
}

void put16(std::vector<std::uint8_t>& out, unsigned value, bool bigEndian) {
    const auto high = static_cast<std::uint8_t>(value >> 8);
    const auto low = static_cast<std::uint8_t>(value);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value, bool bigEndian) {
    put16(out, bigEndian ? value >> 16 : value & 0xFFFF, bigEndian);
    put16(out, bigEndian ? value & 0xFFFF : value >> 16, bigEndian);
}

} // namespace

std::vector<std::uint8_t> exifOrientationBlock(int orientation, bool bigEndian) {
    std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0};
    out.push_back(bigEndian ? 'M' : 'I');
    out.push_back(bigEndian ? 'M' : 'I');
    put16(out, 42, bigEndian);
    put32(out, 8, bigEndian); // IFD0 right after the TIFF header
    put16(out, 1, bigEndian);
    put16(out, 0x0112, bigEndian); // Orientation
    put16(out, 3, bigEndian);      // SHORT
    put32(out, 1, bigEndian);
    put16(out, static_cast<unsigned>(orientation), bigEndian);
    put16(out, 0, bigEndian); // the value field's unused half
    put32(out, 0, bigEndian); // no next IFD
    return out;
}

std::vector<std::uint8_t> repeatFirstScan(const std::vector<std::uint8_t>& jpeg, int copies) {
    const std::size_t first = findMarker(jpeg, 0xDA);
    if (first >= jpeg.size()) return {};
    // The scan runs to the next marker that is neither a stuffed 00 nor a
    // restart marker.
    std::size_t next = first + 2;
    while (next + 1 < jpeg.size() &&
           !(jpeg[next] == 0xFF && jpeg[next + 1] != 0 && (jpeg[next + 1] & 0xF8) != 0xD0))
        ++next;
    if (next + 1 >= jpeg.size()) return {};
    const auto scanStart = jpeg.begin() + static_cast<std::ptrdiff_t>(first);
    const auto scanEnd = jpeg.begin() + static_cast<std::ptrdiff_t>(next);
    std::vector<std::uint8_t> out(jpeg.begin(), scanEnd);
    for (int i = 0; i < copies; ++i)
        out.insert(out.end(), scanStart, scanEnd);
    out.insert(out.end(), scanEnd, jpeg.end());
    return out;
}

bool writeJpeg(const std::string& path, const Bitmap& bitmap, const JpegOptions& options) {
    const int sourceBytes = bitmap.bitsPerPixel() / 8;
    if (bitmap.empty() || (sourceBytes != 3 && sourceBytes != 4)) return false;
    const int width = bitmap.width();
    const int height = bitmap.height();

    // Rows converted up front so that the fenced part only reads memory.
    std::vector<std::uint8_t> converted;
    const std::uint8_t* pixels = bitmap.data();
    std::size_t stride = bitmap.stride();
    int components = sourceBytes;
    J_COLOR_SPACE colourSpace = sourceBytes == 3 ? JCS_EXT_BGR : JCS_EXT_BGRX;
    if (options.colour != JpegColour::Rgb) {
        components = options.colour == JpegColour::Grey ? 1 : 4;
        colourSpace = options.colour == JpegColour::Grey ? JCS_GRAYSCALE : JCS_CMYK;
        stride = static_cast<std::size_t>(width) * components;
        converted.resize(stride * static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = bitmap.row(y) + static_cast<std::size_t>(x) * sourceBytes;
                std::uint8_t* out =
                    converted.data() + stride * y + static_cast<std::size_t>(x) * components;
                if (components == 1) {
                    out[0] = greyLevel(p[2], p[1], p[0]);
                    continue;
                }
                // Inverted (Adobe) CMYK: stored k is the brightest channel.
                const int k = std::max({p[0], p[1], p[2]});
                auto ink = [k](int channel) {
                    return static_cast<std::uint8_t>(k == 0 ? 0 : (channel * 255 + k / 2) / k);
                };
                out[0] = ink(p[2]);
                out[1] = ink(p[1]);
                out[2] = ink(p[0]);
                out[3] = static_cast<std::uint8_t>(k);
            }
        }
        pixels = converted.data();
    }

    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (raw == nullptr) return false;
    FilePtr file(raw);
    CompressSession session;
    session.info.err = jpeg_std_error(&session.errors.base);
    session.errors.base.error_exit = onWriterError;
    session.errors.base.emit_message = onWriterMessage;
    if (!fencedCompress(&session, file.get(), pixels, stride, width, height, components,
                        colourSpace, &options))
        return false;
    return std::fclose(file.release()) == 0;
}

} // namespace slidora::picwriter
