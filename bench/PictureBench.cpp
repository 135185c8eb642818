#include "bench/PictureBench.h"

#include "bench/BenchSupport.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "saver/Background.h"
#include "saver/Layout.h"
#include "saver/picture/PicLoad.h"
#include "saver/resize/Resize.h"
#include "saver/resize/ResizeHost.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

namespace slidora::bench {

namespace {

// The window and the settings' defaults a display step works with.
constexpr int kWindowWidth = 1920;
constexpr int kWindowHeight = 1080;
constexpr float kMaxMagnification = 1.5f;
constexpr int kBackgroundDensity = 150;
constexpr int kScanCount = 20;

// The step may take at most this share of vipsthumbnail's whole run on the
// 24 MP JPEG, and at most this many times the picture's full-size RGB bytes
// of memory above the process's resident size before it.
constexpr double kStepTargetRatio = 1.0;
constexpr double kMemoryTargetRatio = 1.5;

enum class Format { Jpeg, Png, Bmp };

struct PictureKind {
    const char* label;
    const char* fileName;
    Format format;
    int width;
    int height;
    bool progressive = false;
};

// 3:2 pictures as cameras make them.
const PictureKind kKinds[] = {
    {"JPEG 2 MP", "jpeg-2mp.jpg", Format::Jpeg, 1728, 1152},
    {"JPEG 12 MP", "jpeg-12mp.jpg", Format::Jpeg, 4256, 2832},
    {"JPEG 24 MP", "jpeg-24mp.jpg", Format::Jpeg, 6000, 4000},
    // Not a target; shows libjpeg's whole-picture coefficient buffer, which a
    // progressive file needs whatever the output scale.
    {"JPEG 24 MP pr", "jpeg-24mp-progressive.jpg", Format::Jpeg, 6000, 4000, true},
    {"PNG 12 MP", "png-12mp.png", Format::Png, 4256, 2832},
    {"BMP 12 MP", "bmp-12mp.bmp", Format::Bmp, 4256, 2832},
};
constexpr const char* kTargetKind = "JPEG 24 MP";

// A module that cannot be opened or gives no result would time the
// unscaled fallback instead of the resampler, so either ends the run.
class BenchResizeHost final : public ResizeHost {
  public:
    std::string modulePath() const override { return resizeModulePath(programDir()); }
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "slidora-bench: resampler module %s: %s\n", modulePath().c_str(),
                     text.c_str());
        std::exit(2);
    }
};

struct StepTimes {
    double loadMs = 0;
    double resizeMs = 0;
    double backgroundMs = 0;
    double totalMs = 0;
};

// One display step's picture work as the saver window does it, without
// handing the result to the window. Ends the program when the picture does
// not load or is not resampled to the wanted size.
StepTimes displayStep(const std::string& path, ResizeHost& host, RandomSource& random) {
    StepTimes times;
    const BenchClock::time_point start = BenchClock::now();
    const TargetSizeFn target = [](int w, int h) {
        const Placement p = StretchSize(w, h, kWindowWidth, kWindowHeight, kMaxMagnification);
        return std::make_pair(p.width, p.height);
    };
    WorkingPicture picture;
    if (!PicLoad(path, picture, target)) {
        std::fprintf(stderr, "slidora-bench: %s did not load\n", path.c_str());
        std::exit(2);
    }
    times.loadMs = millisecondsSince(start);

    const BenchClock::time_point resizeStart = BenchClock::now();
    const Placement place =
        StretchSize(picture.width, picture.height, kWindowWidth, kWindowHeight, kMaxMagnification);
    int mode = 1;
    const bool resampled = ResizePic(place.width, place.height, picture.bitmap, mode, host);
    if (!resampled || picture.bitmap.width() != place.width ||
        picture.bitmap.height() != place.height) {
        std::fprintf(stderr, "slidora-bench: %s was not resampled to %dx%d\n", path.c_str(),
                     place.width, place.height);
        std::exit(2);
    }
    times.resizeMs = millisecondsSince(resizeStart);

    const BenchClock::time_point backgroundStart = BenchClock::now();
    const std::uint32_t colour =
        chooseBackground(picture.bitmap, kWindowHeight, kScanCount, kBackgroundDensity, random);
    times.backgroundMs = millisecondsSince(backgroundStart);
    times.totalMs = millisecondsSince(start);
    // Keeps the choice from being optimised away.
    if (colour > 0xFFFFFFu) std::fprintf(stderr, "impossible colour\n");
    return times;
}

std::uint32_t mixBits(std::uint32_t x, std::uint32_t y) {
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

// Brightness texture a few pixels across (foliage, fabric, sensor noise),
// which the smooth scenes lack: without it a 24 MP JPEG at quality 90 is
// half the size of a camera's and decodes faster than a real photo would.
void addPhotoDetail(Bitmap& bitmap) {
    constexpr int kCell = 2;
    constexpr int kAmplitude = 20;
    auto lattice = [](int cx, int cy) {
        return static_cast<int>(
                   mixBits(static_cast<std::uint32_t>(cx), static_cast<std::uint32_t>(cy)) %
                   (2 * kAmplitude + 1)) -
               kAmplitude;
    };
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* row = bitmap.row(y);
        const int cy = y / kCell, fy = y % kCell;
        for (int x = 0; x < bitmap.width(); ++x) {
            const int cx = x / kCell, fx = x % kCell;
            const int top = lattice(cx, cy) * (kCell - fx) + lattice(cx + 1, cy) * fx;
            const int bottom = lattice(cx, cy + 1) * (kCell - fx) + lattice(cx + 1, cy + 1) * fx;
            const int delta = (top * (kCell - fy) + bottom * fy) / (kCell * kCell);
            for (int c = 0; c < 3; ++c) {
                const int v = row[3 * x + c] + delta;
                row[3 * x + c] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    }
}

bool writePicture(const PictureKind& kind, const std::string& path) {
    Bitmap scene = kind.format == Format::Jpeg
                       ? picwriter::makeMeadow(kind.width, kind.height, 7)
                       : picwriter::makeMountains(kind.width, kind.height, 7);
    addPhotoDetail(scene);
    switch (kind.format) {
    case Format::Jpeg: {
        picwriter::JpegOptions options;
        options.quality = 90;
        options.progressive = kind.progressive;
        return picwriter::writeJpeg(path, scene, options);
    }
    case Format::Png:
        return picwriter::writePng(path, scene);
    case Format::Bmp:
        return picwriter::writeBmp(path, scene);
    }
    return false;
}

double fileMegabytes(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return 0;
    return static_cast<double>(info.st_size) / (1024.0 * 1024.0);
}

// What the child process measured for one picture kind.
struct ChildFigures {
    bool measured = false;
    bool peakReset = false;
    long firstStepPeakKb = 0;     // above the resident size before the first step
    long allStepsPeakKb = 0;      // the same, over every step
    std::vector<StepTimes> steps; // the timed steps, after the first
};

// Times and weighs the step in a fresh process that does nothing else, as
// the saver does between pictures: nothing the benchmark did before (writing
// the pictures, other kinds) is resident or shapes the allocator's state.
ChildFigures measureInChild(const std::string& path, int runs) {
    ChildFigures figures;
    const std::string self = programPath();
    if (self.empty()) return figures;
    const ChildRun run = runProgram({self, "--step-child", path, std::to_string(runs)}, true);
    if (run.exitCode != 0) return figures;
    std::istringstream lines(run.output);
    std::string line;
    long baseline = -1, first = -1, all = -1;
    int reset = 0;
    while (std::getline(lines, line)) {
        StepTimes t;
        if (std::sscanf(line.c_str(), "memory %ld %ld %ld %d", &baseline, &first, &all, &reset) ==
            4)
            continue;
        if (std::sscanf(line.c_str(), "step %lf %lf %lf %lf", &t.totalMs, &t.loadMs, &t.resizeMs,
                        &t.backgroundMs) == 4)
            figures.steps.push_back(t);
    }
    if (baseline < 0 || figures.steps.empty()) return figures;
    figures.measured = true;
    figures.peakReset = reset != 0;
    figures.firstStepPeakKb = first - baseline;
    figures.allStepsPeakKb = all - baseline;
    return figures;
}

// vipsthumbnail's whole run on the same file to the same box, median of
// `runs` after one warm-up; empty when it fails.
std::optional<Timing> timeVips(const std::string& path, const std::string& outPath, int runs,
                               long& maxResidentKb) {
    const std::vector<std::string> argv = {"vipsthumbnail",
                                           path,
                                           "-s",
                                           std::to_string(kWindowWidth) + "x" +
                                               std::to_string(kWindowHeight),
                                           "-o",
                                           outPath};
    std::vector<double> samples;
    maxResidentKb = 0;
    for (int i = 0; i <= runs; ++i) {
        const ChildRun run = runProgram(argv, false);
        if (run.exitCode != 0) return std::nullopt;
        if (i > 0) samples.push_back(run.wallMs);
        maxResidentKb = std::max(maxResidentKb, run.maxResidentKb);
    }
    return summarise(samples);
}

double megabytes(long kb) {
    return static_cast<double>(kb) / 1024.0;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace

int runStepChild(const std::string& path, int runs) {
    BenchResizeHost host;
    ClockSeededRandom random;
    const long baseline = residentKb();
    const bool reset = resetPeakResident();
    displayStep(path, host, random);
    const long first = peakResidentKb();
    std::vector<StepTimes> steps;
    for (int i = 0; i < runs; ++i)
        steps.push_back(displayStep(path, host, random));
    const long all = peakResidentKb();
    std::printf("memory %ld %ld %ld %d\n", baseline, first, all, reset ? 1 : 0);
    for (const StepTimes& t : steps)
        std::printf("step %.3f %.3f %.3f %.4f\n", t.totalMs, t.loadMs, t.resizeMs, t.backgroundMs);
    return baseline < 0 || first < 0 || all < 0 ? 1 : 0;
}

bool runPictureBench(const PictureBenchOptions& options) {
    const bool haveVips = onPath("vipsthumbnail");
    std::printf("Display step for a %dx%d window (PicLoad with the window's target size, "
                "StretchSize, ResizePic, chooseBackground)\n",
                kWindowWidth, kWindowHeight);
    std::printf("resampler module: %s\n", resizeModulePath(programDir()).c_str());
    std::printf("each kind in a fresh process: %d timed steps after one warm-up step; times are "
                "wall-clock ms, median (min)\n",
                options.runs);
    if (!haveVips) std::printf("vipsthumbnail: not on PATH, no comparison\n");
    std::printf("first touch of fresh memory on this machine: %s us per page\n",
                fixed(firstTouchMicrosecondsPerPage(), 2).c_str());
    std::printf("\nwriting pictures to %s ...\n", options.folder.c_str());
    std::fflush(stdout);

    for (const PictureKind& kind : kKinds) {
        const std::string path = options.folder + "/" + kind.fileName;
        if (!writePicture(kind, path)) {
            std::fprintf(stderr, "slidora-bench: cannot write %s\n", path.c_str());
            return false;
        }
    }

    std::printf("\n%-13s %-10s %7s %-10s %17s %7s %7s %7s %8s %7s %17s %9s\n", "picture", "size",
                "file MB", "decoded", "step ms", "load", "resize", "bgnd", "peak MB", "x RGB",
                "vips ms", "ours/vips");
    double targetStepRatio = -1;
    double targetMemoryRatio = -1;
    double targetStepMs = 0;
    double targetVipsMs = 0;
    for (const PictureKind& kind : kKinds) {
        const std::string path = options.folder + "/" + kind.fileName;
        WorkingPicture probe;
        const TargetSizeFn target = [](int w, int h) {
            const Placement p = StretchSize(w, h, kWindowWidth, kWindowHeight, kMaxMagnification);
            return std::make_pair(p.width, p.height);
        };
        if (!PicLoad(path, probe, target)) {
            std::fprintf(stderr, "slidora-bench: %s did not load\n", path.c_str());
            return false;
        }
        const std::string decoded =
            std::to_string(probe.bitmap.width()) + "x" + std::to_string(probe.bitmap.height());
        probe = WorkingPicture();

        const ChildFigures child = measureInChild(path, options.runs);
        if (!child.measured) {
            std::fprintf(stderr, "slidora-bench: the step on %s failed in its own process\n",
                         path.c_str());
            return false;
        }
        std::vector<double> total, load, resize, background;
        for (const StepTimes& t : child.steps) {
            total.push_back(t.totalMs);
            load.push_back(t.loadMs);
            resize.push_back(t.resizeMs);
            background.push_back(t.backgroundMs);
        }
        const Timing step = summarise(total);
        const double rgbBytes = static_cast<double>(kind.width) * kind.height * 3.0;
        const double memoryRatio =
            child.measured ? static_cast<double>(child.allStepsPeakKb) * 1024.0 / rgbBytes : -1;

        std::optional<Timing> vips;
        long vipsPeakKb = 0;
        if (haveVips)
            vips = timeVips(path, options.folder + "/vips-out.jpg", options.runs, vipsPeakKb);
        const double vipsRatio = vips && vips->medianMs > 0 ? step.medianMs / vips->medianMs : -1;

        std::printf("%-13s %-10s %7s %-10s %8s (%6s) %7s %7s %7s %8s %7s ", kind.label,
                    (std::to_string(kind.width) + "x" + std::to_string(kind.height)).c_str(),
                    fixed(fileMegabytes(path), 1).c_str(), decoded.c_str(),
                    fixed(step.medianMs, 1).c_str(), fixed(step.minMs, 1).c_str(),
                    fixed(summarise(load).medianMs, 1).c_str(),
                    fixed(summarise(resize).medianMs, 1).c_str(),
                    fixed(summarise(background).medianMs, 2).c_str(),
                    child.measured ? fixed(megabytes(child.allStepsPeakKb), 1).c_str() : "?",
                    child.measured ? fixed(memoryRatio, 2).c_str() : "?");
        if (vips)
            std::printf("%8s (%6s) %9s\n", fixed(vips->medianMs, 1).c_str(),
                        fixed(vips->minMs, 1).c_str(), fixed(vipsRatio, 2).c_str());
        else
            std::printf("%17s %9s\n", haveVips ? "failed" : "-", "-");
        if (child.measured && child.allStepsPeakKb - child.firstStepPeakKb > 1024)
            std::printf("%-13s   (peak after the first step alone: %s MB)\n", "",
                        fixed(megabytes(child.firstStepPeakKb), 1).c_str());
        if (child.measured && !child.peakReset)
            std::printf("%-13s   (peak counted from the child's start: clear_refs refused)\n", "");
        if (haveVips)
            std::printf("%-13s   (vipsthumbnail's own peak resident size: %s MB)\n", "",
                        fixed(megabytes(vipsPeakKb), 1).c_str());
        std::fflush(stdout);

        if (std::string(kind.label) == kTargetKind) {
            targetStepRatio = vipsRatio;
            targetMemoryRatio = memoryRatio;
            targetStepMs = step.medianMs;
            targetVipsMs = vips ? vips->medianMs : 0;
        }
    }

    if (haveVips) {
        // Start-up alone, so the ratio can be read without it too.
        const std::string tiny = options.folder + "/tiny.jpg";
        long tinyPeakKb = 0;
        std::optional<Timing> startup;
        if (picwriter::writeJpeg(tiny, picwriter::makeGradient(64, 64)))
            startup =
                timeVips(tiny, options.folder + "/vips-tiny-out.jpg", options.runs, tinyPeakKb);
        if (startup) {
            std::printf("\nvipsthumbnail on a 64x64 JPEG (its start-up): %s ms (min %s)\n",
                        fixed(startup->medianMs, 1).c_str(), fixed(startup->minMs, 1).c_str());
            if (targetVipsMs > startup->medianMs)
                std::printf("%s: ours / (vipsthumbnail - its start-up) = %s x (for information)\n",
                            kTargetKind,
                            fixed(targetStepMs / (targetVipsMs - startup->medianMs), 2).c_str());
        }
    }

    std::printf(
        "\npeak MB: resident memory above the size before the first step, highest over "
        "all steps of the process;\nx RGB: that peak over the picture's full-size decoded RGB "
        "bytes (width x height x 3)\n\n");
    if (targetStepRatio >= 0)
        std::printf("target: %s step <= %.1f x vipsthumbnail: %s x  %s\n", kTargetKind,
                    kStepTargetRatio, fixed(targetStepRatio, 2).c_str(),
                    verdict(targetStepRatio <= kStepTargetRatio));
    else
        std::printf("target: %s step <= %.1f x vipsthumbnail: not measured\n", kTargetKind,
                    kStepTargetRatio);
    if (targetMemoryRatio >= 0)
        std::printf("target: %s peak memory <= %.1f x full-size RGB: %s x  %s\n", kTargetKind,
                    kMemoryTargetRatio, fixed(targetMemoryRatio, 2).c_str(),
                    verdict(targetMemoryRatio <= kMemoryTargetRatio));
    else
        std::printf("target: %s peak memory <= %.1f x full-size RGB: not measured\n", kTargetKind,
                    kMemoryTargetRatio);
    return true;
}

} // namespace slidora::bench
