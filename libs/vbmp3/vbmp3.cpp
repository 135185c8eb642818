#include "vbmp3.h"

#include "audiosource.h"
#include "playback.h"

#include <SDL.h>

#include <cstring>
#include <memory>

namespace slidora::vbmp3 {
namespace {

struct Library {
    bool audioReady = false; // SDL's audio subsystem was started by vbmp3_init
    int volumeLeft = 100;
    int volumeRight = 100;
    std::unique_ptr<Playback> playback;
};

// Never destroyed: a host may exit without vbmp3_free, and tearing audio
// threads down during static destruction would race other libraries' own
// teardown. Everything is reached from the one UI thread only.
Library& library() {
    static Library* const instance = new Library;
    return *instance;
}

void fillInfo(void* info, const AudioSource& source) {
    Vbmp3Info record{};
    const PcmFormat format = source.format();
    const SourceDetails details = source.details();
    record.kind = static_cast<int>(details.kind);
    record.sampleRateHz = format.rateHz;
    record.channels = format.channels;
    record.bitsPerSample = static_cast<int>(SDL_AUDIO_BITSIZE(format.sampleFormat));
    record.mpegLayer = details.mpegLayer;
    const std::int64_t maxMs = 0x7FFFFFFF;
    record.durationMs = static_cast<int>(details.durationMs > maxMs ? maxMs : details.durationMs);
    std::memcpy(info, &record, sizeof record);
}

bool outputDeviceOpens() {
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    // Small, because closing waits about two periods.
    wanted.samples = 512;
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (device == 0) return false;
    SDL_CloseAudioDevice(device);
    return true;
}

} // namespace
} // namespace slidora::vbmp3

static_assert(sizeof(Vbmp3Info) <= VBMP3_INFO_SIZE, "the record must fit the caller's buffer");

using slidora::vbmp3::library;
using slidora::vbmp3::outputDeviceOpens;

int vbmp3_init(void) {
    auto& lib = library();
    if (lib.audioReady) return 1;
    // The library is a guest: SIGINT/SIGTERM belong to the host program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    // A driver can start without any device behind it (ALSA with no sound
    // card does). Answering false then lets the host send its files
    // elsewhere instead of failing on the first one.
    if (!outputDeviceOpens()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    lib.audioReady = true;
    return 1;
}

void vbmp3_setVolume(int left, int right) {
    auto& lib = library();
    lib.volumeLeft = left;
    lib.volumeRight = right;
    if (lib.playback) lib.playback->setVolume(left, right);
}

int vbmp3_open(const char* path, void* info) {
    auto& lib = library();
    if (info != nullptr) std::memset(info, 0, VBMP3_INFO_SIZE);
    lib.playback.reset();
    if (!lib.audioReady || path == nullptr) return 0;
    // The one entry point that allocates much (decode buffers, the ring, a
    // thread): no exception may reach the C caller.
    try {
        std::unique_ptr<slidora::vbmp3::AudioSource> source = slidora::vbmp3::openAudioSource(path);
        if (!source) return 0;
        if (info != nullptr) slidora::vbmp3::fillInfo(info, *source);
        lib.playback =
            slidora::vbmp3::Playback::create(std::move(source), lib.volumeLeft, lib.volumeRight);
    } catch (...) {
        lib.playback.reset();
    }
    if (!lib.playback && info != nullptr) std::memset(info, 0, VBMP3_INFO_SIZE);
    return lib.playback ? 1 : 0;
}

int vbmp3_play(void) {
    auto& lib = library();
    if (!lib.playback) return 0;
    lib.playback->play();
    return 1;
}

int vbmp3_getState(int* state) {
    const auto& lib = library();
    const int value = lib.playback ? lib.playback->state() : slidora::vbmp3::Playback::kStopped;
    if (state != nullptr) *state = value;
    return value;
}

int vbmp3_close(void) {
    library().playback.reset();
    return 1;
}

void vbmp3_free(void) {
    auto& lib = library();
    lib.playback.reset();
    if (lib.audioReady) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        lib.audioReady = false;
    }
}
