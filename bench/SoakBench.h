#pragma once
// The soak run: the display step's window-free work, as the saver does it
// for every picture, over a folder of mixed pictures for many pictures in a
// row, watching the resident memory.
#include <string>

namespace slidora::bench {

struct SoakOptions {
    int pictures = 10000;
    std::string folder; // where the pictures are written; must exist
};

// Writes the folder, runs the steps and prints the resident memory after
// the first 100 pictures, after the last and at its peak. Returns false when
// something failed to run.
bool runSoak(const SoakOptions& options);

} // namespace slidora::bench
