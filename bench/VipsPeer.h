#pragma once
// libvips inside this process as a peer of the display step: the same file
// reduced to the same size, with its shrink-on-load where the format has
// one. Built only when libvips is found (Debian: libvips-dev).
#include <optional>
#include <string>

namespace slidora::bench {

// Whether this build has libvips.
bool vipsAvailable();

// Median milliseconds of `runs` timed reductions of `path` to exactly
// width x height pixels in memory, after one warm-up; empty when libvips is
// missing or fails on the file.
std::optional<double> vipsInProcessMs(const std::string& path, int width, int height, int runs);

} // namespace slidora::bench
