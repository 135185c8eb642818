#include "playback.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace slidora::vbmp3 {
namespace {

// About 0.7 s at 44.1/48 kHz: enough to ride out a slow disk, small enough
// to start at once.
constexpr std::size_t kRingFrames = 32768;
// SDL waits about two device periods when a device closes (to let it
// drain), on the caller's thread; periods of about 10 ms keep closing quick.
constexpr int kPeriodsPerSecond = 100;
constexpr int kMinPeriodFrames = 128;
constexpr int kMaxPeriodFrames = 4096;
constexpr std::size_t kChunkBytes = 16384;
constexpr int kMaxVolume = 100;

int clampVolume(int volume) {
    return std::clamp(volume, 0, kMaxVolume);
}

Uint16 periodFrames(int rateHz) {
    const unsigned wanted =
        std::bit_ceil(static_cast<unsigned>(std::max(rateHz / kPeriodsPerSecond, 1)));
    return static_cast<Uint16>(
        std::clamp(static_cast<int>(wanted), kMinPeriodFrames, kMaxPeriodFrames));
}

} // namespace

Playback::Playback(std::unique_ptr<AudioSource> source)
    : m_source(std::move(source)), m_chunk(kChunkBytes), m_ring(kRingFrames) {}

std::unique_ptr<Playback> Playback::create(std::unique_ptr<AudioSource> source, int volumeLeft,
                                           int volumeRight) {
    if (!source) return nullptr;
    std::unique_ptr<Playback> playback(new Playback(std::move(source)));
    playback->setVolume(volumeLeft, volumeRight);
    if (!playback->openDevice() || !playback->resetStream()) return nullptr;
    playback->m_decoder = std::thread(&Playback::decodeLoop, playback.get());
    return playback;
}

Playback::~Playback() {
    // Closing the device first guarantees the callback has returned for good
    // before the ring and the flags go away.
    if (m_device != 0) SDL_CloseAudioDevice(m_device);
    stopDecoder();
    if (m_stream != nullptr) SDL_FreeAudioStream(m_stream);
}

void Playback::stopDecoder() {
    m_stop.store(true, std::memory_order_release);
    m_wakeDecoder.fetch_add(1, std::memory_order_release);
    m_wakeDecoder.notify_all();
    if (m_decoder.joinable()) m_decoder.join();
}

bool Playback::openDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = m_source->format().rateHz;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = FrameRing::kChannels;
    wanted.samples = periodFrames(wanted.freq);
    wanted.callback = &Playback::audioCallback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // Sample format and channel count stay ours (SDL converts for the
    // hardware); the rate may be the device's, our stream resamples to it.
    m_device =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (m_device == 0) return false;
    m_deviceRateHz = obtained.freq;
    return m_deviceRateHz > 0;
}

bool Playback::resetStream() {
    if (m_stream != nullptr) SDL_FreeAudioStream(m_stream);
    m_streamFormat = m_source->format();
    m_stream = SDL_NewAudioStream(
        m_streamFormat.sampleFormat, static_cast<Uint8>(m_streamFormat.channels),
        m_streamFormat.rateHz, AUDIO_S16SYS, FrameRing::kChannels, m_deviceRateHz);
    return m_stream != nullptr;
}

void Playback::play() {
    if (m_playing) return;
    m_playing = true;
    SDL_PauseAudioDevice(m_device, 0);
}

int Playback::state() const {
    if (!m_playing || m_drained.load(std::memory_order_acquire)) return kStopped;
    // A device that was unplugged or whose server went away stops calling
    // back; without this check the caller would wait for the end forever.
    if (SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED) return kDeviceLost;
    return kPlaying;
}

void Playback::setVolume(int left, int right) {
    m_volumeLeft.store(clampVolume(left), std::memory_order_relaxed);
    m_volumeRight.store(clampVolume(right), std::memory_order_relaxed);
}

Playback::Transfer Playback::moveStreamToRing() {
    const std::span<std::int16_t> run = m_ring.writableRun();
    if (run.empty()) return Transfer::RingFull;
    const int got = SDL_AudioStreamGet(m_stream, run.data(), static_cast<int>(run.size_bytes()));
    if (got < 0) return Transfer::Failed;
    m_ring.commitWrite(static_cast<std::size_t>(got) /
                       (FrameRing::kChannels * sizeof(std::int16_t)));
    return Transfer::Moved;
}

void Playback::decodeLoop() {
    bool flushed = false;
    while (!m_stop.load(std::memory_order_acquire)) {
        // Read before looking for room, so a wake-up in between is not lost.
        const std::uint32_t wakeSeen = m_wakeDecoder.load(std::memory_order_acquire);
        if (SDL_AudioStreamAvailable(m_stream) > 0) {
            const Transfer transfer = moveStreamToRing();
            if (transfer == Transfer::Failed) break;
            if (transfer == Transfer::RingFull)
                m_wakeDecoder.wait(wakeSeen, std::memory_order_acquire);
            continue;
        }
        if (flushed) {
            if (m_source->ended()) break;
            // The source changed its format: go on with a stream made for it.
            if (!resetStream()) break;
            flushed = false;
            continue;
        }
        const std::size_t got = m_source->read(m_chunk);
        if (got > 0 && SDL_AudioStreamPut(m_stream, m_chunk.data(), static_cast<int>(got)) != 0)
            break;
        if (m_source->ended() || !(m_source->format() == m_streamFormat)) {
            if (SDL_AudioStreamFlush(m_stream) != 0) break;
            flushed = true;
        }
    }
    m_sourceDone.store(true, std::memory_order_release);
}

void SDLCALL Playback::audioCallback(void* user, Uint8* stream, int lengthBytes) {
    const auto frames =
        static_cast<std::size_t>(lengthBytes) / (FrameRing::kChannels * sizeof(std::int16_t));
    static_cast<Playback*>(user)->fillDevice(reinterpret_cast<std::int16_t*>(stream), frames);
}

void Playback::fillDevice(std::int16_t* out, std::size_t frames) {
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
