#include "sdloutput.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <bit>

namespace slidora::vbmp3 {
namespace {

// SDL is opened on the first start(), not linked: it brings the sound
// server's client and a few dozen libraries more, which a host that never
// plays audio would otherwise load at every start. It stays loaded for the
// rest of the process (it keeps threads and state of its own).
struct SdlAudioCalls {
    decltype(&SDL_SetHint) setHint = nullptr;
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&SDL_OpenAudioDevice) openAudioDevice = nullptr;
    decltype(&SDL_CloseAudioDevice) closeAudioDevice = nullptr;
    decltype(&SDL_PauseAudioDevice) pauseAudioDevice = nullptr;
    decltype(&SDL_GetAudioDeviceStatus) getAudioDeviceStatus = nullptr;
    bool complete = false;
};

template <class Fn> bool bind(void* library, Fn& fn, const char* name) {
    fn = reinterpret_cast<Fn>(::dlsym(library, name));
    return fn != nullptr;
}

SdlAudioCalls loadSdl() {
    SdlAudioCalls calls;
    void* library = ::dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return calls;
    calls.complete = bind(library, calls.setHint, "SDL_SetHint") &&
                     bind(library, calls.initSubSystem, "SDL_InitSubSystem") &&
                     bind(library, calls.quitSubSystem, "SDL_QuitSubSystem") &&
                     bind(library, calls.openAudioDevice, "SDL_OpenAudioDevice") &&
                     bind(library, calls.closeAudioDevice, "SDL_CloseAudioDevice") &&
                     bind(library, calls.pauseAudioDevice, "SDL_PauseAudioDevice") &&
                     bind(library, calls.getAudioDeviceStatus, "SDL_GetAudioDeviceStatus");
    return calls;
}

// Complete, or the library is missing and no output starts. Only read once
// start() has succeeded.
const SdlAudioCalls& sdl() {
    static const SdlAudioCalls calls = loadSdl();
    return calls;
}

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
        sdl().openAudioDevice(nullptr, 0, &wanted, nullptr, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (device == 0) return false;
    sdl().closeAudioDevice(device);
    return true;
}

} // namespace

SdlOutput::~SdlOutput() {
    stop();
}

bool SdlOutput::start() {
    if (m_started) return true;
    if (!sdl().complete) return false;
    // The library is a guest: SIGINT/SIGTERM belong to the host program.
    sdl().setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl().initSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // A driver can start without any device behind it (ALSA with no sound
    // card does). Answering false then lets the host send its files
    // elsewhere instead of failing on the first one.
    if (!anyDeviceOpens()) {
        sdl().quitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_started = true;
    return true;
}

void SdlOutput::stop() {
    close();
    if (!m_started) return;
    sdl().quitSubSystem(SDL_INIT_AUDIO);
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
    m_device = sdl().openAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (m_device == 0) {
        m_renderer = nullptr;
        return false;
    }
    return true;
}

void SdlOutput::resume() {
    if (m_device != 0) sdl().pauseAudioDevice(m_device, 0);
}

void SdlOutput::close() {
    if (m_device == 0) return;
    // Returns once SDL's thread has ended, so the renderer is free to go.
    sdl().closeAudioDevice(m_device);
    m_device = 0;
    m_renderer = nullptr;
}

bool SdlOutput::lost() const {
    return m_device != 0 && sdl().getAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED;
}

void SDLCALL SdlOutput::callback(void* user, Uint8* stream, int lengthBytes) {
    auto* self = static_cast<SdlOutput*>(user);
    const auto frames = static_cast<std::size_t>(lengthBytes) /
                        (static_cast<std::size_t>(self->m_channels) * sizeof(std::int16_t));
    self->m_renderer->render(reinterpret_cast<std::int16_t*>(stream), frames);
}

} // namespace slidora::vbmp3
