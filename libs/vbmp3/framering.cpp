#include "framering.h"

#include <bit>

namespace slidora::vbmp3 {

FrameRing::FrameRing(std::size_t capacityFrames)
    : m_samples(std::bit_ceil(capacityFrames < 2 ? std::size_t{2} : capacityFrames) * kChannels),
      m_mask(m_samples.size() / kChannels - 1) {}

std::span<std::int16_t> FrameRing::writableRun() {
    const std::size_t write = m_writeFrames.load(std::memory_order_relaxed);
    const std::size_t read = m_readFrames.load(std::memory_order_acquire);
    const std::size_t freeFrames = capacityFrames() - (write - read);
    const std::size_t start = write & m_mask;
    const std::size_t untilWrap = capacityFrames() - start;
    const std::size_t frames = freeFrames < untilWrap ? freeFrames : untilWrap;
    return {m_samples.data() + start * kChannels, frames * kChannels};
}

void FrameRing::commitWrite(std::size_t frames) {
    m_writeFrames.fetch_add(frames, std::memory_order_release);
}

std::size_t FrameRing::availableFrames() const {
    return m_writeFrames.load(std::memory_order_acquire) -
           m_readFrames.load(std::memory_order_relaxed);
}

std::span<const std::int16_t> FrameRing::readableRun() const {
    const std::size_t read = m_readFrames.load(std::memory_order_relaxed);
    const std::size_t available = m_writeFrames.load(std::memory_order_acquire) - read;
    const std::size_t start = read & m_mask;
    const std::size_t untilWrap = capacityFrames() - start;
    const std::size_t frames = available < untilWrap ? available : untilWrap;
    return {m_samples.data() + start * kChannels, frames * kChannels};
}

void FrameRing::commitRead(std::size_t frames) {
    m_readFrames.fetch_add(frames, std::memory_order_release);
}

} // namespace slidora::vbmp3
