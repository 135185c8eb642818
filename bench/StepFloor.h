#pragma once
// The physical floor of a display step, measured beside it: a bare decode by
// the format's library at the same DCT scale into a reused bits block, and
// the same resampler module call, with nothing else around them.
#include <string>

namespace slidora::bench {

enum class FloorFormat { Jpeg, Png, Bmp };

struct FloorJob {
    std::string path;
    FloorFormat format = FloorFormat::Jpeg;
    unsigned scaleEighths = 8; // JPEG only: decoded at this many eighths, 1 to 8
    int targetWidth = 0;       // the size the module is asked for
    int targetHeight = 0;
};

// Milliseconds for one floor step; ends the program when the file, the
// module or its call fails (the benchmark's own files never do).
double floorStepMs(const FloorJob& job, const std::string& modulePath);

} // namespace slidora::bench
