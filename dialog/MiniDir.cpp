#include "dialog/MiniDir.h"

namespace slidora {

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

char separatorOf(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

// The folder part ends at the last separator, and on Windows also at a
// drive's colon ("C:name").
std::size_t folderPartEnd(const std::string& path, PathStyle style) {
    return path.find_last_of(style == PathStyle::Windows ? "\\:" : "/");
}

// Cuts the first folder from a directory part that is not "<sep>...<sep>".
std::string cutFirstFolder(std::string dir, PathStyle style) {
    const char sep = separatorOf(style);
    const std::string marker = std::string("...") + sep;
    if (dir == std::string(1, sep)) return {};
    const bool leadingSeparator = !dir.empty() && dir.front() == sep;
    if (leadingSeparator) dir.erase(0, 1);
    // Only the marker of an earlier cut is skipped here: a folder name
    // starting with a dot (".config") is an ordinary name.
    if (startsWith(dir, marker)) dir.erase(0, marker.size());
    const std::size_t slash = dir.find(sep);
    dir = slash == std::string::npos ? std::string() : marker + dir.substr(slash + 1);
    if (leadingSeparator) dir.insert(0, 1, sep);
    return dir;
}

} // namespace

std::vector<std::string> shorteningSteps(const std::string& path, PathStyle style) {
    const char sep = separatorOf(style);
    const std::string marker = std::string("...") + sep;
    const std::string rootMarker = sep + marker;
    const std::size_t folderEnd = folderPartEnd(path, style);
    std::string dir =
        folderEnd == std::string::npos ? std::string() : path.substr(0, folderEnd + 1);
    const std::string name = folderEnd == std::string::npos ? path : path.substr(folderEnd + 1);
    // A drive stays in front until every folder is gone.
    std::string drive;
    if (style == PathStyle::Windows && dir.size() >= 2 && dir[1] == ':') {
        drive = dir.substr(0, 2);
        dir.erase(0, 2);
    }
    std::vector<std::string> steps{path};
    // Each cut removes one real folder from `dir`; the marker forms
    // "<sep>...<sep>" and "...<sep>" are left in two more steps and the drive
    // in one, so the walk always ends.
    while (!dir.empty() || !drive.empty()) {
        if (dir == rootMarker) {
            drive.clear();
            dir = marker;
        } else if (dir.empty()) {
            drive.clear();
        } else {
            dir = cutFirstFolder(dir, style);
        }
        steps.push_back(drive + dir + name);
    }
    return steps;
}

namespace {

std::size_t firstStepWithin(const std::vector<std::string>& steps, const TextWidth& width,
                            int limitPx) {
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (width(steps[i]) <= limitPx) return i;
    return steps.size() - 1;
}

// A root keeps its separator: "/" here, a drive root (three characters) on Windows.
std::string withoutTrailingSeparator(const std::string& path, PathStyle style) {
    const std::size_t shortest = style == PathStyle::Windows ? 3 : 1;
    if (path.size() > shortest && path.back() == separatorOf(style))
        return path.substr(0, path.size() - 1);
    return path;
}

} // namespace

std::string shortenedName(const std::string& path, const TextWidth& width, int limitPx,
                          PathStyle style) {
    const std::vector<std::string> steps = shorteningSteps(path, style);
    return steps[firstStepWithin(steps, width, limitPx)];
}

std::string MiniDir(const std::string& rawPath, const TextWidth& width, int fieldWidthPx,
                    PathStyle style) {
    if (rawPath.empty()) return {};
    const std::string path = withoutTrailingSeparator(rawPath, style);
    const std::vector<std::string> steps = shorteningSteps(path, style);
    const std::size_t last = steps.size() - 1;
    // Every later limit lies below the width of the step just taken, so each
    // round moves to a later step; at the last step there is nothing left to
    // cut and the bare name stands, however wide.
    std::size_t step = firstStepWithin(steps, width, width(path) - 1);
    while (step < last && width(steps[step]) >= fieldWidthPx)
        step = firstStepWithin(steps, width, width(steps[step]) - 2);
    if (steps[step].empty()) return path;
    return steps[step];
}

} // namespace slidora
