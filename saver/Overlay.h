#pragma once
// The line of text written over each picture: which corner, what it says,
// where its box goes and in which colours. Window-free: the saver measures
// the text through its view and places the label with these results.
#include <cstdint>
#include <string>

namespace slidora {

class RandomSource;

// File-name positions as stored in the settings (FileName).
inline constexpr int kOverlayTopLeft = 0;
inline constexpr int kOverlayBottomLeft = 1;
inline constexpr int kOverlayNone = 2;
inline constexpr int kOverlayTopRight = 3;
inline constexpr int kOverlayBottomRight = 4;
inline constexpr int kOverlayRandom = 5;

// The corner for one picture: for kOverlayRandom a fresh uniform draw from
// 0..4 repeated until it is not kOverlayNone; any other setting (including
// values outside 0..5 from a hand-edited file) is returned as it is.
int overlayCorner(int fileNamePosition, RandomSource& rnd);

// The name part of the text for a picture path ('/' separated, UTF-8): the
// file name, or with showFolder "<folder>/<file>" where <folder> is the name
// of the picture's own folder. A picture directly in "/" shows only its file
// name. Runs of slashes count as one separator.
std::string overlayName(const std::string& path, bool showFolder);

// The whole overlay text: empty when `setting` is kOverlayNone; otherwise
// " name " with, for a left corner (0, 1 or a negative value), the date and
// then the time directly in front of it, and for a right corner (3, 4 or a
// value above 5) the date and then the time directly after it. Date and time
// are joined with nothing between them.
std::string overlayText(int corner, int setting, const std::string& name, bool showDate,
                        bool showTime, const std::string& dateText, const std::string& timeText);

struct OverlayBounds {
    int left, top, width, height;
};

// The label's box for a measured text of textWidth x textHeight pixels: one
// hundredth of the screen's size (not the window's) away from the corner's
// edges of the window. Returns false and leaves `out` untouched for a corner
// other than 0, 1, 3 or 4.
bool overlayBounds(int corner, int textWidth, int textHeight, int windowWidth, int windowHeight,
                   int screenWidth, int screenHeight, OverlayBounds& out);

// The text colour over a box of colour `background` (red | green << 8 |
// blue << 16): the top bit and the bit of value 8 of each channel flipped,
// which keeps it readable on any background.
std::uint32_t overlayTextColour(std::uint32_t background);

} // namespace slidora
