#pragma once

#include "audiooutput.h"
#include "audiosource.h"
#include "framering.h"
#include "pcmconverter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace slidora::vbmp3 {

// Plays one source through the output, which it opens in the source's own
// format (its rate, as stereo 16-bit) and closes again when it goes.
//
// Threads: the owner (the library's caller) creates, plays, polls and
// destroys it. A decoder thread of ours decodes the source, converts it to
// the output's format and fills the ring; it waits, never sleeps, when the
// ring is full. The output's thread calls render(), which takes frames from
// the ring, applies the volume and reports the end through atomics; it
// touches nothing else.
class Playback final : public OutputRenderer {
  public:
    // Values of state().
    static constexpr int kPlaying = 1;
    static constexpr int kStopped = 0;
    static constexpr int kDeviceLost = -1;

    // Opens the output paused and starts decoding ahead; nullptr when the
    // output does not open. Volumes are 0 to 100. The output must outlive
    // the playback.
    static std::unique_ptr<Playback> create(std::unique_ptr<AudioSource> source,
                                            AudioOutput& output, int volumeLeft, int volumeRight);
    // Stops at once: closes the output, then ends and joins the decoder.
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    void play();
    int state() const;
    void setVolume(int left, int right);

    // The output format a source is played in.
    static OutputFormat outputFormatFor(const PcmFormat& source);

    void render(std::int16_t* out, std::size_t frames) override;

  private:
    enum class Transfer { Moved, RingFull };

    Playback(std::unique_ptr<AudioSource> source, AudioOutput& output);
    Transfer moveStagedToRing();
    void decodeLoop();
    void stopDecoder();

    // Owned by the decoder thread once it runs.
    std::unique_ptr<AudioSource> m_source;
    OutputFormat m_outputFormat;
    std::optional<PcmConverter> m_converter;
    std::vector<std::uint8_t> m_chunk;
    std::vector<std::int16_t> m_staged; // converted, not yet in the ring
    std::size_t m_stagedOffset = 0;     // samples of m_staged already moved

    AudioOutput& m_output;
    bool m_outputOpen = false;
    FrameRing m_ring;
    std::thread m_decoder;
    bool m_playing = false; // owner thread only

    // Shared between the threads.
    std::atomic<int> m_volumeLeft{100};
    std::atomic<int> m_volumeRight{100};
    // Bumped whenever the ring gains room or the decoder must stop; the
    // decoder waits on it while the ring is full.
    std::atomic<std::uint32_t> m_wakeDecoder{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_sourceDone{false}; // all decoded frames are in the ring
    std::atomic<bool> m_drained{false};    // ...and have gone to the output
};

} // namespace slidora::vbmp3
