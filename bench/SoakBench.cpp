#include "bench/SoakBench.h"

#include "bench/BenchSupport.h"
#include "platform/Paths.h"
#include "platform/ProgramPaths.h"
#include "platform/QtLocaleText.h"
#include "platform/Random.h"
#include "saver/Background.h"
#include "saver/Catalogue.h"
#include "saver/Layout.h"
#include "saver/Overlay.h"
#include "saver/picture/PicLoad.h"
#include "saver/resize/Resize.h"
#include "saver/resize/ResizeHost.h"
#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <QDateTime>
#include <QImage>
#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace slidora::bench {
namespace {

// Random corner, folder and date and time shown: the most overlay work.
constexpr int kFileNamePosition = 5;
// The overlay's font is the window's business; the layout gets a width as
// the label would measure it.
constexpr int kCharacterWidth = 9;
constexpr int kLineHeight = 20;
constexpr int kFirstStretch = 100;
constexpr int kReportEvery = 100;

enum class Kind { Jpeg, JpegProgressive, JpegTurned, Png, Bmp, Broken };

struct SoakPicture {
    const char* name;
    Kind kind;
    int width;
    int height;
};

// 2 to 24 megapixels of every kind, and files that fail to load (they leave
// the list at their first turn, as in the saver).
const SoakPicture kPictures[] = {
    {"a-jpeg-2mp.jpg", Kind::Jpeg, 1728, 1152},
    {"b-jpeg-6mp.jpg", Kind::Jpeg, 3000, 2000},
    {"c-jpeg-12mp.jpg", Kind::Jpeg, 4256, 2832},
    {"d-jpeg-24mp.jpg", Kind::Jpeg, 6000, 4000},
    {"e-jpeg-8mp-progressive.jpg", Kind::JpegProgressive, 3464, 2309},
    {"f-jpeg-12mp-upright.jpg", Kind::JpegTurned, 4256, 2832},
    {"g-png-2mp.png", Kind::Png, 1728, 1152},
    {"h-png-6mp.png", Kind::Png, 3000, 2000},
    {"i-bmp-2mp.bmp", Kind::Bmp, 1728, 1152},
    {"j-bmp-12mp.bmp", Kind::Bmp, 4256, 2832},
    {"k-broken-header.jpg", Kind::Broken, 0, 0},
    {"l-text.png", Kind::Broken, 0, 0},
    {"m-empty.bmp", Kind::Broken, 0, 0},
};

bool writeSoakPicture(const SoakPicture& picture, const std::string& path) {
    if (picture.kind == Kind::Broken) {
        if (path.ends_with(".jpg")) {
            // A real JPEG cut inside its headers.
            if (!picwriter::writeJpeg(path, picwriter::makeGradient(64, 64))) return false;
            std::vector<std::uint8_t> bytes = picwriter::readFileBytes(path);
            bytes.resize(100);
            return picwriter::writeFileBytes(path, bytes);
        }
        if (path.ends_with(".png")) return picwriter::writeFileBytes(path, {'n', 'o', '\n'});
        return picwriter::writeFileBytes(path, {});
    }
    const Bitmap scene = picwriter::makeMeadow(picture.width, picture.height, 11);
    picwriter::JpegOptions options;
    options.quality = 90;
    switch (picture.kind) {
    case Kind::Png:
        return picwriter::writePng(path, scene);
    case Kind::Bmp:
        return picwriter::writeBmp(path, scene);
    case Kind::JpegProgressive:
        options.progressive = true;
        break;
    case Kind::JpegTurned:
        options.exif = picwriter::exifOrientationBlock(6, false);
        break;
    default:
        break;
    }
    return picwriter::writeJpeg(path, scene, options);
}

// What the window would be left holding after the step.
struct Shown {
    QImage image;
    std::uint32_t background = 0;
    OverlayBounds overlay{};
    std::uint32_t overlayColour = 0;
};

// PicDisp's work without the window: load with the window's target,
// StretchSize, ResizePic, the copy the picture control takes, the
// background colour and the overlay's text and layout. False when the list
// ran empty.
bool displayStep(std::vector<std::string>& list, int& picIndex, ResizeHost& host,
                 RandomSource& random, Shown& shown) {
    const TargetSizeFn target = [](int w, int h) {
        const Placement p = StretchSize(w, h, kWindowWidth, kWindowHeight, kMaxMagnification);
        return std::make_pair(p.width, p.height);
    };
    bool closePending = false;
    WorkingPicture picture;
    const int at = nextPicture(list, picIndex, closePending, [&](const std::string& path) {
        picture = WorkingPicture();
        return PicLoad(path, picture, target) ? PictureLoad::Loaded : PictureLoad::Failed;
    });
    if (at < 0) return false;
    const std::string path = list[static_cast<std::size_t>(at)];
    const Placement place =
        StretchSize(picture.width, picture.height, kWindowWidth, kWindowHeight, kMaxMagnification);
    int mode = 1;
    ResizePic(place.width, place.height, picture.bitmap, mode, host);
    const Bitmap& bitmap = picture.bitmap;
    shown.image = QImage(bitmap.data(), bitmap.width(), bitmap.height(),
                         static_cast<qsizetype>(bitmap.stride()), QImage::Format_BGR888)
                      .copy();
    shown.background =
        chooseBackground(bitmap, kWindowHeight, kScanCount, kBackgroundDensity, random);
    picture = WorkingPicture();

    const int corner = overlayCorner(kFileNamePosition, random);
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    const std::string text =
        overlayText(corner, kFileNamePosition, overlayName(path, true), true, true,
                    localShortDate(now, locale), localTimeWithSeconds(now, locale));
    overlayBounds(corner, static_cast<int>(text.size() + 1) * kCharacterWidth, kLineHeight,
                  kWindowWidth, kWindowHeight, kWindowWidth, kWindowHeight, shown.overlay);
    shown.overlayColour = overlayTextColour(shown.background);
    return true;
}

double mib(long kb) {
    return static_cast<double>(kb) / 1024.0;
}

} // namespace

bool runSoak(const SoakOptions& options) {
    std::printf("soak: %d display steps (PicLoad, StretchSize, ResizePic through the module, the "
                "picture control's copy, background, overlay layout) for a %dx%d window over\n",
                options.pictures, kWindowWidth, kWindowHeight);
    std::vector<std::string> list;
    for (const SoakPicture& picture : kPictures) {
        const std::string path = options.folder + "/" + picture.name;
        std::printf("  %s\n", picture.name);
        std::fflush(stdout);
        if (!writeSoakPicture(picture, path)) {
            std::fprintf(stderr, "slidora-bench: cannot write %s\n", path.c_str());
            return false;
        }
        list.push_back(path);
    }

    BenchResizeHost host;
    ClockSeededRandom random;
    Shown shown;
    int picIndex = 0;
    const long startKb = residentKb();
    long afterFirstKb = -1;
    const BenchClock::time_point start = BenchClock::now();
    int done = 0;
    for (; done < options.pictures; ++done) {
        if (!displayStep(list, picIndex, host, random, shown)) {
            std::fprintf(stderr, "slidora-bench: the picture list ran empty\n");
            return false;
        }
        if (done + 1 == kFirstStretch) afterFirstKb = residentKb();
        if ((done + 1) % kReportEvery == 0) {
            std::printf("  %6d pictures: resident %s MiB, peak %s MiB\n", done + 1,
                        fixed(mib(residentKb()), 1).c_str(),
                        fixed(mib(peakResidentKb()), 1).c_str());
            std::fflush(stdout);
        }
    }
    const double seconds = millisecondsSince(start) / 1000.0;
    const long lastKb = residentKb();
    std::printf("pictures shown: %d (%zu files left in the list of %zu) in %s s, %s ms each\n",
                done, list.size(), std::size(kPictures), fixed(seconds, 1).c_str(),
                fixed(seconds * 1000.0 / std::max(done, 1), 1).c_str());
    std::printf("resident before the first step: %s MiB\n", fixed(mib(startKb), 1).c_str());
    if (afterFirstKb >= 0)
        std::printf("resident after the first %d pictures: %s MiB\n", kFirstStretch,
                    fixed(mib(afterFirstKb), 1).c_str());
    std::printf("resident after the last picture: %s MiB\n", fixed(mib(lastKb), 1).c_str());
    std::printf("resident peak (whole process): %s MiB\n", fixed(mib(peakResidentKb()), 1).c_str());
    if (afterFirstKb >= 0)
        std::printf("growth after the first %d pictures: %s MiB (goal: within 5 MiB)\n",
                    kFirstStretch, fixed(mib(lastKb - afterFirstKb), 1).c_str());
    return true;
}

} // namespace slidora::bench
