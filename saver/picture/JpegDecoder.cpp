#include "saver/picture/JpegDecoder.h"

#include "saver/picture/ExifOrientation.h"
#include "saver/picture/PictureFile.h"
#include "saver/picture/StopRequest.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <utility>
#include <vector>

namespace slidora {
namespace {

// Working memory libjpeg may take besides our bitmap: enough for the
// coefficient buffers of a 100-megapixel 4:2:0 progressive picture (300 MB).
// Above it libjpeg would need a backing store, which it has none of, and fails.
constexpr long kJpegWorkMemoryBytes = 384L * 1024 * 1024;
// Real progressive files have about ten scans. Every scan walks the
// coefficients of the components it covers, so a file of many tiny scans
// costs (scans x picture size) and looks hung. Besides a plain scan limit,
// the walks are counted in passes over the whole coefficient buffer: common
// progressions take 5 to 6 (a baseline file 1), and 20 leaves room for an
// encoder's finer split while a crafted 4096 x 4096 file is dropped after a
// few dozen of its scans instead of thousands.
constexpr int kMaxJpegScans = 1000;
constexpr std::uint64_t kMaxCoefficientPasses = 20;
// Rows decoded in one call; also the height of the strip an oriented or CMYK
// picture is decoded through.
constexpr int kStripRows = 16;

// Lives inside JpegSession; libjpeg sees only `base` and hands it back to the
// callbacks, which reach the rest through the cast (base is the first member).
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool stopped; // the jump or the early return was a stop, not damage
};

struct JpegProgress {
    jpeg_progress_mgr base;
    JpegErrorManager* errors;
    int countedScan;
    std::uint64_t blocksWalked;
    std::uint64_t blockBudget; // set once the frame is known
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

// Called at least once per scan before its data is read, so each scan's walk
// is counted before it is paid for; also once per row of blocks while a
// progressive file's scans are read in, and once per call for rows, which
// makes it the place where a stop reaches every phase.
void onJpegProgress(j_common_ptr common) {
    if (!common->is_decompressor) return;
    auto* progress = reinterpret_cast<JpegProgress*>(common->progress);
    if (stopRequested()) {
        progress->errors->stopped = true;
        std::longjmp(progress->errors->jump, 1);
    }
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    // Counting starts once the frame, and with it the budget, is known.
    if (progress->blockBudget == 0 || info->input_scan_number == progress->countedScan) return;
    progress->countedScan = info->input_scan_number;
    if (info->input_scan_number > kMaxJpegScans) {
        std::snprintf(progress->errors->message, sizeof progress->errors->message,
                      "more than %d scans", kMaxJpegScans);
        std::longjmp(progress->errors->jump, 1);
    }
    for (int i = 0; i < info->comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i) {
        const jpeg_component_info* component = info->cur_comp_info[i];
        if (component != nullptr)
            progress->blocksWalked +=
                std::uint64_t{component->width_in_blocks} * component->height_in_blocks;
    }
    if (progress->blocksWalked > progress->blockBudget) {
        std::snprintf(progress->errors->message, sizeof progress->errors->message,
                      "scans walk the coefficients more than %d times at scan %d",
                      static_cast<int>(kMaxCoefficientPasses), info->input_scan_number);
        std::longjmp(progress->errors->jump, 1);
    }
}

std::uint64_t coefficientBlocks(const jpeg_decompress_struct& info) {
    std::uint64_t blocks = 0;
    for (int i = 0; i < info.num_components; ++i)
        blocks +=
            std::uint64_t{info.comp_info[i].width_in_blocks} * info.comp_info[i].height_in_blocks;
    return blocks;
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
        m_errors.stopped = false;
        m_progress.base.progress_monitor = onJpegProgress;
        m_progress.errors = &m_errors;
        m_progress.countedScan = 0;
        m_progress.blocksWalked = 0;
        m_progress.blockBudget = 0;
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
    // Only the Exif block is kept, for its orientation tag.
    jpeg_save_markers(info, JPEG_APP0 + 1, 0xFFFF);
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

// Where decoded rows go: straight into the bitmap's rows or the sink's, or
// through a strip (converted from CMYK, turned by the orientation) when they
// cannot.
struct RowTarget {
    Bitmap* bitmap;
    RowSink* sink; // instead of the bitmap, for a picture as stored
    int orientation;
    bool cmyk;
    std::uint8_t* strip;     // kStripRows rows of storedWidth x 3 bytes, or null
    std::uint8_t* cmykStrip; // kStripRows rows of storedWidth x 4 bytes, or null
};

// Copies strip rows [firstRow, firstRow + count) of the stored picture into
// the bitmap, turned. A turn that swaps the sides walks the stored columns,
// writing the strip's few pixels side by side into each bitmap row.
void placeStrip(const std::uint8_t* strip, int firstRow, int count, int storedWidth,
                int storedHeight, int orientation, Bitmap& bitmap) {
    const auto rowBytes = static_cast<std::size_t>(storedWidth) * 3;
    if (!orientationSwapsSides(orientation)) {
        const bool mirrored = orientation == 2 || orientation == 3;
        const bool flipped = orientation == 3 || orientation == 4;
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* in = strip + static_cast<std::size_t>(i) * rowBytes;
            const int y = firstRow + i;
            std::uint8_t* out = bitmap.row(flipped ? storedHeight - 1 - y : y);
            if (!mirrored) {
                std::memcpy(out, in, rowBytes);
                continue;
            }
            for (int x = 0; x < storedWidth; ++x)
                std::memcpy(out + 3 * static_cast<std::size_t>(storedWidth - 1 - x), in + 3 * x, 3);
        }
        return;
    }
    // 5: x' = y, y' = x; 6: x' = bottom, y' = x; 7: x' = bottom, y' = right;
    // 8: x' = y, y' = right.
    const bool fromTop = orientation == 5 || orientation == 8;
    const bool fromLeft = orientation == 5 || orientation == 6;
    for (int x = 0; x < storedWidth; ++x) {
        std::uint8_t* out = bitmap.row(fromLeft ? x : storedWidth - 1 - x);
        const std::uint8_t* in = strip + 3 * static_cast<std::size_t>(x);
        for (int i = 0; i < count; ++i, in += rowBytes) {
            const int y = firstRow + i;
            std::memcpy(out + 3 * static_cast<std::size_t>(fromTop ? y : storedHeight - 1 - y), in,
                        3);
        }
    }
}

// Reads every output row into the bitmap.
bool fencedReadRows(jpeg_decompress_struct* info, JpegErrorManager* errors,
                    const RowTarget* target) {
    if (setjmp(errors->jump)) return false;
    const auto width = static_cast<int>(info->output_width);
    const auto height = static_cast<int>(info->output_height);
    const auto stripStride = static_cast<std::size_t>(width) * (target->cmyk ? 4 : 3);
    JSAMPROW rows[kStripRows];
    const int stripRows =
        target->sink != nullptr ? std::clamp(target->sink->rowsAhead(), 1, kStripRows) : kStripRows;
    // Converted CMYK rows go to the strip, the sink or the bitmap.
    const auto outputRow = [target, width](int i, int y) {
        if (target->strip != nullptr)
            return target->strip + static_cast<std::size_t>(i) * width * 3;
        return target->sink != nullptr ? target->sink->row(y) : target->bitmap->row(y);
    };
    while (info->output_scanline < info->output_height) {
        if (stopRequested()) {
            errors->stopped = true;
            return false;
        }
        const int first = static_cast<int>(info->output_scanline);
        const int wanted = first + stripRows > height ? height - first : stripRows;
        for (int i = 0; i < wanted; ++i) {
            if (target->cmyk)
                rows[i] = target->cmykStrip + static_cast<std::size_t>(i) * stripStride;
            else
                rows[i] = outputRow(i, first + i);
        }
        // libjpeg hands back one row group per call (a few rows at a reduced
        // scale); the strip is filled whole so that a turn walks the bitmap's
        // rows once per strip, not once per row group.
        int got = 0;
        while (got < wanted) {
            const auto more = static_cast<int>(
                jpeg_read_scanlines(info, rows + got, static_cast<JDIMENSION>(wanted - got)));
            if (more < 1) {
                std::snprintf(errors->message, sizeof errors->message, "rows missing");
                return false;
            }
            got += more;
        }
        if (target->cmyk)
            for (int i = 0; i < got; ++i)
                cmykToBgr(rows[i], width, info->saw_Adobe_marker, outputRow(i, first + i));
        if (target->strip != nullptr)
            placeStrip(target->strip, first, got, width, height, target->orientation,
                       *target->bitmap);
        if (target->sink != nullptr) target->sink->written(first + got);
    }
    return true;
}

int orientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 1 && marker->data != nullptr) {
            const int orientation = exifOrientation(marker->data, marker->data_length);
            if (orientation != kOrientationAsStored) return orientation;
        }
    return kOrientationAsStored;
}

// Eighths of the stored size a reduced decode may come out at: libjpeg
// scales the DCT by any M/8, M from 1 to 8.
constexpr unsigned int kScaleEighths = 8;

// The smallest scale M/8 whose decode still covers the target in both
// directions; 8 (the full size) without a usable target. A decode that is
// no larger than it must be keeps the picture's peak memory and the
// resampler's input down. `swapped`: the target is for the turned picture,
// whose sides are the stored picture's the other way round.
unsigned int reducedScaleEighths(const jpeg_decompress_struct& info, const TargetSizeFn& target,
                                 bool swapped) {
    if (!target) return kScaleEighths;
    const int ownWidth = static_cast<int>(swapped ? info.image_height : info.image_width);
    const int ownHeight = static_cast<int>(swapped ? info.image_width : info.image_height);
    auto [wantWidth, wantHeight] = target(ownWidth, ownHeight);
    if (swapped) std::swap(wantWidth, wantHeight);
    if (wantWidth <= 0 || wantHeight <= 0) return kScaleEighths;
    for (unsigned int eighths = 1; eighths < kScaleEighths; ++eighths) {
        // libjpeg rounds the scaled size up.
        const std::uint64_t width =
            (std::uint64_t{info.image_width} * eighths + kScaleEighths - 1) / kScaleEighths;
        const std::uint64_t height =
            (std::uint64_t{info.image_height} * eighths + kScaleEighths - 1) / kScaleEighths;
        if (width >= static_cast<std::uint64_t>(wantWidth) &&
            height >= static_cast<std::uint64_t>(wantHeight))
            return eighths;
    }
    return kScaleEighths;
}

// What a fenced call that answered false leaves: a stop, or `broken`.
DecodeResult unlessStopped(const JpegErrorManager& errors, DecodeResult broken) {
    return errors.stopped ? DecodeResult::stopped() : broken;
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
        return unlessStopped(*errors, DecodeResult::invalid(path + ": " + errors->message));
    if (std::uint64_t{info->image_width} * info->image_height > kMaxPicturePixels)
        return DecodeResult::invalid(path + ": JPEG is larger than the picture size limit");
    session.m_progress.blockBudget = kMaxCoefficientPasses * coefficientBlocks(*info);

    const int orientation = orientationOf(*info);
    const bool swapped = orientationSwapsSides(orientation);
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    info->scale_num = reducedScaleEighths(*info, target, swapped);
    info->scale_denom = kScaleEighths;

    if (!fencedStart(info, errors))
        return unlessStopped(*errors, DecodeResult::invalid(path + ": " + errors->message));
    const int components = cmyk ? 4 : 3;
    if (info->output_components != components)
        return DecodeResult::invalid(path + ": unexpected JPEG colour layout");

    picture.width = static_cast<int>(swapped ? info->image_height : info->image_width);
    picture.height = static_cast<int>(swapped ? info->image_width : info->image_height);
    // A picture that will be resampled goes to the resampler row by row when
    // it is shown as stored, or is decoded straight into the layout the
    // resampler module reads.
    const auto storedWidth = static_cast<int>(info->output_width);
    const auto storedHeight = static_cast<int>(info->output_height);
    const bool turned = orientation != kOrientationAsStored;
    RowSink* const sink = turned ? nullptr
                                 : acceptedSink(picture, target, picture.width, picture.height,
                                                storedWidth, storedHeight);
    Bitmap& bitmap = picture.bitmap;
    if (sink == nullptr &&
        !bitmap.allocateUnfilled(swapped ? storedHeight : storedWidth,
                                 swapped ? storedWidth : storedHeight, 24,
                                 target ? RowOrder::BottomUp : RowOrder::TopDown))
        return DecodeResult::invalid(path + ": JPEG size refused");
    std::vector<std::uint8_t> strip(turned ? std::size_t{info->output_width} * 3 * kStripRows : 0);
    std::vector<std::uint8_t> cmykStrip(cmyk ? std::size_t{info->output_width} * 4 * kStripRows
                                             : 0);
    const RowTarget rowTarget{&bitmap,
                              sink,
                              orientation,
                              cmyk,
                              turned ? strip.data() : nullptr,
                              cmyk ? cmykStrip.data() : nullptr};
    if (!fencedReadRows(info, errors, &rowTarget))
        return unlessStopped(*errors, DecodeResult::invalid(path + ": " + errors->message));
    return DecodeResult::decoded();
}

} // namespace slidora
