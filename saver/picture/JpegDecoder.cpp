#include "saver/picture/JpegDecoder.h"

#include "saver/picture/PictureFile.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace slidora {
namespace {

// Working memory libjpeg may take besides our bitmap: enough for the
// coefficient buffers of a 100-megapixel 4:2:0 progressive picture (300 MB).
// Above it libjpeg would need a backing store, which it has none of, and fails.
constexpr long kJpegWorkMemoryBytes = 384L * 1024 * 1024;
// Real progressive files have about ten scans; a file with thousands of tiny
// scans makes every scan walk the whole coefficient buffer and looks hung.
constexpr int kMaxJpegScans = 1000;

// Lives inside JpegSession; libjpeg sees only `base` and hands it back to the
// callbacks, which reach the rest through the cast (base is the first member).
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegProgress {
    jpeg_progress_mgr base;
    JpegErrorManager* errors;
};

[[noreturn]] void onJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (corrupt data, premature end) are counted by libjpeg itself; we
// keep them off stderr.
void onJpegMessage(j_common_ptr info, int level) {
    if (level < 0) ++info->err->num_warnings;
}

void onJpegProgress(j_common_ptr info) {
    if (!info->is_decompressor) return;
    auto* progress = reinterpret_cast<JpegProgress*>(info->progress);
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
        std::snprintf(progress->errors->message, sizeof progress->errors->message,
                      "more than %d scans", kMaxJpegScans);
        std::longjmp(progress->errors->jump, 1);
    }
}

// Owns the decompressor; destroying it is valid in every state libjpeg can be
// left in by an error jump.
class JpegSession {
  public:
    JpegSession() {
        m_info.err = jpeg_std_error(&m_errors.base);
        m_errors.base.error_exit = onJpegError;
        m_errors.base.emit_message = onJpegMessage;
        m_errors.message[0] = '\0';
        m_progress.base.progress_monitor = onJpegProgress;
        m_progress.errors = &m_errors;
    }
    ~JpegSession() {
        if (m_created) jpeg_destroy_decompress(&m_info);
    }
    JpegSession(const JpegSession&) = delete;
    JpegSession& operator=(const JpegSession&) = delete;

    jpeg_decompress_struct m_info{};
    JpegErrorManager m_errors{};
    JpegProgress m_progress{};
    bool m_created = false;
};

// The fenced functions below hold every libjpeg call that can jump back
// through error_exit. Their locals are plain values, so the jump skips no
// destructor. Each answers false after an error, with the message in errors.

bool fencedCreate(jpeg_decompress_struct* info, JpegErrorManager* errors) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(info);
    return true;
}

bool fencedReadHeader(jpeg_decompress_struct* info, JpegErrorManager* errors, std::FILE* file) {
    if (setjmp(errors->jump)) return false;
    info->mem->max_memory_to_use = kJpegWorkMemoryBytes;
    jpeg_stdio_src(info, file);
    jpeg_read_header(info, TRUE);
    return true;
}

bool fencedStart(jpeg_decompress_struct* info, JpegErrorManager* errors) {
    if (setjmp(errors->jump)) return false;
    jpeg_start_decompress(info);
    return true;
}

// Adobe writers store CMYK inverted (0 = full ink); others store it plainly.
void cmykToBgr(const std::uint8_t* cmyk, int width, bool inverted, std::uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        int c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[3 * x + 0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        out[3 * x + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        out[3 * x + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

// Reads every output row into the bitmap rows. CMYK rows go through scratch
// (one row of 4-byte pixels) and are converted; all others arrive as BGR.
bool fencedReadRows(jpeg_decompress_struct* info, JpegErrorManager* errors, std::uint8_t* firstRow,
                    std::size_t stride, std::uint8_t* scratch, bool cmyk) {
    if (setjmp(errors->jump)) return false;
    while (info->output_scanline < info->output_height) {
        std::uint8_t* out = firstRow + stride * info->output_scanline;
        JSAMPROW row = cmyk ? scratch : out;
        if (jpeg_read_scanlines(info, &row, 1) != 1) {
            std::snprintf(errors->message, sizeof errors->message, "rows missing");
            return false;
        }
        if (cmyk)
            cmykToBgr(scratch, static_cast<int>(info->output_width), info->saw_Adobe_marker, out);
    }
    return true;
}

unsigned int reducedDenominator(const jpeg_decompress_struct& info, const TargetSizeFn& target) {
    if (!target) return 1;
    const auto [wantWidth, wantHeight] =
        target(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
    for (unsigned int denominator : {8u, 4u, 2u}) {
        // libjpeg rounds the scaled size up.
        const std::uint64_t width =
            (std::uint64_t{info.image_width} + denominator - 1) / denominator;
        const std::uint64_t height =
            (std::uint64_t{info.image_height} + denominator - 1) / denominator;
        if (wantWidth > 0 && wantHeight > 0 && width >= static_cast<std::uint64_t>(wantWidth) &&
            height >= static_cast<std::uint64_t>(wantHeight))
            return denominator;
    }
    return 1;
}

} // namespace

DecodeResult decodeJpeg(const std::string& path, WorkingPicture& picture,
                        const TargetSizeFn& target) {
    OpenedPicture opened = openPictureFile(path);
    if (!opened.file) return DecodeResult::failed(opened.error);

    JpegSession session;
    jpeg_decompress_struct* info = &session.m_info;
    JpegErrorManager* errors = &session.m_errors;
    if (!fencedCreate(info, errors)) return DecodeResult::failed(path + ": " + errors->message);
    session.m_created = true;
    info->progress = &session.m_progress.base;

    if (!fencedReadHeader(info, errors, opened.file.get()))
        return DecodeResult::invalid(path + ": " + errors->message);
    if (std::uint64_t{info->image_width} * info->image_height > kMaxPicturePixels)
        return DecodeResult::invalid(path + ": JPEG is larger than the picture size limit");

    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    info->scale_num = 1;
    info->scale_denom = reducedDenominator(*info, target);

    if (!fencedStart(info, errors)) return DecodeResult::invalid(path + ": " + errors->message);
    const int components = cmyk ? 4 : 3;
    if (info->output_components != components)
        return DecodeResult::invalid(path + ": unexpected JPEG colour layout");

    Bitmap& bitmap = picture.bitmap;
    if (!bitmap.allocate(static_cast<int>(info->output_width),
                         static_cast<int>(info->output_height), 24))
        return DecodeResult::invalid(path + ": JPEG size refused");
    std::vector<std::uint8_t> scratch(cmyk ? std::size_t{info->output_width} * 4 : 0);
    if (!fencedReadRows(info, errors, bitmap.data(), bitmap.stride(), scratch.data(), cmyk))
        return DecodeResult::invalid(path + ": " + errors->message);

    picture.width = static_cast<int>(info->image_width);
    picture.height = static_cast<int>(info->image_height);
    return DecodeResult::decoded();
}

} // namespace slidora
