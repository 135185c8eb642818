#include "playback.h"

#include <algorithm>
#include <cstring>

namespace slidora::vbmp3 {
namespace {

// About 0.7 s at 44.1/48 kHz: enough to ride out a slow disk, small enough
// to start at once.
constexpr std::size_t kRingFrames = 32768;
constexpr std::size_t kChunkBytes = 16384;
constexpr int kMaxVolume = 100;

int clampVolume(int volume) {
    return std::clamp(volume, 0, kMaxVolume);
}

} // namespace

Playback::Playback(std::unique_ptr<AudioSource> source, AudioOutput& output)
    : m_source(std::move(source)), m_chunk(kChunkBytes), m_output(output), m_ring(kRingFrames) {}

OutputFormat Playback::outputFormatFor(const PcmFormat& source) {
    // Always two channels: the two volumes are the left and the right side,
    // and a mono file sounds the same on both.
    return OutputFormat{source.rateHz, static_cast<int>(FrameRing::kChannels)};
}

std::unique_ptr<Playback> Playback::create(std::unique_ptr<AudioSource> source, AudioOutput& output,
                                           int volumeLeft, int volumeRight) {
    if (!source) return nullptr;
    std::unique_ptr<Playback> playback(new Playback(std::move(source), output));
    playback->setVolume(volumeLeft, volumeRight);
    const PcmFormat format = playback->m_source->format();
    playback->m_outputFormat = outputFormatFor(format);
    playback->m_converter.emplace(format, playback->m_outputFormat.rateHz);
    // The output is opened anew for every file, in that file's format, so
    // nothing of the file played before carries over.
    if (!output.open(playback->m_outputFormat, *playback)) return nullptr;
    playback->m_outputOpen = true;
    playback->m_decoder = std::thread(&Playback::decodeLoop, playback.get());
    return playback;
}

Playback::~Playback() {
    // Closing the output first guarantees render() has returned for good
    // before the ring and the flags go away.
    if (m_outputOpen) m_output.close();
    stopDecoder();
}

void Playback::stopDecoder() {
    m_stop.store(true, std::memory_order_release);
    m_wakeDecoder.fetch_add(1, std::memory_order_release);
    m_wakeDecoder.notify_all();
    if (m_decoder.joinable()) m_decoder.join();
}

void Playback::play() {
    if (m_playing) return;
    m_playing = true;
    m_output.resume();
}

int Playback::state() const {
    if (!m_playing || m_drained.load(std::memory_order_acquire)) return kStopped;
    // A device that was unplugged or whose server went away stops calling
    // back; without this check the caller would wait for the end forever.
    if (m_output.lost()) return kDeviceLost;
    return kPlaying;
}

void Playback::setVolume(int left, int right) {
    m_volumeLeft.store(clampVolume(left), std::memory_order_relaxed);
    m_volumeRight.store(clampVolume(right), std::memory_order_relaxed);
}

Playback::Transfer Playback::moveStagedToRing() {
    const std::span<std::int16_t> run = m_ring.writableRun();
    if (run.empty()) return Transfer::RingFull;
    const std::size_t count = std::min(run.size(), m_staged.size() - m_stagedOffset);
    std::copy_n(m_staged.begin() + static_cast<std::ptrdiff_t>(m_stagedOffset), count, run.begin());
    m_stagedOffset += count;
    m_ring.commitWrite(count / FrameRing::kChannels);
    return Transfer::Moved;
}

void Playback::decodeLoop() {
    while (!m_stop.load(std::memory_order_acquire)) {
        // Read before looking for room, so a wake-up in between is not lost.
        const std::uint32_t wakeSeen = m_wakeDecoder.load(std::memory_order_acquire);
        if (m_stagedOffset < m_staged.size()) {
            if (moveStagedToRing() == Transfer::RingFull)
                m_wakeDecoder.wait(wakeSeen, std::memory_order_acquire);
            continue;
        }
        if (m_source->ended()) break;
        // What read() hands out is in the format reported before the call; a
        // stream that changes it part way is converted to the output's rate.
        const PcmFormat format = m_source->format();
        if (!(m_converter->input() == format)) m_converter.emplace(format, m_outputFormat.rateHz);
        const std::size_t got = m_source->read(m_chunk);
        m_staged.clear();
        m_stagedOffset = 0;
        m_converter->convert(std::span<const std::uint8_t>(m_chunk.data(), got), m_staged);
    }
    m_sourceDone.store(true, std::memory_order_release);
}

void Playback::render(std::int16_t* out, std::size_t frames) {
    // Loaded before the ring: when it says done, every frame is already in.
    const bool sourceDone = m_sourceDone.load(std::memory_order_acquire);
    const int volumeLeft = m_volumeLeft.load(std::memory_order_relaxed);
    const int volumeRight = m_volumeRight.load(std::memory_order_relaxed);
    std::size_t filled = 0;
    while (filled < frames) {
        const std::span<const std::int16_t> run = m_ring.readableRun();
        if (run.empty()) break;
        const std::size_t count = std::min(run.size() / FrameRing::kChannels, frames - filled);
        std::int16_t* target = out + filled * FrameRing::kChannels;
        for (std::size_t i = 0; i < count; ++i) {
            target[2 * i] = static_cast<std::int16_t>(run[2 * i] * volumeLeft / kMaxVolume);
            target[2 * i + 1] =
                static_cast<std::int16_t>(run[2 * i + 1] * volumeRight / kMaxVolume);
        }
        m_ring.commitRead(count);
        filled += count;
    }
    std::memset(out + filled * FrameRing::kChannels, 0,
                (frames - filled) * FrameRing::kChannels * sizeof(std::int16_t));
    if (filled > 0) {
        m_wakeDecoder.fetch_add(1, std::memory_order_release);
        m_wakeDecoder.notify_one();
    }
    if (sourceDone && m_ring.availableFrames() == 0)
        m_drained.store(true, std::memory_order_release);
}

} // namespace slidora::vbmp3
