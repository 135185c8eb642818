#pragma once
// The time from starting the real program to its first picture on screen,
// read from the X server's screen itself, against feh on the same folder
// when feh is installed. Needs a display: run the benchmark under xvfb-run.
#include <string>

namespace slidora::bench {

struct StartupOptions {
    std::string program; // the slidora program to start; its folder holds libresize32.so
    int runs = 5;
    int smallFiles = 10000;
    std::string folder; // scratch space; must exist
};

// Writes the folders, starts the program (and feh) `runs` times on each and
// prints the median and minimum time to the first picture. False when
// something failed to run or no picture appeared; a missed target is not a
// failure.
bool runStartupBench(const StartupOptions& options);

} // namespace slidora::bench
