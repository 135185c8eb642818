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
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + stride * info->next_scanline);
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace

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
