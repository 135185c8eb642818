#pragma once
// The seam in front of the media player that plays every audio file the MP3
// library does not take (MIDI and the user's other media extensions). The
// app hands in SdlMixerPlayer; tests hand in a fake.
#include <string>

namespace slidora {

class MediaPlayer {
  public:
    virtual ~MediaPlayer() = default;

    // Opens `path` for playing, closing a file still open first. Throws
    // SlidoraError carrying the player's own error text when the file cannot
    // be opened (unknown format, missing file, no audio device).
    virtual void open(const std::string& path) = 0;
    // Starts the open file from its current position, once through. Errors
    // are not raised; a file that does not start simply is not playing.
    virtual void play() = 0;
    // True from play() until the file has ended; false when nothing is open.
    virtual bool isPlaying() = 0;
    // Closes the open file; does nothing when none is open.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

} // namespace slidora
