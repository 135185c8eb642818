#include "audio/SdlMixerPlayer.h"

#include "platform/ErrorText.h"
#include "platform/Paths.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace slidora {

// The small General MIDI font: the mixer loads the font anew for every MIDI
// file, on the user-interface thread, so a 6 MB font keeps the slideshow
// smooth where the 148 MB one would freeze it for seconds.
const char* const SdlMixerPlayer::kGeneralMidiSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

namespace {

constexpr int kMixRateHz = 44100;
constexpr int kMixChannels = 2;
constexpr int kMixChunkFrames = 2048;

std::string mixerError(const char* fallback) {
    const char* text = Mix_GetError();
    return text != nullptr && *text != '\0' ? std::string(text) : std::string(fallback);
}

bool isRegularFile(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

bool hasMidiExtension(const std::string& path) {
    std::string extension = extensionOf(path);
    for (char& ch : extension)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return extension == ".mid" || extension == ".midi" || extension == ".kar";
}

// The mixer takes any file named like MIDI as MIDI and only finds out while
// playing that it is not, after loading the whole sound font. A readable
// file without a MIDI header is refused here instead, as a real sequencer
// refuses it on open.
bool looksLikeMidi(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return true; // let the mixer report what is wrong with it
    std::array<char, 12> head{};
    in.read(head.data(), head.size());
    const auto got = in.gcount();
    if (got >= 4 && std::memcmp(head.data(), "MThd", 4) == 0) return true;
    return got >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
           std::memcmp(head.data() + 8, "RMID", 4) == 0;
}

} // namespace

SdlMixerPlayer::~SdlMixerPlayer() {
    close();
    if (m_deviceOpen) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void SdlMixerPlayer::openDevice() {
    if (m_deviceOpen) return;
    // Signals belong to the program (they end the show cleanly), not to SDL.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL counts subsystem users, so this coexists with the MP3 library's
    // own use of SDL audio; each side quits what it started.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) throw SlidoraError(mixerError("No audio device."));
    // A user's SDL_SOUNDFONTS wins; otherwise point FluidSynth at the
    // General MIDI font explicitly instead of relying on the mixer's
    // built-in guess, which differs between builds.
    const char* userFonts = std::getenv("SDL_SOUNDFONTS");
    if ((userFonts == nullptr || *userFonts == '\0') && isRegularFile(kGeneralMidiSoundFont))
        Mix_SetSoundFonts(kGeneralMidiSoundFont);
    if (Mix_OpenAudio(kMixRateHz, MIX_DEFAULT_FORMAT, kMixChannels, kMixChunkFrames) != 0) {
        std::string text = mixerError("No audio device.");
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw SlidoraError(text);
    }
    m_deviceOpen = true;
}

void SdlMixerPlayer::open(const std::string& path) {
    close();
    openDevice();
    if (hasMidiExtension(path) && !looksLikeMidi(path)) throw SlidoraError("Not a MIDI file.");
    Mix_ClearError();
    m_music = Mix_LoadMUS(path.c_str());
    if (m_music == nullptr) throw SlidoraError(mixerError("The file cannot be played."));
}

void SdlMixerPlayer::play() {
    if (m_music == nullptr) return;
    // A loop count of 1 plays the file once through.
    m_started = Mix_PlayMusic(m_music, 1) == 0;
}

bool SdlMixerPlayer::isPlaying() {
    return m_music != nullptr && m_started && Mix_PlayingMusic() != 0;
}

void SdlMixerPlayer::close() {
    if (m_music == nullptr) return;
    // Freeing the playing music halts it first.
    Mix_FreeMusic(m_music);
    m_music = nullptr;
    m_started = false;
}

} // namespace slidora
