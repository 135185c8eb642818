#pragma once
// The window-free part of the display step: a picture read, scaled to its
// display size through the resampler and placed. The work may run on a
// thread of its own, so it takes copies of everything it needs and hands
// back what the user-interface thread must still do: show the resampler's
// message, keep its flag, and raise what the work raised.
#include "platform/Bitmap.h"
#include "platform/FileSystem.h"
#include "platform/Geometry.h"
#include "saver/Layout.h"
#include "saver/picture/PictureDecoder.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace slidora {

// A picture made ready for the window: decoded, scaled to its display size
// where the resampler could, placed, with its background colour.
struct PreparedPicture {
    std::string path;
    Bitmap bitmap;
    Placement place;
    std::uint32_t background = 0; // red | green << 8 | blue << 16
};

// Everything one preparation reads, fixed when it is asked for.
struct PreparationRequest {
    std::string path;
    // The window the picture is scaled and placed for.
    Size window;
    float maxMagnification = 1.0f;
    // The resampler module as the host names it now; none runs every
    // picture at its own size.
    std::optional<std::string> modulePath;
    // The host's "missing module already announced" flag at the request.
    bool noResizeMsg = false;
};

struct Preparation {
    PreparationRequest request;
    // Read before the file, so a change made while it loads shows too.
    FileStamp stamp;
    // Empty when the file cannot be shown. The background is not chosen yet:
    // its random numbers are drawn on the user-interface thread, in the
    // order of the show.
    std::optional<PreparedPicture> picture;
    // The missing module is to be announced to the user.
    bool announceModuleMissing = false;
    // The host's flag as the preparation left it.
    bool noResizeMsg = false;
    // What the work raised; it is raised again where the picture is taken.
    std::exception_ptr error;
    // Given up because the preparation was no longer wanted (StopRequest.h):
    // no picture and no error, and nothing to say about the file.
    bool abandoned = false;
};

using PicLoadFn = std::function<bool(const std::string&, WorkingPicture&, const TargetSizeFn&)>;

// Loads the file (at a reduced scale where the decoder can and the target
// allows), places it with StretchSize and resamples it to its display size
// through the module: row by row as it is decoded where the decoder and the
// module can (the same pixels, without ever holding the whole decoded
// picture), else whole once decoded. Without a resampled result a reduced
// decode is replaced by the full one, which is then shown at its own size.
// Touches nothing outside the result; never throws. A stop requested on the
// calling thread ends the work at the next look and leaves it abandoned; the
// resampler module's call on a whole picture runs to its end once begun.
Preparation preparePictureFile(const PreparationRequest& request, const PicLoadFn& picLoad);

} // namespace slidora
