#pragma once
// The resampler bridge: hands a picture to the resampler module as a packed
// DIB and takes back the scaled one.
#include "platform/Bitmap.h"
#include "saver/resize/ResizeHost.h"

namespace slidora {

// Replaces `picture` by its resampled copy of width x height pixels (24 bits
// per pixel), made by the module at host.modulePath(), which is opened for
// this call only. When there is no resampled result (module missing, entry
// missing, call failed, unusable result) the picture keeps its own size and
// content and `mode` becomes -1; otherwise `mode` is unchanged. A missing
// module is announced through host.showMessage unless host.NoResizeMsg is
// set. Returns whether the picture was resampled.
bool ResizePic(int width, int height, Bitmap& picture, int& mode, ResizeHost& host);

} // namespace slidora
