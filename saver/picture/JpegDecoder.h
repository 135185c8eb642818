#pragma once
// JPEG decoding through libjpeg into a 24-bit BGR bitmap. Greyscale, RGB,
// YCbCr, CMYK and YCCK files are all converted. When a target size is given
// the decoder may use libjpeg's reduced DCT scaling (1/2, 1/4, 1/8) as long as
// the decoded size stays at least the target in both directions.
//
// A file cut short inside its compressed data is accepted as decoded: libjpeg
// warns, fills the missing part with grey and carries on, as most viewers do,
// and a photo missing only its last bytes (often just the end marker) still
// shows. A file cut short inside its headers is an invalid picture.
#include "saver/picture/PictureDecoder.h"

namespace slidora {

DecodeResult decodeJpeg(const std::string& path, WorkingPicture& picture,
                        const TargetSizeFn& target);

} // namespace slidora
