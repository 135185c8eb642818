#pragma once
// The interface every picture decoder shares. A decoder reads one file into a
// working picture and answers with one of four outcomes; the caller treats
// Invalid and Failed as "this file cannot be shown" and drops it, and Stopped
// as "this picture is no longer wanted" (see StopRequest.h).
#include "platform/Bitmap.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace slidora {

// Where a decoder may hand its rows on instead of filling a bitmap, so that
// the whole decoded picture is never held: the resampler takes them as they
// come. Rows are 24-bit (blue, green, red), top row first.
class RowSink {
  public:
    virtual ~RowSink() = default;

    // Offered once the decoder knows the sizes: the file's own and the
    // decoded one. False: the sink declines, and the decoder fills the
    // bitmap as it would without a sink.
    virtual bool begin(int ownWidth, int ownHeight, int width, int height) = 0;
    // How many rows past those written the decoder may ask for at once.
    virtual int rowsAhead() const = 0;
    // Where row y goes; never null. Rows are asked for in order, at most
    // rowsAhead() past those written. Never throws: a sink that fails keeps
    // taking rows and says so when the picture is finished.
    virtual std::uint8_t* row(int y) noexcept = 0;
    // Rows [0, count) are written. False once the sink has failed; the
    // decoder may carry on either way.
    virtual bool written(int count) noexcept = 0;
};

// One decoded picture, owned by the display step that loads it.
struct WorkingPicture {
    int width = 0; // the file's own size in pixels, even when decoded smaller
    int height = 0;
    Bitmap bitmap; // decoded pixels, possibly reduced (see TargetSizeFn)
    // Offered by the caller with a target; a decoder that can hands its rows
    // there (and leaves the bitmap empty) when the sink accepts them, and
    // sets `streamed`.
    RowSink* sink = nullptr;
    bool streamed = false;
};

// Given the file's own size, returns the size the caller will scale the
// picture to. A decoder that can decode at a reduced size cheaply may do so,
// but never below this size in either direction. A caller that passes a
// target hands the picture to the resampler bridge next: decoders then
// store the rows bottom-up (RowOrder::BottomUp), as the bits block of the
// packed DIB the module reads, so that no copy of the pixels is made on the
// way there. Without a target the rows are top-down.
using TargetSizeFn = std::function<std::pair<int, int>(int width, int height)>;

// The sink a decoder hands its rows to, or null to fill the bitmap: the
// caller's, when there is a target and the sink accepts these sizes.
inline RowSink* acceptedSink(WorkingPicture& picture, const TargetSizeFn& target, int ownWidth,
                             int ownHeight, int width, int height) {
    if (!target || picture.sink == nullptr ||
        !picture.sink->begin(ownWidth, ownHeight, width, height))
        return nullptr;
    picture.streamed = true;
    return picture.sink;
}

enum class DecodeOutcome {
    Decoded,
    Invalid, // not a picture this decoder can read: damaged or foreign content
    Failed,  // a real failure: the file cannot be opened or read
    Stopped, // given up on request; the picture holds nothing to show
};

struct DecodeResult {
    DecodeOutcome outcome = DecodeOutcome::Failed;
    std::string message; // context first, for logs; empty when Decoded

    static DecodeResult decoded() { return {DecodeOutcome::Decoded, {}}; }
    static DecodeResult invalid(std::string why) {
        return {DecodeOutcome::Invalid, std::move(why)};
    }
    static DecodeResult failed(std::string why) { return {DecodeOutcome::Failed, std::move(why)}; }
    static DecodeResult stopped() { return {DecodeOutcome::Stopped, {}}; }
};

using DecodeFn = DecodeResult (*)(const std::string& path, WorkingPicture& picture,
                                  const TargetSizeFn& target);

} // namespace slidora
