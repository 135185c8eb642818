#pragma once

#include "audiosource.h"
#include "framering.h"

#include <SDL_audio.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace slidora::vbmp3 {

// Plays one source on its own SDL audio device.
//
// Threads: the owner (the UI thread) creates, plays, polls and destroys it.
// A decoder thread of ours decodes the source, converts it to the device's
// rate as stereo 16-bit and fills the ring; it waits, never sleeps, when the
// ring is full. SDL's audio thread takes frames from the ring, applies the
// volume and reports the end through atomics; it touches nothing else.
class Playback {
  public:
    // Values of state().
    static constexpr int kPlaying = 1;
    static constexpr int kStopped = 0;
    static constexpr int kDeviceLost = -1;

    // Opens the default output device paused and starts decoding ahead;
    // nullptr when no device opens. Volumes are 0 to 100.
    static std::unique_ptr<Playback> create(std::unique_ptr<AudioSource> source, int volumeLeft,
                                            int volumeRight);
    // Stops at once: closes the device, then ends and joins the decoder.
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    void play();
    int state() const;
    void setVolume(int left, int right);

  private:
    enum class Transfer { Moved, RingFull, Failed };

    explicit Playback(std::unique_ptr<AudioSource> source);
    bool openDevice();
    bool resetStream();
    Transfer moveStreamToRing();
    void decodeLoop();
    void stopDecoder();
    static void SDLCALL audioCallback(void* user, Uint8* stream, int lengthBytes);
    void fillDevice(std::int16_t* out, std::size_t frames);

    // Owned by the decoder thread once it runs.
    std::unique_ptr<AudioSource> m_source;
    SDL_AudioStream* m_stream = nullptr;
    PcmFormat m_streamFormat;
    std::vector<std::uint8_t> m_chunk;

    SDL_AudioDeviceID m_device = 0;
    int m_deviceRateHz = 0;
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
    std::atomic<bool> m_drained{false};    // ...and have gone to the device
};

} // namespace slidora::vbmp3
