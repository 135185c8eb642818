#pragma once

#include "audiooutput.h"

#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace slidora::vbmp3 {

// The output on the Windows wave device (waveOut). A thread of ours keeps a
// few short buffers queued: the device signals an event as each one is
// played, and the thread refills it from the renderer and queues it again.
// Nothing runs inside the driver's own callback context.
class WaveOutput final : public AudioOutput {
  public:
    WaveOutput() = default;
    ~WaveOutput() override;
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    bool start() override;
    void stop() override;
    bool open(const OutputFormat& format, OutputRenderer& renderer) override;
    void resume() override;
    void close() override;
    bool lost() const override;

  private:
    // Four buffers of about 25 ms each: about 100 ms queued ahead, which
    // rides over a busy machine's scheduling delays while keeping a volume
    // change audible within a tenth of a second.
    static constexpr std::size_t kBufferCount = 4;
    static constexpr int kBuffersPerSecond = 40;

    struct Buffer {
        WAVEHDR header{};
        std::vector<std::int16_t> samples;
    };

    void feedLoop();
    // Fills the buffer from the renderer and queues it; false when the
    // device refused it.
    bool queue(Buffer& buffer);

    bool m_started = false;
    HWAVEOUT m_device = nullptr;
    // Auto-reset; set by the device for each finished buffer and by close().
    HANDLE m_event = nullptr;
    OutputRenderer* m_renderer = nullptr; // read by the feed thread while open
    std::size_t m_framesPerBuffer = 0;
    int m_channels = 0;
    std::array<Buffer, kBufferCount> m_buffers;
    std::thread m_feeder;
    std::atomic<bool> m_stopFeeding{false};
    std::atomic<bool> m_lost{false};
};

} // namespace slidora::vbmp3
