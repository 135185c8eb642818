#include "vbmp3.h"

#include "library.h"
#ifdef _WIN32
#include "waveoutput.h"
#else
#include "sdloutput.h"
#endif

namespace {

#ifdef _WIN32
using PlatformOutput = slidora::vbmp3::WaveOutput;
#else
using PlatformOutput = slidora::vbmp3::SdlOutput;
#endif

// Never destroyed: a host may exit without vbmp3_free, and tearing audio
// threads down during static destruction would race other libraries' own
// teardown. Everything is reached from the one UI thread only.
slidora::vbmp3::Library& library() {
    static auto* const instance = new slidora::vbmp3::Library(std::make_unique<PlatformOutput>());
    return *instance;
}

} // namespace

int SLIDORA_STDCALL vbmp3_init(void) {
    return library().init() ? 1 : 0;
}

void SLIDORA_STDCALL vbmp3_setVolume(int left, int right) {
    library().setVolume(left, right);
}

int SLIDORA_STDCALL vbmp3_open(const char* path, void* info) {
    return library().open(path, info) ? 1 : 0;
}

int SLIDORA_STDCALL vbmp3_play(void) {
    return library().play() ? 1 : 0;
}

int SLIDORA_STDCALL vbmp3_getState(int* state) {
    const int value = library().getState();
    if (state != nullptr) *state = value;
    return value;
}

int SLIDORA_STDCALL vbmp3_close(void) {
    return library().close() ? 1 : 0;
}

void SLIDORA_STDCALL vbmp3_free(void) {
    library().free();
}
