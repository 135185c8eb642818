#include "bench/PictureBench.h"

#include "bench/BenchSupport.h"
#include "bench/StepFloor.h"
#include "bench/VipsPeer.h"
#include "platform/Paths.h"
#include "platform/ProgramPaths.h"
#include "platform/Random.h"
#include "saver/Background.h"
#include "saver/Layout.h"
#include "saver/PreparedPicture.h"
#include "saver/picture/PicLoad.h"
#include "saver/resize/ResizeHost.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

namespace slidora::bench {

namespace {

// Targets per kind: the step against its own floor, and the peak memory
// above the start against the full-size decoded RGB bytes.
constexpr double kFloorTargetRatio = 1.15;
constexpr double kMemoryTargetRatio = 1.1;
constexpr double kReducedMemoryTargetRatio = 0.3;
// The PNG step against libvips in-process on the same file.
constexpr double kVipsTargetRatio = 1.0;

enum class Format { Jpeg, Png, Bmp };

struct PictureKind {
    const char* label;
    const char* fileName;
    Format format;
    int width;
    int height;
    bool progressive = false;
    int orientation = 1; // Exif Orientation written into a JPEG
};

// 3:2 pictures as cameras make them.
const PictureKind kKinds[] = {
    {"JPEG 2 MP", "jpeg-2mp.jpg", Format::Jpeg, 1728, 1152},
    {"JPEG 12 MP", "jpeg-12mp.jpg", Format::Jpeg, 4256, 2832},
    {"JPEG 24 MP", "jpeg-24mp.jpg", Format::Jpeg, 6000, 4000},
    {"JPEG 48 MP", "jpeg-48mp.jpg", Format::Jpeg, 8484, 5656},
    // Not a target; shows libjpeg's whole-picture coefficient buffer, which a
    // progressive file needs whatever the output scale.
    {"JPEG 24 MP pr", "jpeg-24mp-progressive.jpg", Format::Jpeg, 6000, 4000, true},
    // Held upright: stored 4256 x 2832, shown 2832 x 4256.
    {"JPEG 12 MP or", "jpeg-12mp-oriented.jpg", Format::Jpeg, 4256, 2832, false, 6},
    {"PNG 12 MP", "png-12mp.png", Format::Png, 4256, 2832},
    {"BMP 12 MP", "bmp-12mp.bmp", Format::Bmp, 4256, 2832},
};

struct StepTimes {
    double prepareMs = 0;
    double backgroundMs = 0;
    double totalMs = 0;
};

// One display step's picture work as the saver does it, without handing the
// result to the window: the worker's preparation (the decode, handed row by
// row to the module where the decoder can, or whole once decoded), then the
// background colour. Ends the program when the picture does not load or is
// not resampled to the wanted size.
StepTimes displayStep(const std::string& path, ResizeHost& host, RandomSource& random) {
    StepTimes times;
    const BenchClock::time_point start = BenchClock::now();
    PreparationRequest request;
    request.path = path;
    request.window = {kWindowWidth, kWindowHeight};
    request.maxMagnification = kMaxMagnification;
    request.modulePath = host.modulePath();
    request.noResizeMsg = host.NoResizeMsg;
    const Preparation prepared = preparePictureFile(
        request, [](const std::string& file, WorkingPicture& picture, const TargetSizeFn& target) {
            return PicLoad(file, picture, target);
        });
    times.prepareMs = millisecondsSince(start);
    if (!prepared.picture) {
        std::fprintf(stderr, "slidora-bench: %s did not load\n", path.c_str());
        std::exit(2);
    }
    const PreparedPicture& picture = *prepared.picture;
    if (picture.bitmap.width() != picture.place.width ||
        picture.bitmap.height() != picture.place.height) {
        std::fprintf(stderr, "slidora-bench: %s was not resampled to %dx%d\n", path.c_str(),
                     picture.place.width, picture.place.height);
        std::exit(2);
    }

    const BenchClock::time_point backgroundStart = BenchClock::now();
    const std::uint32_t colour =
        chooseBackground(picture.bitmap, kWindowHeight, kScanCount, kBackgroundDensity, random);
    times.backgroundMs = millisecondsSince(backgroundStart);
    times.totalMs = millisecondsSince(start);
    // Keeps the choice from being optimised away.
    if (colour > 0xFFFFFFu) std::fprintf(stderr, "impossible colour\n");
    return times;
}

// The floor of the step on one file: the same DCT scale and the same size
// asked of the module as the step found.
FloorJob floorJobFor(const std::string& path) {
    FloorJob job;
    job.path = path;
    const std::string extension = pictureExtension(path);
    job.format = extension == ".png"   ? FloorFormat::Png
                 : extension == ".bmp" ? FloorFormat::Bmp
                                       : FloorFormat::Jpeg;
    const TargetSizeFn target = [](int w, int h) {
        const Placement p = StretchSize(w, h, kWindowWidth, kWindowHeight, kMaxMagnification);
        return std::make_pair(p.width, p.height);
    };
    WorkingPicture picture;
    if (!PicLoad(path, picture, target)) {
        std::fprintf(stderr, "slidora-bench: %s did not load\n", path.c_str());
        std::exit(2);
    }
    const Placement place =
        StretchSize(picture.width, picture.height, kWindowWidth, kWindowHeight, kMaxMagnification);
    const double scale =
        static_cast<double>(std::max(picture.bitmap.width(), picture.bitmap.height())) /
        std::max(picture.width, picture.height);
    job.scaleEighths = static_cast<unsigned>(std::lround(8 * scale));
    job.targetWidth = place.width;
    job.targetHeight = place.height;
    return job;
}

std::uint32_t mixBits(std::uint32_t x, std::uint32_t y) {
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
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
        if (kind.orientation != 1)
            options.exif = picwriter::exifOrientationBlock(kind.orientation, false);
        return picwriter::writeJpeg(path, scene, options);
    }
    case Format::Png:
        return picwriter::writePng(path, scene);
    case Format::Bmp:
        return picwriter::writeBmp(path, scene);
    }
    return false;
}

// What the child process measured for one picture kind.
struct ChildFigures {
    bool measured = false;
    bool peakReset = false;
    long firstStepPeakKb = 0;     // above the resident size before the first step
    long allStepsPeakKb = 0;      // the same, over every step
    long coldStartKb = 0;         // how much less was resident before the warm-up
    std::vector<StepTimes> steps; // the timed steps, after the first
    std::vector<double> floorMs;  // the floor's timed steps, after one warm-up
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
    long baseline = -1, first = -1, all = -1, cold = -1;
    int reset = 0;
    while (std::getline(lines, line)) {
        StepTimes t;
        if (std::sscanf(line.c_str(), "memory %ld %ld %ld %d %ld", &baseline, &first, &all, &reset,
                        &cold) == 5)
            continue;
        if (std::sscanf(line.c_str(), "step %lf %lf %lf", &t.totalMs, &t.prepareMs,
                        &t.backgroundMs) == 3)
            figures.steps.push_back(t);
        double floor = 0;
        if (std::sscanf(line.c_str(), "floor %lf", &floor) == 1) figures.floorMs.push_back(floor);
    }
    if (baseline < 0 || figures.steps.empty() || figures.floorMs.empty()) return figures;
    figures.measured = true;
    figures.peakReset = reset != 0;
    figures.firstStepPeakKb = first - baseline;
    figures.allStepsPeakKb = all - baseline;
    figures.coldStartKb = baseline - cold;
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

} // namespace

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

// Steps once through a small picture of the same kind, so that what the
// first picture of a kind brings in for good (the decoder's and the
// module's code, the libraries' fixed tables, a thread's stack) is resident
// before the step is weighed, as it is in a show that has run a while.
void warmUp(const std::string& path, ResizeHost& host, RandomSource& random) {
    const std::string extension = pictureExtension(path);
    const std::string small = path + ".warm-up" + extension;
    const Bitmap scene = picwriter::makeMeadow(64, 48, 7);
    const bool written = extension == ".png"   ? picwriter::writePng(small, scene)
                         : extension == ".bmp" ? picwriter::writeBmp(small, scene)
                                               : picwriter::writeJpeg(small, scene);
    if (!written) {
        std::fprintf(stderr, "slidora-bench: cannot write %s\n", small.c_str());
        std::exit(2);
    }
    displayStep(small, host, random);
    std::remove(small.c_str());
}

int runStepChild(const std::string& path, int runs) {
    BenchResizeHost host;
    ClockSeededRandom random;
    const long cold = residentKb();
    warmUp(path, host, random);
    const long baseline = residentKb();
    const bool reset = resetPeakResident();
    displayStep(path, host, random);
    const long first = peakResidentKb();
    for (int i = 0; i < runs; ++i)
        displayStep(path, host, random);
    const long all = peakResidentKb();
    std::printf("memory %ld %ld %ld %d %ld\n", baseline, first, all, reset ? 1 : 0, cold);

    // Timed after the memory figures, so the floor's own buffer is not
    // counted against the step, and in turns with the floor, so that a busy
    // machine weighs on both alike.
    const FloorJob job = floorJobFor(path);
    floorStepMs(job, host.modulePath());
    for (int i = 0; i < runs; ++i) {
        const StepTimes t = displayStep(path, host, random);
        std::printf("step %.3f %.3f %.4f\n", t.totalMs, t.prepareMs, t.backgroundMs);
        std::printf("floor %.3f\n", floorStepMs(job, host.modulePath()));
    }
    return baseline < 0 || first < 0 || all < 0 ? 1 : 0;
}

bool runPictureBench(const PictureBenchOptions& options) {
    // The first interpreter that has Pillow: the distribution's may not be
    // the first python3 on PATH.
    std::string python;
    for (const char* candidate : {"python3", "/usr/bin/python3"})
        if (python.empty() &&
            runProgram({candidate, "-c", "import PIL.Image, PIL.ImageOps"}, false).exitCode == 0)
            python = candidate;
    const bool havePillow = !python.empty();
    const bool haveVips = onPath("vipsthumbnail");
    std::printf("Display step for a %dx%d window (the worker's preparation: PicLoad with the "
                "window's target size, its rows handed to the module as they are decoded where "
                "the decoder can, else ResizePic; then chooseBackground), with the program's "
                "allocator settings\n",
                kWindowWidth, kWindowHeight);
    std::printf("resampler module: %s\n", resizeModulePath(programDir()).c_str());
    std::printf("each kind in a fresh process: %d timed steps after one warm-up step, then as "
                "many floor steps (bare library decode at the same DCT scale into a reused block "
                "+ the same module call); wall-clock ms, median (min)\n",
                options.runs);
    std::printf("Pillow in-process: %s; vipsthumbnail: %s; libvips in-process: %s\n",
                havePillow ? "python3 PIL" : "not installed, no comparison",
                haveVips ? "on PATH, whole process" : "not on PATH",
                vipsAvailable() ? "vips_thumbnail to the same size into memory, median after one "
                                  "warm-up, cache off"
                                : "not built in (libvips-dev not found)");
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

    std::printf("\n%-13s %-10s %-10s %17s %17s %6s %7s %7s %6s %9s %7s\n", "picture", "shown as",
                "decoded", "step ms", "floor ms", "x flr", "prepare", "peak MB", "x RGB",
                "pillow ms", "x pil");
    bool allMet = true;
    for (const PictureKind& kind : kKinds) {
        const std::string path = options.folder + "/" + kind.fileName;
        const FloorJob job = floorJobFor(path);
        WorkingPicture probe;
        const TargetSizeFn target = [](int w, int h) {
            const Placement p = StretchSize(w, h, kWindowWidth, kWindowHeight, kMaxMagnification);
            return std::make_pair(p.width, p.height);
        };
        if (!PicLoad(path, probe, target)) return false;
        const std::string shownAs =
            std::to_string(probe.width) + "x" + std::to_string(probe.height);
        const std::string decoded =
            std::to_string(probe.bitmap.width()) + "x" + std::to_string(probe.bitmap.height());
        probe = WorkingPicture();

        const ChildFigures child = measureInChild(path, options.runs);
        if (!child.measured) {
            std::fprintf(stderr, "slidora-bench: the step on %s failed in its own process\n",
                         path.c_str());
            return false;
        }
        std::vector<double> total, prepare;
        for (const StepTimes& t : child.steps) {
            total.push_back(t.totalMs);
            prepare.push_back(t.prepareMs);
        }
        const Timing step = summarise(total);
        const Timing floor = summarise(child.floorMs);
        const double floorRatio = floor.medianMs > 0 ? step.medianMs / floor.medianMs : -1;
        const double rgbBytes = static_cast<double>(kind.width) * kind.height * 3.0;
        const double memoryRatio = static_cast<double>(child.allStepsPeakKb) * 1024.0 / rgbBytes;

        double pillowMs = -1;
        if (havePillow) {
            // Pillow's own DCT-scaled decode (draft) at the same box, its
            // Lanczos resize, and the Exif turn, timed inside one process.
            const char* script =
                "import sys,time\nfrom PIL import Image,ImageOps\n"
                "p,w,h,n=sys.argv[1],int(sys.argv[2]),int(sys.argv[3]),int(sys.argv[4])\n"
                "t=[]\nfor i in range(n+1):\n"
                " s=time.perf_counter();im=Image.open(p);im.draft('RGB',(w,h))\n"
                " im=ImageOps.exif_transpose(im).convert('RGB').resize((w,h),Image.LANCZOS)\n"
                " t.append((time.perf_counter()-s)*1000)\n"
                "t=sorted(t[1:]);print(t[len(t)//2])\n";
            const ChildRun run =
                runProgram({python, "-c", script, path, std::to_string(job.targetWidth),
                            std::to_string(job.targetHeight), std::to_string(options.runs)},
                           true);
            if (run.exitCode == 0) pillowMs = std::atof(run.output.c_str());
        }

        std::printf("%-13s %-10s %-10s %8s (%6s) %8s (%6s) %6s %7s %7s %6s %9s %7s\n", kind.label,
                    shownAs.c_str(), decoded.c_str(), fixed(step.medianMs, 1).c_str(),
                    fixed(step.minMs, 1).c_str(), fixed(floor.medianMs, 1).c_str(),
                    fixed(floor.minMs, 1).c_str(), fixed(floorRatio, 2).c_str(),
                    fixed(summarise(prepare).medianMs, 1).c_str(),
                    fixed(megabytes(child.allStepsPeakKb), 1).c_str(),
                    fixed(memoryRatio, 2).c_str(), pillowMs > 0 ? fixed(pillowMs, 1).c_str() : "-",
                    pillowMs > 0 ? fixed(step.medianMs / pillowMs, 2).c_str() : "-");
        if (vipsAvailable()) {
            const std::optional<double> vipsMs =
                vipsInProcessMs(path, job.targetWidth, job.targetHeight, options.runs);
            if (vipsMs) {
                const double ratio = step.medianMs / *vipsMs;
                std::printf("%-13s   (libvips in-process: %s ms, step %s x libvips)\n", "",
                            fixed(*vipsMs, 1).c_str(), fixed(ratio, 2).c_str());
                if (kind.format == Format::Png && ratio > kVipsTargetRatio) {
                    allMet = false;
                    std::printf("%-13s   MISSED: PNG step <= %.1f x libvips in-process\n", "",
                                kVipsTargetRatio);
                }
            }
        }
        if (child.allStepsPeakKb - child.firstStepPeakKb > 1024)
            std::printf("%-13s   (peak after the first step alone: %s MB)\n", "",
                        fixed(megabytes(child.firstStepPeakKb), 1).c_str());
        std::printf("%-13s   (a small picture's step first brought in %s MB for good)\n", "",
                    fixed(megabytes(child.coldStartKb), 1).c_str());
        if (!child.peakReset)
            std::printf("%-13s   (peak counted from the child's start: clear_refs refused)\n", "");
        if (haveVips) {
            long vipsPeakKb = 0;
            const std::optional<Timing> vips =
                timeVips(path, options.folder + "/vips-out.jpg", options.runs, vipsPeakKb);
            if (vips)
                std::printf("%-13s   (vipsthumbnail, whole process: %s ms, peak %s MB)\n", "",
                            fixed(vips->medianMs, 1).c_str(),
                            fixed(megabytes(vipsPeakKb), 1).c_str());
        }
        std::fflush(stdout);

        const bool reduced = kind.format == Format::Jpeg && job.scaleEighths < 8;
        const double memoryTarget = reduced ? kReducedMemoryTargetRatio : kMemoryTargetRatio;
        if (floorRatio > kFloorTargetRatio || memoryRatio > memoryTarget) {
            // A progressive file is shown for information: libjpeg holds
            // every coefficient of it until its last scan, whatever the
            // output scale, so its floor has that peak too.
            if (!kind.progressive) allMet = false;
            std::printf("%-13s   %s: step <= %.2f x floor, peak <= %.1f x RGB\n", "",
                        kind.progressive ? "not met (for information)" : "MISSED",
                        kFloorTargetRatio, memoryTarget);
        }
    }

    // A file shaped to hold the decoder up: 4096 x 4096 progressive with its
    // first scan repeated 2080 times.
    const std::string crafted = options.folder + "/crafted-2080-scans.jpg";
    Bitmap flat;
    picwriter::JpegOptions progressive;
    progressive.progressive = true;
    if (flat.allocate(4096, 4096, 24) && picwriter::writeJpeg(crafted, flat, progressive) &&
        picwriter::writeFileBytes(
            crafted, picwriter::repeatFirstScan(picwriter::readFileBytes(crafted), 2080))) {
        flat.clear();
        const BenchClock::time_point start = BenchClock::now();
        WorkingPicture refused;
        const bool loaded = PicLoad(crafted, refused, [](int, int) {
            return std::pair{1920, 1080};
        });
        std::printf("\ncrafted 4096x4096 progressive JPEG, 2080 scans: %s in %s ms\n",
                    loaded ? "LOADED" : "dropped", fixed(millisecondsSince(start), 1).c_str());
    }

    std::printf(
        "\npeak MB: resident memory above the size before the first step (taken after a small "
        "picture's step), highest over "
        "all steps of the process;\nx RGB: that peak over the picture's full-size decoded RGB "
        "bytes (width x height x 3); x flr: step over floor; x pil: step over Pillow\n");
    std::printf("targets (each kind): step <= %.2f x floor; peak <= %.1f x RGB (%.1f x for a "
                "JPEG decoded at a reduced scale): %s\n",
                kFloorTargetRatio, kMemoryTargetRatio, kReducedMemoryTargetRatio,
                allMet ? "all met" : "see MISSED above");
    return true;
}

} // namespace slidora::bench
