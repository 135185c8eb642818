// slidora-bench: speed and memory of the slideshow's picture work and
// catalogue, measured against vipsthumbnail and find on the same files.
#include "bench/BenchSupport.h"
#include "bench/CatalogueBench.h"
#include "bench/PictureBench.h"
#include "bench/PrepareAheadBench.h"
#include "bench/SoakBench.h"
#include "bench/StartupBench.h"
#include "bench/StopBench.h"
#include "platform/Bitmap.h"

#include <QLocale>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void usage() {
    std::printf(
        "usage: slidora-bench [--pictures-only | --catalogue-only] [--runs N]\n"
        "                     [--catalogue-runs N] [--files N] [--folders N] [--keep]\n"
        "       slidora-bench --soak N\n"
        "       slidora-bench --prepare-ahead [--ahead-steps N]\n"
        "       slidora-bench --stop [--stop-landings N]\n"
        "       slidora-bench --startup PROGRAM [--startup-runs N] [--startup-files N]\n"
        "       slidora-bench --step-child PICTURE RUNS\n"
        "Pictures and the catalogue tree are made in a temporary folder under $TMPDIR\n"
        "(or /tmp) and removed at the end (--keep leaves the pictures). The resampler\n"
        "module libresize32.so must lie beside the program. --step-child runs the\n"
        "display step on one picture and prints its memory figures in KiB. --soak runs\n"
        "N display steps over a folder of mixed pictures and prints the resident memory.\n"
        "--prepare-ahead runs timed shows of 24 MP JPEGs and 12 MP PNGs with the next picture\n"
        "prepared ahead and at the tick, and prints what the user-interface thread pays.\n"
        "--stop stops preparations of big pictures at many points and prints how long the\n"
        "worker takes to end. --startup (under xvfb-run) times PROGRAM, and feh when\n"
        "installed, from start to the first picture on screen.\n");
}

bool positive(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 10'000'000) return false;
    out = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Before anything is allocated, as in the program, so the figures are
    // what the saver pays.
    slidora::applyPictureAllocatorSettings();
    if (argc == 4 && std::strcmp(argv[1], "--step-child") == 0) {
        int runs = 0;
        if (!positive(argv[3], runs)) return 1;
        return slidora::bench::runStepChild(argv[2], runs);
    }

    bool pictures = true;
    bool catalogue = true;
    bool keep = false;
    int soakPictures = 0;
    bool prepareAhead = false;
    bool stopBench = false;
    slidora::bench::StopBenchOptions stopOptions;
    slidora::bench::StartupOptions startupOptions;
    slidora::bench::PrepareAheadOptions aheadOptions;
    slidora::bench::PictureBenchOptions pictureOptions;
    slidora::bench::CatalogueBenchOptions catalogueOptions;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--pictures-only") {
            catalogue = false;
        } else if (arg == "--catalogue-only") {
            pictures = false;
        } else if (arg == "--soak" && hasValue && positive(argv[i + 1], soakPictures)) {
            ++i;
        } else if (arg == "--prepare-ahead") {
            prepareAhead = true;
        } else if (arg == "--startup" && hasValue) {
            startupOptions.program = argv[++i];
        } else if (arg == "--startup-runs" && hasValue &&
                   positive(argv[i + 1], startupOptions.runs)) {
            ++i;
        } else if (arg == "--startup-files" && hasValue &&
                   positive(argv[i + 1], startupOptions.smallFiles)) {
            ++i;
        } else if (arg == "--stop") {
            stopBench = true;
        } else if (arg == "--stop-landings" && hasValue &&
                   positive(argv[i + 1], stopOptions.landings)) {
            ++i;
        } else if (arg == "--ahead-steps" && hasValue &&
                   positive(argv[i + 1], aheadOptions.steps)) {
            ++i;
        } else if (arg == "--keep") {
            keep = true;
        } else if (arg == "--runs" && hasValue && positive(argv[i + 1], pictureOptions.runs)) {
            ++i;
        } else if (arg == "--catalogue-runs" && hasValue &&
                   positive(argv[i + 1], catalogueOptions.runs)) {
            ++i;
        } else if (arg == "--files" && hasValue && positive(argv[i + 1], catalogueOptions.files)) {
            ++i;
        } else if (arg == "--folders" && hasValue &&
                   positive(argv[i + 1], catalogueOptions.folders)) {
            ++i;
        } else if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else {
            usage();
            return 1;
        }
    }
    if (!pictures && !catalogue) {
        usage();
        return 1;
    }

    slidora::bench::ScratchFolder scratch("slidora-bench");
    if (!scratch.valid()) {
        std::fprintf(stderr, "slidora-bench: cannot make a temporary folder\n");
        return 1;
    }
    if (keep) scratch.keep();
    std::printf("slidora-bench, locale %s\n", QLocale().name().toStdString().c_str());
    bool ok = true;
    if (soakPictures > 0) {
        slidora::bench::SoakOptions soakOptions;
        soakOptions.pictures = soakPictures;
        soakOptions.folder = scratch.path();
        return slidora::bench::runSoak(soakOptions) ? 0 : 1;
    }
    if (!startupOptions.program.empty()) {
        startupOptions.folder = scratch.path();
        return slidora::bench::runStartupBench(startupOptions) ? 0 : 1;
    }
    if (stopBench) {
        stopOptions.folder = scratch.path();
        return slidora::bench::runStopBench(stopOptions) ? 0 : 1;
    }
    if (prepareAhead) {
        aheadOptions.folder = scratch.path();
        return slidora::bench::runPrepareAheadBench(aheadOptions) ? 0 : 1;
    }
    if (pictures) {
        pictureOptions.folder = scratch.path();
        ok = slidora::bench::runPictureBench(pictureOptions) && ok;
    }
    if (catalogue) {
        catalogueOptions.folder = scratch.path();
        ok = slidora::bench::runCatalogueBench(catalogueOptions) && ok;
    }
    return ok ? 0 : 1;
}
