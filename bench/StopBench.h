#pragma once
// How quickly a close ends a preparation that is under way: the threaded
// preparer asked to prepare a big picture, stopped after a range of delays
// that land in every phase of the work (reading, decoding, resampling),
// and the time its stop() takes to return with the worker joined.
#include <string>

namespace slidora::bench {

struct StopBenchOptions {
    int landings = 12;  // stops per picture kind, spread over the preparation
    std::string folder; // where the pictures are written; must exist
};

// Writes the pictures and prints, per kind, the preparation's own time, the
// module call's time (which a stop cannot cut short) and the median and
// maximum time from the stop request to the worker joined. False when
// something failed to run; a missed target is not a failure.
bool runStopBench(const StopBenchOptions& options);

} // namespace slidora::bench
