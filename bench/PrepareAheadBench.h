#pragma once
// The show as the user-interface thread lives it: the saver's core on a
// real timer schedule, real pictures, the real resampler module and a view
// that takes its copy of each picture as the window does, with the next
// picture prepared ahead on the worker and, for comparison, at the tick.
#include <string>

namespace slidora::bench {

struct PrepareAheadOptions {
    int steps = 5;      // picture steps timed per show
    std::string folder; // where the pictures are written; must exist
};

// Writes the pictures, runs the shows and prints per kind the time from a
// tick to the new picture in the view, the longest time the user-interface
// thread was busy in one go, and how long a key press took to end the show
// while a picture was being prepared. Returns false when something failed
// to run; missed targets are not failures.
bool runPrepareAheadBench(const PrepareAheadOptions& options);

} // namespace slidora::bench
