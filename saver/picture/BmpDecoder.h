#pragma once
// Our own reader for Windows and OS/2 bitmap files.
//
// Reads BITMAPINFOHEADER (40), its V2/V3 (52/56), V4 (108) and V5 (124)
// extensions and the OS/2 core header (12); 1, 4, 8, 16, 24 and 32 bits per
// pixel, RLE4, RLE8, bottom-up and top-down rows, and bit-field masks. Files
// with up to 8 bits per pixel become an 8-bit palette bitmap (one index per
// pixel, palette padded to 2^bits entries so every index is defined); all
// others become 24-bit BGR. A truncated file is an invalid picture.
#include "saver/picture/PictureDecoder.h"

namespace slidora {

DecodeResult decodeBmp(const std::string& path, WorkingPicture& picture,
                       const TargetSizeFn& target);

} // namespace slidora
