#include "saver/picture/PngDecoder.h"

#include "saver/picture/PictureFile.h"
#include "saver/picture/StopRequest.h"

#include <csetjmp>
#include <cstring>
#include <png.h>

namespace slidora {
namespace {

// libpng's own per-side limit; the pixel count is checked against
// kMaxPicturePixels separately.
constexpr png_uint_32 kMaxPngSide = 1'000'000;
// Ancillary chunks (text, ICC profiles) are never needed for display; these
// bound what a hostile file can make libpng store.
constexpr png_uint_32 kMaxPngCachedChunks = 128;
constexpr png_alloc_size_t kMaxPngChunkBytes = 8 * 1024 * 1024;
// Deflate cannot shrink data by more than about 1032:1. A file too small to
// hold the pixels its header claims even at that ratio is refused before the
// bitmap is allocated, so a few bytes cannot make us take 300 MB.
constexpr std::uint64_t kMaxDeflateRatio = 1040;

// Shared by libpng's error and read callbacks (the error and I/O pointers).
struct PngContext {
    std::FILE* file = nullptr;
    bool readFailed = false; // the system refused a read, as opposed to a short file
    bool stopped = false;    // the rows were given up on request
    char message[256] = {};
};

[[noreturn]] void onPngError(png_structp png, png_const_charp text) {
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof context->message, "%s", text);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

void onPngRead(png_structp png, png_bytep data, size_t length) {
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, context->file) != length) {
        context->readFailed = std::ferror(context->file) != 0;
        png_error(png, context->readFailed ? "read error" : "file ends early");
    }
}

// Owns libpng's read and info structures.
class PngSession {
  public:
    explicit PngSession(PngContext* context) {
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, context, onPngError, onPngWarning);
        if (m_png != nullptr) m_info = png_create_info_struct(m_png);
    }
    ~PngSession() {
        if (m_png != nullptr) png_destroy_read_struct(&m_png, m_info ? &m_info : nullptr, nullptr);
    }
    PngSession(const PngSession&) = delete;
    PngSession& operator=(const PngSession&) = delete;

    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

// Each fenced function holds libpng calls that can jump back through
// onPngError; locals are plain values, so the jump skips no destructor.

bool fencedReadInfo(png_structp png, png_infop info, PngContext* context) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, context, onPngRead);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
    png_set_chunk_cache_max(png, kMaxPngCachedChunks);
    png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
#ifdef PNG_IGNORE_ADLER32
    // Every chunk's CRC is still checked, and it covers each compressed byte,
    // so zlib's own checksum over the inflated pixels (about 6% of a large
    // picture's decode) finds no damage the CRCs miss.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(png, info);
    return true;
}

// Asks libpng for 8-bit BGR rows whatever the file holds; answers the number
// of interlace passes through `passes`.
bool fencedSetTransforms(png_structp png, png_infop info, int* passes) {
    if (setjmp(png_jmpbuf(png))) return false;
    const png_byte colourType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    if ((colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_color_16 black{};
        png_set_background(png, &black, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    png_set_bgr(png);
    *passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

// With interlace handling each pass fills in its own pixels of the same rows.
// A stop is looked for before every row of every pass. A sink (never given
// for an interlaced file) takes each row as it is read.
bool fencedReadRows(png_structp png, Bitmap* bitmap, RowSink* sink, int height, int passes,
                    PngContext* context) {
    if (setjmp(png_jmpbuf(png))) return false;
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            if (stopRequested()) {
                context->stopped = true;
                return false;
            }
            if (sink == nullptr) {
                png_read_row(png, bitmap->row(y), nullptr);
                continue;
            }
            png_read_row(png, sink->row(y), nullptr);
            sink->written(y + 1);
        }
    return true;
}

DecodeResult broken(const std::string& path, const PngContext& context) {
    if (context.stopped) return DecodeResult::stopped();
    std::string why = path + ": " + context.message;
    return context.readFailed ? DecodeResult::failed(why) : DecodeResult::invalid(why);
}

} // namespace

DecodeResult decodePng(const std::string& path, WorkingPicture& picture,
                       const TargetSizeFn& target) {
    OpenedPicture opened = openPictureFile(path);
    if (!opened.file) return DecodeResult::failed(opened.error);

    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, opened.file.get()) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
        return DecodeResult::invalid(path + ": not a PNG file");

    PngContext context;
    context.file = opened.file.get();
    PngSession session(&context);
    if (session.m_png == nullptr || session.m_info == nullptr)
        return DecodeResult::failed(path + ": cannot set up the PNG decoder");
    png_structp png = session.m_png;
    png_infop info = session.m_info;

    if (!fencedReadInfo(png, info, &context)) return broken(path, context);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (std::uint64_t{width} * height > kMaxPicturePixels)
        return DecodeResult::invalid(path + ": PNG is larger than the picture size limit");
    const std::uint64_t rawBytes = (std::uint64_t{png_get_rowbytes(png, info)} + 1) * height;
    if (opened.sizeBytes * kMaxDeflateRatio < rawBytes)
        return DecodeResult::invalid(path + ": PNG file too small for the size it claims");

    int passes = 1;
    if (!fencedSetTransforms(png, info, &passes)) return broken(path, context);
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != 3 ||
        png_get_rowbytes(png, info) != std::size_t{width} * 3)
        return DecodeResult::invalid(path + ": unexpected PNG pixel layout");

    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    // A picture that will be resampled goes to the resampler row by row, or,
    // interlaced, is decoded straight into the layout the resampler module
    // reads. Every pixel is written, by the last pass at the latest.
    RowSink* const sink = passes == 1 ? acceptedSink(picture, target, picture.width, picture.height,
                                                     picture.width, picture.height)
                                      : nullptr;
    Bitmap& bitmap = picture.bitmap;
    if (sink == nullptr &&
        !bitmap.allocateUnfilled(picture.width, picture.height, 24,
                                 target ? RowOrder::BottomUp : RowOrder::TopDown))
        return DecodeResult::invalid(path + ": PNG size refused");
    if (!fencedReadRows(png, &bitmap, sink, picture.height, passes, &context))
        return broken(path, context);
    return DecodeResult::decoded();
}

} // namespace slidora
