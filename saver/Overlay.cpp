#include "saver/Overlay.h"

#include "platform/Paths.h"
#include "platform/Random.h"

namespace slidora {

int overlayCorner(int fileNamePosition, RandomSource& rnd) {
    if (fileNamePosition != kOverlayRandom) return fileNamePosition;
    int pos = 0;
    do {
        pos = rnd.below(5);
    } while (pos == kOverlayNone);
    return pos;
}

std::string overlayName(const std::string& path, bool showFolder) {
    if (!showFolder) return fileNameOf(path);
    const std::size_t last = lastSeparator(path);
    if (last == std::string::npos) return path;
    const std::string file = path.substr(last + 1);
    std::size_t folderEnd = last;
    while (folderEnd > 0 && isPathSeparator(path[folderEnd - 1]))
        --folderEnd;
    if (folderEnd == 0) return file;
    const std::size_t slash = lastSeparator(path, folderEnd - 1);
    const std::size_t folderStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(folderStart, folderEnd - folderStart) + kPathSeparator + file;
}

std::string overlayText(int corner, int setting, const std::string& name, bool showDate,
                        bool showTime, const std::string& dateText, const std::string& timeText) {
    if (setting == kOverlayNone) return {};
    std::string text = " " + name + " ";
    if (corner < kOverlayNone) {
        if (showTime) text = timeText + text;
        if (showDate) text = dateText + text;
    } else if (corner > kOverlayNone) {
        if (showDate) text += dateText;
        if (showTime) text += timeText;
    }
    return text;
}

bool overlayBounds(int corner, int textWidth, int textHeight, int windowWidth, int windowHeight,
                   int screenWidth, int screenHeight, OverlayBounds& out) {
    const int mx = screenWidth / 100;
    const int my = screenHeight / 100;
    const int rightCornerLeft = windowWidth - textWidth - mx;
    const int bottomCornerTop = windowHeight - textHeight - my;
    switch (corner) {
    case kOverlayTopLeft:
        out = {mx, my, textWidth, textHeight};
        return true;
    case kOverlayBottomLeft:
        out = {mx, bottomCornerTop, textWidth, textHeight};
        return true;
    case kOverlayTopRight:
        out = {rightCornerLeft, my, textWidth, textHeight};
        return true;
    case kOverlayBottomRight:
        out = {rightCornerLeft, bottomCornerTop, textWidth, textHeight};
        return true;
    default:
        return false;
    }
}

std::uint32_t overlayTextColour(std::uint32_t background) {
    return (background ^ 0x888888u) & 0xFFFFFFu;
}

} // namespace slidora
