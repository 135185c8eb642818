#pragma once
// The interface every picture decoder shares. A decoder reads one file into a
// working picture and answers with one of four outcomes; the caller treats
// Invalid and Failed as "this file cannot be shown" and drops it, and Stopped
// as "this picture is no longer wanted" (see StopRequest.h).
#include "platform/Bitmap.h"

#include <functional>
#include <string>
#include <utility>

namespace slidora {

// One decoded picture, owned by the display step that loads it.
struct WorkingPicture {
    int width = 0; // the file's own size in pixels, even when decoded smaller
    int height = 0;
    Bitmap bitmap; // decoded pixels, possibly reduced (see TargetSizeFn)
};

// Given the file's own size, returns the size the caller will scale the
// picture to. A decoder that can decode at a reduced size cheaply may do so,
// but never below this size in either direction. A caller that passes a
// target hands the picture to the resampler bridge next: decoders then
// store the rows bottom-up (RowOrder::BottomUp), as the bits block of the
// packed DIB the module reads, so that no copy of the pixels is made on the
// way there. Without a target the rows are top-down.
using TargetSizeFn = std::function<std::pair<int, int>(int width, int height)>;

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
