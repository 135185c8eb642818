#pragma once
// The Exif Orientation tag of a JPEG file. Cameras store the sensor's rows as they came and record
// in the tag how the camera was held; photo viewers turn the picture to match.
#include <cstddef>
#include <cstdint>

namespace slidora {

// Orientation values 1 to 8 as Exif numbers them: 1 as stored, 2 mirrored
// left to right, 3 turned half round, 4 mirrored top to bottom, 5 mirrored
// about the main diagonal, 6 turned a quarter clockwise, 7 mirrored about the
// other diagonal, 8 turned a quarter anticlockwise.
inline constexpr int kOrientationAsStored = 1;

// The orientation recorded in the payload of an APP1 marker (starting with
// "Exif\0\0"). Anything that is not a well-formed tag of IFD0 holding a value
// from 1 to 8 counts as 1: hostile or damaged data is never read past its end.
int exifOrientation(const std::uint8_t* payload, std::size_t size);

// Whether the orientation swaps width and height (values 5 to 8).
inline bool orientationSwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

} // namespace slidora
