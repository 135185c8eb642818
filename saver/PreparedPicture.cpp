#include "saver/PreparedPicture.h"

#include "saver/picture/StopRequest.h"
#include "saver/resize/Resize.h"
#include "saver/resize/ResizeHost.h"

#include <optional>
#include <utility>

namespace slidora {

namespace {

// The resampler host as seen by the work: the module the request named, and
// the announcement kept for the user-interface thread instead of shown.
class DeferredResizeHost final : public ResizeHost {
  public:
    DeferredResizeHost(std::string modulePath, bool noResizeMsg)
        : m_modulePath(std::move(modulePath)) {
        NoResizeMsg = noResizeMsg;
    }
    std::string modulePath() const override { return m_modulePath; }
    void showMessage(const std::string&) override { announced = true; }

    bool announced = false;

  private:
    std::string m_modulePath;
};

void prepareInto(const PreparationRequest& request, const PicLoadFn& picLoad,
                 DeferredResizeHost* host, Preparation& result) {
    const int windowWidth = request.window.width;
    const int windowHeight = request.window.height;
    const float maxMagnification = request.maxMagnification;
    // A JPEG may be decoded at a reduced scale that is still at least the
    // size it will be shown at.
    const TargetSizeFn target = [&](int w, int h) {
        const Placement p = StretchSize(w, h, windowWidth, windowHeight, maxMagnification);
        return std::make_pair(p.width, p.height);
    };
    int mode = 1;
    WorkingPicture picture;
    // A decoder that can hands its rows straight to the module, which then
    // never needs the whole decoded picture; otherwise the picture goes to
    // the module whole once decoded.
    std::optional<StreamedResize> streamed;
    if (host != nullptr && !stopRequested()) {
        streamed.emplace(*host, target, mode);
        if (streamed->available()) picture.sink = &*streamed;
    }
    if (!picLoad(request.path, picture, target)) return;

    const Placement place =
        StretchSize(picture.width, picture.height, windowWidth, windowHeight, maxMagnification);
    bool resampled = false;
    if (picture.streamed && !stopRequested())
        resampled = streamed->finish(picture.bitmap, mode);
    else if (!picture.streamed && host != nullptr && !stopRequested())
        resampled = ResizePic(place.width, place.height, picture.bitmap, mode, *host);
    streamed.reset();
    if (stopRequested()) return;
    if (!resampled &&
        (picture.bitmap.width() != picture.width || picture.bitmap.height() != picture.height)) {
        // Without a resampled result the picture is shown at its own size, so
        // a reduced decode is replaced by the full one.
        WorkingPicture full;
        if (picLoad(request.path, full, {})) picture = std::move(full);
    }
    PreparedPicture& prepared = result.picture.emplace();
    prepared.path = request.path;
    prepared.bitmap = std::move(picture.bitmap);
    prepared.place = place;
}

} // namespace

Preparation preparePictureFile(const PreparationRequest& request, const PicLoadFn& picLoad) {
    Preparation result;
    result.noResizeMsg = request.noResizeMsg;
    try {
        result.request = request;
        result.stamp = fileStampOf(request.path);
        std::optional<DeferredResizeHost> host;
        if (request.modulePath) host.emplace(*request.modulePath, request.noResizeMsg);
        try {
            prepareInto(request, picLoad, host ? &*host : nullptr, result);
        } catch (...) {
            result.picture.reset();
            result.error = std::current_exception();
        }
        if (stopRequested()) {
            result.picture.reset();
            result.error = nullptr;
            result.abandoned = true;
        }
        // A failure after the resampler ran still leaves its flag and its
        // announcement standing.
        if (host) {
            result.announceModuleMissing = host->announced;
            result.noResizeMsg = host->NoResizeMsg;
        }
    } catch (...) {
        result.picture.reset();
        result.error = std::current_exception();
    }
    return result;
}

} // namespace slidora
