#include "bench/StopBench.h"

#include "bench/BenchSupport.h"
#include "bench/PictureBench.h"
#include "platform/ProgramPaths.h"
#include "saver/Layout.h"
#include "saver/PicturePreparer.h"
#include "saver/PreparedPicture.h"
#include "saver/picture/PicLoad.h"
#include "saver/resize/Resize.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace slidora::bench {
namespace {

constexpr double kStopTargetMs = 50.0;
// Preparations timed whole before the stops, for the landing points.
constexpr int kWholeRuns = 3;

struct StopKind {
    const char* label;
    const char* fileName;
    int width;
    int height;
};

const StopKind kStopKinds[] = {
    {"JPEG 24 MP", "stop-jpeg-24mp.jpg", 6000, 4000},
    {"PNG 12 MP", "stop-png-12mp.png", 4256, 2832},
    {"BMP 12 MP", "stop-bmp-12mp.bmp", 4256, 2832},
};

bool writeStopKind(const StopKind& kind, const std::string& path) {
    const bool jpeg = pictureExtension(path) == ".jpg";
    Bitmap scene = jpeg ? picwriter::makeMeadow(kind.width, kind.height, 5)
                        : picwriter::makeMountains(kind.width, kind.height, 5);
    addPhotoDetail(scene);
    if (jpeg) {
        picwriter::JpegOptions options;
        options.quality = 90;
        return picwriter::writeJpeg(path, scene, options);
    }
    return pictureExtension(path) == ".png" ? picwriter::writePng(path, scene)
                                            : picwriter::writeBmp(path, scene);
}

PreparationRequest requestFor(const std::string& path) {
    PreparationRequest request;
    request.path = path;
    request.window = {kWindowWidth, kWindowHeight};
    request.maxMagnification = kMaxMagnification;
    request.modulePath = resizeModulePath(programDir());
    return request;
}

Preparation prepare(const PreparationRequest& request) {
    return preparePictureFile(
        request, [](const std::string& path, WorkingPicture& picture, const TargetSizeFn& target) {
            return PicLoad(path, picture, target);
        });
}

// The module call alone on the decoded picture, as the preparation makes it.
double moduleCallMs(const std::string& path) {
    const PreparationRequest request = requestFor(path);
    const TargetSizeFn target = [](int w, int h) {
        const Placement p = StretchSize(w, h, kWindowWidth, kWindowHeight, kMaxMagnification);
        return std::make_pair(p.width, p.height);
    };
    std::vector<double> samples;
    for (int i = 0; i < kWholeRuns; ++i) {
        WorkingPicture picture;
        if (!PicLoad(path, picture, target)) return -1;
        const Placement place = StretchSize(picture.width, picture.height, kWindowWidth,
                                            kWindowHeight, kMaxMagnification);
        BenchResizeHost host;
        int mode = 1;
        const BenchClock::time_point start = BenchClock::now();
        ResizePic(place.width, place.height, picture.bitmap, mode, host);
        samples.push_back(millisecondsSince(start));
    }
    return summarise(samples).medianMs;
}

} // namespace

bool runStopBench(const StopBenchOptions& options) {
    std::printf("\nClosing during a preparation: the threaded preparer prepares one picture for a "
                "%d x %d window through the real module;\nstop() is called after %d delays "
                "spread evenly over the preparation's own time; ms from the stop request to the "
                "worker joined\n",
                kWindowWidth, kWindowHeight, options.landings);
    std::printf("%-11s %12s %12s %10s %10s %10s\n", "picture", "prepare ms", "module ms", "stop md",
                "stop max", "landed in");
    std::printf("%-11s %12s %12s %10s %10s %10s\n", "", "(median)", "(median)", "ms", "ms", "time");
    bool ok = true;
    bool met = true;
    for (const StopKind& kind : kStopKinds) {
        const std::string path = options.folder + "/" + kind.fileName;
        if (!writeStopKind(kind, path)) {
            std::fprintf(stderr, "slidora-bench: cannot write %s\n", path.c_str());
            return false;
        }
        const PreparationRequest request = requestFor(path);
        std::vector<double> whole;
        for (int i = 0; i < kWholeRuns; ++i) {
            const BenchClock::time_point start = BenchClock::now();
            const Preparation done = prepare(request);
            whole.push_back(millisecondsSince(start));
            if (!done.picture) {
                std::fprintf(stderr, "slidora-bench: %s did not prepare\n", path.c_str());
                return false;
            }
        }
        const double prepareMs = summarise(whole).medianMs;
        const double moduleMs = moduleCallMs(path);

        std::vector<double> stops;
        int landedInTime = 0;
        for (int i = 0; i < options.landings; ++i) {
            const auto delay =
                std::chrono::duration<double, std::milli>(prepareMs * (i + 0.5) / options.landings);
            std::atomic<bool> finished{false};
            ThreadedPreparer preparer([&finished](const PreparationRequest& r) {
                Preparation done = prepare(r);
                finished = !done.abandoned;
                return done;
            });
            preparer.request(request);
            std::this_thread::sleep_for(delay);
            const BenchClock::time_point stopAt = BenchClock::now();
            preparer.stop();
            stops.push_back(millisecondsSince(stopAt));
            if (!finished) ++landedInTime;
        }
        const Timing stop = summarise(stops);
        const double worst = *std::max_element(stops.begin(), stops.end());
        std::printf("%-11s %12s %12s %10s %10s %7d/%d\n", kind.label, fixed(prepareMs, 1).c_str(),
                    fixed(moduleMs, 1).c_str(), fixed(stop.medianMs, 1).c_str(),
                    fixed(worst, 1).c_str(), landedInTime, options.landings);
        if (worst > kStopTargetMs) met = false;
        ok = ok && moduleMs >= 0;
    }
    std::printf("landed in time: stops that came while the preparation still ran (the others found "
                "it done).\nA stop is looked for between blocks of rows and before and after the "
                "module's work; rows handed to the module as they are decoded\nare given up "
                "between two target rows, and a whole-picture call (module ms, for comparison) "
                "would run to its end.\nTarget: the worker joined within %.0f ms: %s\n",
                kStopTargetMs, met ? "met" : "MISSED");
    return ok;
}

} // namespace slidora::bench
