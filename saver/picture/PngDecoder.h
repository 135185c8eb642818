#pragma once
// PNG decoding through libpng into a 24-bit BGR bitmap. Palette, grey, grey
// with alpha, RGB and RGBA files of any bit depth, interlaced or not, are
// converted; alpha (an alpha channel or a tRNS chunk) is composited over
// black. A damaged or truncated file is an invalid picture.
#include "saver/picture/PictureDecoder.h"

namespace slidora {

DecodeResult decodePng(const std::string& path, WorkingPicture& picture,
                       const TargetSizeFn& target);

} // namespace slidora
