#pragma once
// Everything the saver takes from outside besides its window, chosen once at
// the top: the real services in the program, fakes in tests.
#include "platform/Bitmap.h"
#include "platform/Geometry.h"
#include "saver/PicturePreparer.h"
#include "saver/picture/PictureDecoder.h"
#include "settings/FileRules.h"
#include "settings/Settings.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace slidora {

class Clock;
class Timer;
class RandomSource;
class ResizeHost;

// The saver's audio, as the window drives it: built at set-up, polled by the
// clock, told about the end of the active time and about closing.
class SaverAudio {
  public:
    virtual ~SaverAudio() = default;
    // Builds the audio list from `folder` (and shuffles it when asked).
    virtual void AudRead(const std::string& folder, const std::string& mediaExtText, bool shuffle,
                         RandomSource& random) = 0;
    // Starts the audio when the list is not empty.
    virtual void start(bool useMp3Library, int volume) = 0;
    virtual bool audioOn() const = 0;
    virtual bool listEmpty() const = 0;
    virtual void AudLoad() = 0;
    virtual void onActiveTimeEnd() = 0;
    virtual void onClose() = 0;
};

struct SaverServices {
    Clock* clock = nullptr;
    Timer* timer = nullptr;
    RandomSource* random = nullptr;
    std::function<PowerSaveState()> powerSaveInfo;
    // The pointer's position in screen pixels.
    std::function<Point()> cursorPos;
    // The screen the full-screen window covers; also the overlay's margins.
    Size screenSize;
    // The preview host window's size (preview mode only); an empty size
    // when it cannot be read.
    std::function<Size(unsigned long)> hostWindowSize;
    // Not 0: guest mode, the full show inside this window that a host (a
    // screen-saver daemon, a locker) handed over. Its size, read through
    // hostWindowSize before every picture, stands for the screen's; the host
    // owns the input and the pointer.
    unsigned long guestWindow = 0;
    // The user's locale's short date and long time (with seconds) of a day
    // count as the clock gives it, UTF-8, for the overlay.
    std::function<std::string(double days)> dateText;
    std::function<std::string(double days)> timeText;
    std::string settingsPath;
    ReaderContext readerContext;
    std::function<bool(const std::string&, WorkingPicture&, const TargetSizeFn&)> picLoad;
    // Runs where each picture is prepared, after it is scaled: puts its
    // pixels in the layout the view shows without converting them (the same
    // colours). Null leaves them as the resampler gave them.
    std::function<void(Bitmap&)> readyForView;
    // The catalogue walk of the set-up, PicRead's contract; null calls
    // PicRead itself.
    std::function<void(const std::string& folder, int minimumSizeKb,
                       std::vector<std::string>& list)>
        picRead;
    // The resampler bridge; null shows every picture at its own size.
    ResizeHost* resizeHost = nullptr;
    // Makes the preparer that readies pictures off the user-interface
    // thread, running `work` and calling `done` when a result is ready; null
    // prepares every picture on the user-interface thread at its tick.
    std::function<std::unique_ptr<PicturePreparer>(PreparationWork work, PreparationDone done)>
        makePreparer;
    // Null runs the show without audio.
    SaverAudio* audio = nullptr;
    // The system's password check before the show may end (it shows the
    // pointer while it asks); null or true lets it end. Not asked in preview.
    std::function<bool()> closeQuery;
    // The application's general error report.
    std::function<void(const std::string&)> errorReport;
    // Ends the application once the window has closed.
    std::function<void()> quit;
};

} // namespace slidora
