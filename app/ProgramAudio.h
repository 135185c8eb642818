#pragma once
// The program's audio for the saver window: the playback logic over a real
// MP3 library and media player (the Linux and the Windows ones), as the
// saver's audio seam.
#include "audio/AudioPlayback.h"
#include "saver/SaverServices.h"

#include <string>
#include <utility>

namespace slidora {

template <class Library, class Player> class ProgramAudio final : public SaverAudio {
  public:
    // `playerArgs` make the media player.
    template <class... PlayerArgs>
    explicit ProgramAudio(PlayerArgs&&... playerArgs)
        : m_player(std::forward<PlayerArgs>(playerArgs)...), m_playback(m_library, m_player) {}
    void AudRead(const std::string& folder, const std::string& mediaExtText, bool shuffle,
                 RandomSource& random) override {
        m_playback.buildList(folder, mediaExtText, shuffle, random);
    }
    void start(bool useMp3Library, int volume) override { m_playback.start(useMp3Library, volume); }
    bool audioOn() const override { return m_playback.audioOn(); }
    bool listEmpty() const override { return m_playback.audioList().empty(); }
    void AudLoad() override { m_playback.AudLoad(); }
    void onActiveTimeEnd() override { m_playback.onActiveTimeEnd(); }
    void onClose() override { m_playback.onClose(); }

  private:
    // Declared before the playback, which holds references to both.
    Library m_library;
    Player m_player;
    AudioPlayback m_playback;
};

} // namespace slidora
