#include "audio/MixerModulePlayer.h"

#include "audio/MixerModule.h"
#include "platform/ErrorText.h"
#include "platform/Paths.h"

#include <dlfcn.h>

namespace slidora {

#ifndef SLIDORA_MIXER_MODULE
#error "SLIDORA_MIXER_MODULE must name the media player module's file"
#endif

MixerModulePlayer::MixerModulePlayer(const std::string& moduleFolder)
    : m_modulePath(withTrailingSlash(moduleFolder) + moduleFileName()) {}

const char* MixerModulePlayer::moduleFileName() {
    return SLIDORA_MIXER_MODULE;
}

// Only the player goes; the module stays loaded for the rest of the process,
// because the mixer's libraries keep threads and exit handlers of their own
// that must not outlive their code.
MixerModulePlayer::~MixerModulePlayer() = default;

void MixerModulePlayer::open(const std::string& path) {
    if (!m_loadTried) {
        m_loadTried = true;
        void* module = ::dlopen(m_modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
        const auto create =
            module != nullptr
                ? reinterpret_cast<MixerPlayerFactory>(::dlsym(module, kMixerPlayerFactoryName))
                : nullptr;
        if (create != nullptr) m_player.reset(create());
        if (!m_player) {
            const char* reason = ::dlerror();
            m_loadError = "No audio device: the media player module " + m_modulePath +
                          " cannot be loaded" +
                          (reason != nullptr ? std::string(" (") + reason + ")" : "");
            if (module != nullptr) ::dlclose(module);
        }
    }
    if (!m_player) throw SlidoraError(m_loadError);
    m_player->open(path);
}

void MixerModulePlayer::play() {
    if (m_player) m_player->play();
}

bool MixerModulePlayer::isPlaying() {
    return m_player && m_player->isPlaying();
}

void MixerModulePlayer::close() {
    if (m_player) m_player->close();
}

bool MixerModulePlayer::isOpen() const {
    return m_player && m_player->isOpen();
}

} // namespace slidora
