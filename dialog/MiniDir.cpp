#include "dialog/MiniDir.h"

namespace slidora {

namespace {

constexpr const char* kMarker = ".../";

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Cuts the first folder from a directory part that is not "/.../".
std::string cutFirstFolder(std::string dir) {
    if (dir == "/") return {};
    const bool leadingSlash = startsWith(dir, "/");
    if (leadingSlash) dir.erase(0, 1);
    // Only the marker of an earlier cut is skipped here: on this system a
    // folder name starting with a dot (".config") is an ordinary name.
    if (startsWith(dir, kMarker)) dir.erase(0, 4);
    const std::size_t slash = dir.find('/');
    dir = slash == std::string::npos ? std::string() : kMarker + dir.substr(slash + 1);
    if (leadingSlash) dir.insert(0, "/");
    return dir;
}

} // namespace

std::vector<std::string> shorteningSteps(const std::string& path) {
    const std::size_t lastSlash = path.rfind('/');
    std::string dir =
        lastSlash == std::string::npos ? std::string() : path.substr(0, lastSlash + 1);
    const std::string name = lastSlash == std::string::npos ? path : path.substr(lastSlash + 1);
    std::vector<std::string> steps{path};
    // Each cut removes one real folder from `dir`; the marker forms "/.../"
    // and ".../" are left in two more steps, so the walk always ends.
    while (!dir.empty()) {
        dir = dir == "/.../" ? std::string(kMarker) : cutFirstFolder(dir);
        steps.push_back(dir + name);
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

std::string withoutTrailingSlash(const std::string& path) {
    if (path.size() > 1 && path.back() == '/') return path.substr(0, path.size() - 1);
    return path;
}

} // namespace

std::string shortenedName(const std::string& path, const TextWidth& width, int limitPx) {
    const std::vector<std::string> steps = shorteningSteps(path);
    return steps[firstStepWithin(steps, width, limitPx)];
}

std::string MiniDir(const std::string& rawPath, const TextWidth& width, int fieldWidthPx) {
    if (rawPath.empty()) return {};
    const std::string path = withoutTrailingSlash(rawPath);
    const std::vector<std::string> steps = shorteningSteps(path);
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
