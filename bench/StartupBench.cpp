#include "bench/StartupBench.h"

#include "bench/BenchSupport.h"
#include "bench/PictureBench.h"
#include "platform/ProgramPaths.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

namespace slidora::bench {
namespace {

constexpr double kFirstPictureTargetMs = 500.0;
// Longest wait for a picture before a run counts as failed.
constexpr double kGiveUpMs = 30000.0;
// How long a program asked to end gets before it is killed.
constexpr double kEndWaitMs = 3000.0;
// The centre of each picture is this colour (plus the photo texture), so
// the centre of the screen tells when it is shown, whatever the scaling.
constexpr PaletteEntry kMark{220, 40, 30};
constexpr int kMarkTolerance = 60;
// Between two looks at the screen. Looking without a pause keeps the X
// server busy with this program's requests: the program under test waits
// behind them for its own, and the two fill both cores (a Qt program, which
// asks the server more at its start, lost 30 ms of 100 to it, feh 7 of 59).
constexpr useconds_t kPollGapUs = 1000;

void paintCentre(Bitmap& scene, int percent) {
    const int w = scene.width() * percent / 100;
    const int h = scene.height() * percent / 100;
    for (int y = (scene.height() - h) / 2; y < (scene.height() + h) / 2; ++y) {
        std::uint8_t* row = scene.row(y);
        for (int x = (scene.width() - w) / 2; x < (scene.width() + w) / 2; ++x) {
            row[3 * x] = kMark.blue;
            row[3 * x + 1] = kMark.green;
            row[3 * x + 2] = kMark.red;
        }
    }
}

bool writeMarked(const std::string& path, int width, int height, int percent) {
    Bitmap scene = picwriter::makeMeadow(width, height, 3);
    paintCentre(scene, percent);
    addPhotoDetail(scene);
    picwriter::JpegOptions options;
    options.quality = 90;
    return picwriter::writeJpeg(path, scene, options);
}

// Many files that are one picture: hard links, so the folder costs one
// file's disk space while every name is a file of its own to the catalogue.
bool writeSmallFolder(const std::string& folder, int files) {
    std::filesystem::create_directories(folder);
    const std::string first = folder + "/p000000.jpg";
    if (!writeMarked(first, 480, 320, 60)) return false;
    std::error_code error;
    if (std::filesystem::file_size(first, error) <= 10 * 1024) {
        std::fprintf(stderr, "slidora-bench: %s is too small to be catalogued\n", first.c_str());
        return false;
    }
    char name[32];
    for (int i = 1; i < files; ++i) {
        std::snprintf(name, sizeof name, "/p%06d.jpg", i);
        std::filesystem::create_hard_link(first, folder + name, error);
        if (error) return false;
    }
    return true;
}

bool screenShowsMark(QScreen& screen) {
    const QRect area = screen.geometry();
    const QImage pixel = screen.grabWindow(0, area.width() / 2, area.height() / 2, 1, 1).toImage();
    if (pixel.isNull()) return false;
    const QRgb c = pixel.pixel(0, 0);
    return std::abs(qRed(c) - kMark.red) < kMarkTolerance &&
           std::abs(qGreen(c) - kMark.green) < kMarkTolerance &&
           std::abs(qBlue(c) - kMark.blue) < kMarkTolerance;
}

// Starts `argv`, polls the screen until the mark shows, then ends the
// program. The time from just before the start to the first poll that saw
// the mark; empty when it never showed or the program could not start.
std::optional<double> timeToMark(QScreen& screen, const std::vector<std::string>& argv,
                                 const std::string& runtimeDir) {
    if (screenShowsMark(screen)) {
        std::fprintf(stderr, "slidora-bench: the screen shows the mark before the start\n");
        return std::nullopt;
    }
    const BenchClock::time_point start = BenchClock::now();
    const pid_t pid = fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    std::optional<double> shownMs;
    int status = 0;
    bool ended = false;
    while (millisecondsSince(start) < kGiveUpMs) {
        if (screenShowsMark(screen)) {
            shownMs = millisecondsSince(start);
            break;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            break;
        }
        usleep(kPollGapUs);
    }
    if (!ended) {
        // A viewer may catch the request and never act on it (feh, now and
        // then, when it comes during its start); the next run must not wait
        // for it.
        kill(pid, SIGTERM);
        const BenchClock::time_point asked = BenchClock::now();
        while (waitpid(pid, &status, WNOHANG) != pid) {
            if (millisecondsSince(asked) > kEndWaitMs) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
        }
    }
    // The screen is black again before the next start.
    const BenchClock::time_point gone = BenchClock::now();
    while (screenShowsMark(screen) && millisecondsSince(gone) < kGiveUpMs) {
    }
    return shownMs;
}

// A copy of the program in a folder of its own, beside its modules and its
// own settings file, which shows `pictures` and nothing else for a while.
std::string installProgram(const std::string& program, const std::string& binDir,
                           const std::string& pictures) {
    namespace fs = std::filesystem;
    fs::create_directories(binDir);
    const fs::path source(program);
    const auto options = fs::copy_options::overwrite_existing;
    std::error_code error;
    fs::copy_file(source, fs::path(binDir) / source.filename(), options, error);
    if (error) return {};
    for (const fs::directory_entry& entry : fs::directory_iterator(source.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("libresize32.so", 0) == 0 || name.rfind("libvbmp3.so", 0) == 0 ||
            name.rfind("libslidora_mixer.so", 0) == 0)
            fs::copy(entry.path(), fs::path(binDir) / name,
                     options | fs::copy_options::copy_symlinks, error);
    }
    const std::string installed = (fs::path(binDir) / source.filename()).string();
    std::ofstream(installed + ".ini")
        << "[Image]\nDispFolder=" << pictures << "\nSleepTime=30000\n[Text]\nFileName=0\n";
    return installed;
}

// The bare toolkit program built beside this bench; empty when it is not
// there.
std::string toolkitFloorProgram() {
    const std::string floor = programDir() + "/slidora-toolkit-floor";
    return access(floor.c_str(), X_OK) == 0 ? floor : std::string();
}

void printTimes(const char* who, const std::vector<double>& samples, int runs) {
    const Timing t = summarise(samples);
    const double worst = samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
    std::printf("  %-24s %8s %8s %8s   (%zu of %d runs showed it)\n", who,
                fixed(t.medianMs, 1).c_str(), fixed(t.minMs, 1).c_str(), fixed(worst, 1).c_str(),
                samples.size(), runs);
}

} // namespace

bool runStartupBench(const StartupOptions& options) {
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "slidora-bench: --startup needs a display (run it under xvfb-run)\n");
        return false;
    }
    static int argc = 1;
    static char name[] = "slidora-bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "xcb");
    const QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return false;

    const std::string smallFolder = options.folder + "/startup-small";
    const std::string bigFolder = options.folder + "/startup-24mp";
    std::printf("\nStart-up to the first picture on a %d x %d screen: ms from just before the "
                "process starts to the first look at the screen's centre pixel that shows the "
                "picture (looked at every millisecond)\n",
                screen->geometry().width(), screen->geometry().height());
    std::printf("writing %d small pictures (480 x 320 JPEG, hard links of one file) and one "
                "24 MP JPEG ...\n",
                options.smallFiles);
    std::fflush(stdout);
    std::filesystem::create_directories(bigFolder);
    if (!writeSmallFolder(smallFolder, options.smallFiles) ||
        !writeMarked(bigFolder + "/big.jpg", 6000, 4000, 30)) {
        std::fprintf(stderr, "slidora-bench: cannot write the start-up pictures\n");
        return false;
    }
    const std::string runtimeDir = options.folder + "/run";
    std::filesystem::create_directories(runtimeDir);
    std::filesystem::permissions(runtimeDir, std::filesystem::perms::owner_all);
    const bool haveFeh = onPath("feh");
    const std::string floorProgram = toolkitFloorProgram();

    bool ok = true;
    bool met = true;
    struct Case {
        const char* label;
        std::string folder;
        bool hasTarget;
        // The bare toolkit program shows its pictures at their own size: a
        // 24 MP one would not fit the screen, so it is timed on the small
        // ones only.
        bool timesFloor;
    };
    const Case cases[] = {
        {"folder of small pictures", smallFolder, false, true},
        {"one 24 MP JPEG", bigFolder, true, false},
    };
    std::printf("  %-24s %8s %8s %8s\n", "", "median", "min", "max");
    for (const Case& c : cases) {
        std::printf("%s (%s)\n", c.label, c.folder.c_str());
        const std::string program = installProgram(
            options.program, options.folder + "/bin-" + std::to_string(&c - cases), c.folder);
        if (program.empty()) {
            std::fprintf(stderr, "slidora-bench: cannot install %s\n", options.program.c_str());
            return false;
        }
        // feh's window is black from the display server's own fill and it
        // puts up a smaller picture at its own size; the saver's first frame
        // is the whole window. The zoomed feh, which puts up a picture the
        // size of the screen's height, is shown beside it for information,
        // and so is the bare toolkit program (slidora-toolkit-floor), once
        // with a widget for its window, as the saver has, and once with a
        // window whose only frame is the picture, as feh's.
        struct Contender {
            const char* label;
            std::vector<std::string> argv;
            bool targetPeer = false; // the saver must be no slower than this one
            std::vector<double> samples;
        };
        std::vector<Contender> contenders;
        const auto add = [&contenders](const char* label, std::vector<std::string> command,
                                       bool targetPeer = false) {
            contenders.push_back({label, std::move(command), targetPeer, {}});
        };
        add("slidora /s", {program, "/s"});
        if (c.timesFloor && !floorProgram.empty()) {
            add("bare Qt widget (info)", {floorProgram, c.folder});
            add("bare Qt window (info)", {floorProgram, "--window", c.folder});
        }
        if (haveFeh) {
            add("feh --fullscreen", {"feh", "--fullscreen", c.folder}, true);
            add("feh ... --zoom max (info)", {"feh", "--fullscreen", "--zoom", "max", c.folder});
        }
        // Taken in turns, so that a slow spell of the machine falls on all.
        for (int i = 0; i < options.runs; ++i)
            for (Contender& contender : contenders)
                if (const std::optional<double> ms =
                        timeToMark(*screen, contender.argv, runtimeDir))
                    contender.samples.push_back(*ms);
        for (const Contender& contender : contenders)
            printTimes(contender.label, contender.samples, options.runs);
        const std::vector<double>& ours = contenders.front().samples;
        if (ours.empty()) ok = false;
        const double oursMs = summarise(ours).medianMs;
        for (const Contender& peer : contenders)
            if (peer.targetPeer && !peer.samples.empty() &&
                oursMs > summarise(peer.samples).medianMs)
                met = false;
        if (c.hasTarget && oursMs > kFirstPictureTargetMs) met = false;
    }
    std::printf("Targets: no slower than feh --fullscreen on the same folder%s; under %.0f ms "
                "for one 24 MP JPEG: %s\n",
                haveFeh ? "" : " (feh not installed, no comparison)", kFirstPictureTargetMs,
                met ? "met" : "MISSED");
    return ok;
}

} // namespace slidora::bench
