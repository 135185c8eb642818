#pragma once
// The resampler bridge: hands a picture to the resampler module as a packed
// DIB and takes back the scaled one.
#include "libs/resize32/ResizeImg.h"
#include "platform/Bitmap.h"
#include "platform/Module.h"
#include "saver/picture/PictureDecoder.h"
#include "saver/resize/ResizeHost.h"

#include <cstdint>
#include <vector>

namespace slidora {

// Replaces `picture` by its resampled copy of width x height pixels (24 bits
// per pixel), made by the module at host.modulePath(), which is opened for
// this call only. When there is no resampled result (module missing, entry
// missing, call failed, unusable result) the picture keeps its own size and
// content and `mode` becomes -1; otherwise `mode` is unchanged. A missing
// module is announced through host.showMessage unless host.NoResizeMsg is
// set. Returns whether the picture was resampled.
bool ResizePic(int width, int height, Bitmap& picture, int& mode, ResizeHost& host);

// The module's row-by-row entries for one picture (see ResizeImg.h), as the
// sink a decoder hands its rows to: the decoded picture is then never held
// whole. The module at host.modulePath() is opened for this picture only.
// A module without those entries, or a missing one, makes the sink
// unavailable; the picture then goes to ResizePic whole, which announces a
// missing module. A module that fails part way takes the remaining rows
// into a scratch row, and finish() reports the failure.
class StreamedResize final : public RowSink {
  public:
    // `displaySize` gives the size to resample to from the file's own size.
    StreamedResize(ResizeHost& host, TargetSizeFn displaySize, int mode);
    // Gives up a picture not finished.
    ~StreamedResize() override;
    StreamedResize(const StreamedResize&) = delete;
    StreamedResize& operator=(const StreamedResize&) = delete;

    bool available() const { return m_available; }

    bool begin(int ownWidth, int ownHeight, int width, int height) override;
    int rowsAhead() const override { return kRowsAhead; }
    std::uint8_t* row(int y) noexcept override;
    bool written(int count) noexcept override;

    // After a decode that streamed here: as ResizePic, `picture` becomes the
    // resampled picture and true is returned; on failure `picture` is left
    // alone, `mode` becomes -1 and the host's flag is set.
    bool finish(Bitmap& picture, int& mode);

    // Rows a decoder may ask for at once: a JPEG strip.
    static constexpr int kRowsAhead = 16;

  private:
    ResizeHost& m_host;
    TargetSizeFn m_displaySize;
    int m_mode;
    LoadedModule m_module;
    ResizeRowsBeginFunction m_begin = nullptr;
    ResizeRowsRowFunction m_row = nullptr;
    ResizeRowsWrittenFunction m_written = nullptr;
    ResizeRowsEndFunction m_end = nullptr;
    ResizeRowsAbandonFunction m_abandon = nullptr;
    bool m_available = false;
    SlidoraResizeRows* m_rows = nullptr;
    int m_width = 0; // the resampled size
    int m_height = 0;
    bool m_failed = false;
    std::vector<std::uint8_t> m_scratch;
};

} // namespace slidora
