#include "sdloutput.h"

#include <SDL.h>

#include <algorithm>
#include <bit>

namespace slidora::vbmp3 {
namespace {

// SDL waits about two device periods when a device closes (to let it
// drain), on the caller's thread; periods of about 10 ms keep closing quick.
constexpr int kPeriodsPerSecond = 100;
constexpr int kMinPeriodFrames = 128;
constexpr int kMaxPeriodFrames = 4096;

Uint16 periodFrames(int rateHz) {
    const unsigned wanted =
        std::bit_ceil(static_cast<unsigned>(std::max(rateHz / kPeriodsPerSecond, 1)));
    return static_cast<Uint16>(
        std::clamp(static_cast<int>(wanted), kMinPeriodFrames, kMaxPeriodFrames));
}

bool anyDeviceOpens() {
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 512;
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (device == 0) return false;
    SDL_CloseAudioDevice(device);
    return true;
}

} // namespace

SdlOutput::~SdlOutput() {
    stop();
}

bool SdlOutput::start() {
    if (m_started) return true;
    // The library is a guest: SIGINT/SIGTERM belong to the host program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // A driver can start without any device behind it (ALSA with no sound
    // card does). Answering false then lets the host send its files
    // elsewhere instead of failing on the first one.
    if (!anyDeviceOpens()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_started = true;
    return true;
}

void SdlOutput::stop() {
    close();
    if (!m_started) return;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_started = false;
}

bool SdlOutput::open(const OutputFormat& format, OutputRenderer& renderer) {
    close();
    if (!m_started || format.rateHz <= 0 || format.channels < 1 || format.channels > 8)
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = format.rateHz;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = periodFrames(format.rateHz);
    wanted.callback = &SdlOutput::callback;
    wanted.userdata = this;
    m_renderer = &renderer;
    m_channels = format.channels;
    // No changes allowed: the callback always gets the format asked for, so
    // a rate the hardware lacks is converted by SDL, never played as is.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (m_device == 0) {
        m_renderer = nullptr;
        return false;
    }
    return true;
}

void SdlOutput::resume() {
    if (m_device != 0) SDL_PauseAudioDevice(m_device, 0);
}

void SdlOutput::close() {
    if (m_device == 0) return;
    // Returns once SDL's thread has ended, so the renderer is free to go.
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    m_renderer = nullptr;
}

bool SdlOutput::lost() const {
    return m_device != 0 && SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED;
}

void SDLCALL SdlOutput::callback(void* user, Uint8* stream, int lengthBytes) {
    auto* self = static_cast<SdlOutput*>(user);
    const auto frames = static_cast<std::size_t>(lengthBytes) /
                        (static_cast<std::size_t>(self->m_channels) * sizeof(std::int16_t));
    self->m_renderer->render(reinterpret_cast<std::int16_t*>(stream), frames);
}

} // namespace slidora::vbmp3
