#pragma once
// Small tools shared by the benchmark's parts: wall-clock timing and its
// statistics, the process's resident memory, a scratch folder, and running
// another program.
#include "saver/resize/ResizeHost.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace slidora::bench {

// The window and the settings' defaults a display step works with.
constexpr int kWindowWidth = 1920;
constexpr int kWindowHeight = 1080;
constexpr float kMaxMagnification = 1.5f;
constexpr int kBackgroundDensity = 150;
constexpr int kScanCount = 20;

using BenchClock = std::chrono::steady_clock;

double millisecondsSince(BenchClock::time_point start);

// Median and minimum of a set of timings (milliseconds); both 0 when empty.
struct Timing {
    double medianMs = 0;
    double minMs = 0;
};
Timing summarise(std::vector<double> samplesMs);

// Resident set size and its high-water mark, in KiB, from /proc/self/status;
// -1 when the field cannot be read.
long residentKb();
long peakResidentKb();
// Resets the high-water mark to the present resident size. False when the
// kernel refuses (then the mark counts from the process's start).
bool resetPeakResident();

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it
// when the object goes.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& prefix);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool valid() const { return !m_path.empty(); }
    // Leaves the folder in place, for profiling a step on its pictures.
    void keep() { m_keep = true; }
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
    bool m_keep = false;
};

// What a finished child process left behind.
struct ChildRun {
    bool started = false;
    int exitCode = -1;      // -1 when it did not exit normally
    double wallMs = 0;      // from just before fork to the end of the wait
    long maxResidentKb = 0; // the child's own peak (wait4's ru_maxrss)
    std::string output;     // its standard output when captured
};

// Runs `argv` (argv[0] looked up on PATH) with standard input from
// /dev/null and standard error passed through. Standard output is captured
// when captureOutput is set, otherwise thrown away.
ChildRun runProgram(const std::vector<std::string>& argv, bool captureOutput);

// What the first write to a fresh anonymous page costs on this machine, in
// microseconds (the page fault and the kernel's zeroing); -1 when it cannot
// be measured. Every fresh picture buffer pays it once per 4 KiB page, and
// in some virtual machines it dwarfs the copying itself.
double firstTouchMicrosecondsPerPage();

// Whether an executable of that name is found on PATH.
bool onPath(const std::string& program);

// "12.3" style formatting for tables.
std::string fixed(double value, int decimals);

// The real resampler module beside the program. A module that cannot be
// opened or gives no result would time the unscaled fallback instead of the
// resampler, so either ends the run.
class BenchResizeHost final : public ResizeHost {
  public:
    std::string modulePath() const override;
    void showMessage(const std::string& text) override;
};

} // namespace slidora::bench
