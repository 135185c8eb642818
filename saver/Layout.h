#pragma once
// Size and place of a picture in the saver window.
namespace slidora {

// Top-left corner in window coordinates (negative when the picture is larger
// than the window) and display size, all in pixels.
struct Placement {
    int x = 0, y = 0, width = 0, height = 0;
};

// Reduces a picture that does not fit the window (first by width, then by
// height) or enlarges one that fits by the width ratio, at most by
// maxMagnification and no further than the window's height allows, then
// centres it. The factor is single precision: every division is computed in
// extended precision and rounded to float when stored, every product of a
// dimension and the factor is computed in extended precision and truncated
// toward zero, so results match the program's historical pixel sizes
// (enlarged pictures may come out one pixel short of the window).
//
// A positive picture size always gives a display size of at least 1 x 1: a
// dimension that would truncate to 0 (a panorama a few pixels thin, a
// magnification of 0 from a hand-edited settings file) is raised to 1 so
// that the resampler is never asked for an empty picture. A picture with a
// non-positive dimension gives a 0 x 0 placement at the window's centre.
Placement StretchSize(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight,
                      float maxMagnification);

} // namespace slidora
