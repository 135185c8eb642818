#pragma once
// The display step's picture work, timed and weighed per picture kind, next
// to vipsthumbnail doing the same reduction of the same file.
#include <string>

namespace slidora {
class Bitmap;
}

namespace slidora::bench {

struct PictureBenchOptions {
    int runs = 5;
    std::string folder; // where the pictures are written; must exist
};

// Writes the pictures, prints the table and the targets. Returns false when
// something failed to run (a picture could not be written or decoded, the
// resampler module gave no result); missed targets are not failures.
bool runPictureBench(const PictureBenchOptions& options);

// The body of the child process that weighs one picture: runs the step
// `runs` times and prints "<baseline KiB> <peak after one step KiB> <peak
// after all KiB> <1 when the peak was reset, else 0>" on one line. Returns
// the process's exit code.
int runStepChild(const std::string& path, int runs);

// Adds the fine brightness texture of a photo to a generated 24-bit scene,
// so that it encodes and decodes like a camera's picture.
void addPhotoDetail(Bitmap& bitmap);

} // namespace slidora::bench
