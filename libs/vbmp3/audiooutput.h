#pragma once

#include <cstddef>
#include <cstdint>

namespace slidora::vbmp3 {

// What an output device is opened for: interleaved signed 16-bit frames at
// this rate and channel count. The device takes exactly this; converting to
// what the hardware runs at is the output's own business.
struct OutputFormat {
    int rateHz = 0;
    int channels = 0;

    bool operator==(const OutputFormat&) const = default;
};

// Supplies the frames an open output plays.
class OutputRenderer {
  public:
    // Called on the output's own thread, never on the caller's: fills all
    // `frames` frames at out (the rest with silence when nothing is ready),
    // without blocking.
    virtual void render(std::int16_t* out, std::size_t frames) = 0;

  protected:
    ~OutputRenderer() = default;
};

// The sound device behind the library: SDL audio here, another platform's
// wave output elsewhere. Used from one thread, the library's caller; only
// the renderer runs on the output's thread.
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;

    // Starts the audio system and checks that a device opens at all; false
    // leaves nothing started. True again while started.
    virtual bool start() = 0;
    // Closes the device and stops the audio system; harmless when not started.
    virtual void stop() = 0;
    // Opens the device for `format`, paused, closing an open one first; the
    // renderer is called once resume() has run. False when no device opens.
    virtual bool open(const OutputFormat& format, OutputRenderer& renderer) = 0;
    virtual void resume() = 0;
    // Once it returns, the renderer is not called again. Harmless when
    // nothing is open.
    virtual void close() = 0;
    // True when the open device stopped for good (unplugged, server gone).
    virtual bool lost() const = 0;
};

} // namespace slidora::vbmp3
