#pragma once
// JPEG decoding through libjpeg into a 24-bit BGR bitmap. Greyscale, RGB,
// YCbCr, CMYK and YCCK files are all converted. When a target size is given
// the decoder uses libjpeg's reduced DCT scaling, the smallest of 1/8, 2/8,
// ..., 7/8 whose decoded size is still at least the target in both
// directions, and hands the rows of a picture shown as stored to the
// caller's sink when it takes them (see RowSink).
//
// A file whose Exif Orientation tag says the camera was turned (values 2 to
// 8) is decoded turned as the camera meant it, as photo viewers show it: its
// own size is then the turned size, and the target is asked for that size.
// The tag is read from the first Exif block only where it is well formed.
//
// A file cut short inside its compressed data is accepted as decoded: libjpeg
// warns, fills the missing part with grey and carries on, as most viewers do,
// and a photo missing only its last bytes (often just the end marker) still
// shows. A file cut short inside its headers is an invalid picture.
//
// A stop (StopRequest.h) is looked for once per row of blocks while a
// progressive file's scans are read in and before every strip of rows.
#include "saver/picture/PictureDecoder.h"

namespace slidora {

DecodeResult decodeJpeg(const std::string& path, WorkingPicture& picture,
                        const TargetSizeFn& target);

} // namespace slidora
