#pragma once
// MediaPlayer on top of SDL2_mixer's music stream: open = load, play, mode =
// still playing, close = free. MIDI is rendered by the mixer's FluidSynth
// back end with a General MIDI sound font (package fluid-soundfont-gm).
//
// The mixer's music stream is process-wide: keep one SdlMixerPlayer per
// process. The audio device is opened on the first open() and released when
// the player is destroyed, so a saver without audio files never touches it.
#include "audio/MediaPlayer.h"

struct _Mix_Music;

namespace slidora {

class SdlMixerPlayer final : public MediaPlayer {
  public:
    SdlMixerPlayer() = default;
    ~SdlMixerPlayer() override;
    SdlMixerPlayer(const SdlMixerPlayer&) = delete;
    SdlMixerPlayer& operator=(const SdlMixerPlayer&) = delete;

    void open(const std::string& path) override;
    void play() override;
    bool isPlaying() override;
    void close() override;
    bool isOpen() const override { return m_music != nullptr; }

    // The sound font used for MIDI when SDL_SOUNDFONTS does not name one.
    static const char* const kGeneralMidiSoundFont;

  private:
    // Throws SlidoraError when SDL's audio or the mixer cannot start (no
    // audio device); tried again on the next open().
    void openDevice();

    _Mix_Music* m_music = nullptr;
    bool m_deviceOpen = false;
    bool m_started = false;
};

} // namespace slidora
