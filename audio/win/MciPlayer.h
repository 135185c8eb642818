#pragma once
// MediaPlayer over the system's media control interface, by command
// strings: "open" with the file as the element (MCI picks the device from
// the file), "play" from the current position, "status mode", "close". One
// device at a time under an alias of its own.
#include "audio/MediaPlayer.h"

#include <string>

namespace slidora::win {

class MciPlayer final : public MediaPlayer {
  public:
    MciPlayer();
    // Closes a device still open: the player element goes with the window.
    ~MciPlayer() override;
    MciPlayer(const MciPlayer&) = delete;
    MciPlayer& operator=(const MciPlayer&) = delete;

    // Throws SlidoraError with mciGetErrorStringW's text when MCI refuses.
    void open(const std::string& path) override;
    void play() override;
    bool isPlaying() override;
    void close() override;
    bool isOpen() const override { return m_open; }

  private:
    // Unique per player, so that two players in one process (a test beside
    // the program's) never share a device.
    std::wstring m_alias;
    bool m_open = false;
};

// The text MCI gives for `error` (an MCIERROR), UTF-8; a generic text naming
// the number when MCI has none.
std::string mciErrorText(unsigned long error);

} // namespace slidora::win
