#pragma once
// The Windows program's audio for the saver window: the playback logic over
// VBMP3.dll (bound through the import table) and the MCI media player.
#include "audio/AudioPlayback.h"
#include "audio/Vbmp3Library.h"
#include "audio/win/MciPlayer.h"
#include "saver/SaverServices.h"

namespace slidora::win {

class WinProgramAudio final : public SaverAudio {
  public:
    WinProgramAudio() : m_playback(m_library, m_player) {}
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
    Vbmp3Library m_library;
    MciPlayer m_player;
    AudioPlayback m_playback;
};

} // namespace slidora::win
