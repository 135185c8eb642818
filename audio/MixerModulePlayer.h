#pragma once
// The program's media player: SdlMixerPlayer inside the media-player module
// (MixerModule.h), loaded from the given folder on the first open(), so only
// a show that plays a file through the media player pays for the mixer's
// libraries. A module that cannot be loaded fails that open() as a player
// without an audio device does, and every later one the same way.
#include "audio/MediaPlayer.h"

#include <memory>
#include <string>

namespace slidora {

class MixerModulePlayer final : public MediaPlayer {
  public:
    // `moduleFolder`: the program's folder, where the module is installed.
    explicit MixerModulePlayer(const std::string& moduleFolder);
    ~MixerModulePlayer() override;
    MixerModulePlayer(const MixerModulePlayer&) = delete;
    MixerModulePlayer& operator=(const MixerModulePlayer&) = delete;

    void open(const std::string& path) override;
    void play() override;
    bool isPlaying() override;
    void close() override;
    bool isOpen() const override;

    // The module's file name in that folder.
    static const char* moduleFileName();

  private:
    std::string m_modulePath;
    // Why the module could not be used, once the first open() has tried.
    std::string m_loadError;
    bool m_loadTried = false;
    std::unique_ptr<MediaPlayer> m_player;
};

} // namespace slidora
