#pragma once
// Loading one catalogued picture into the working picture of a display step.
//
// The decoder is chosen by the file name's extension, ASCII letter case
// ignored: ".bmp" the bitmap reader, ".jpg", ".jpeg" and ".jp" the JPEG
// decoder, ".png" the PNG decoder; any other extension loads nothing. Files
// are read in place: they are never renamed or modified, and the current
// directory is left alone.
#include "saver/picture/PictureDecoder.h"

#include <string>

namespace slidora {

// True when `picture` now holds the decoded file. On false (no decoder for
// the extension, a damaged or foreign file, an unreadable file, or the load
// given up because stopRequested() said so) the picture is left empty. Never
// throws. `target`, when given, lets the JPEG decoder decode at a reduced
// size no smaller than the target; picture.width and picture.height still
// give the file's own size.
bool PicLoad(const std::string& path, WorkingPicture& picture, const TargetSizeFn& target = {});

// Decodes a PNG file into `picture` whatever its name.
DecodeResult PngLoad(const std::string& path, WorkingPicture& picture);

// The decoder registered for an extension (with its dot, any letter case),
// or null. Exposed for the folder checks and the tests.
DecodeFn pictureDecoderFor(const std::string& extension);

// The extension of the path's file name: from its last dot, dot included;
// empty when the name has no dot.
std::string pictureExtension(const std::string& path);

} // namespace slidora
