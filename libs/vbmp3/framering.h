#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace slidora::vbmp3 {

// Single-producer single-consumer ring of interleaved stereo 16-bit frames,
// shared between the decoder thread (producer) and the output's thread
// (consumer) without locks.
class FrameRing {
  public:
    static constexpr std::size_t kChannels = 2;

    // The capacity is rounded up to a power of two.
    explicit FrameRing(std::size_t capacityFrames);
    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    std::size_t capacityFrames() const { return m_mask + 1; }

    // Producer side: the free space up to the wrap (in samples, whole
    // frames), then how many frames of it were written.
    std::span<std::int16_t> writableRun();
    void commitWrite(std::size_t frames);

    // Consumer side.
    std::size_t availableFrames() const;
    std::span<const std::int16_t> readableRun() const;
    void commitRead(std::size_t frames);

  private:
    std::vector<std::int16_t> m_samples;
    std::size_t m_mask;
    // Frame counters that only grow; their difference is the fill level.
    std::atomic<std::size_t> m_readFrames{0};
    std::atomic<std::size_t> m_writeFrames{0};
};

} // namespace slidora::vbmp3
