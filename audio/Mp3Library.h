#pragma once
// The seam in front of the MP3 playback library. The saver talks to the
// library only through this interface, so the playback logic can be driven
// by a fake in tests; the app hands in Vbmp3Library.
#include <string>

namespace slidora {

class Mp3Library {
  public:
    virtual ~Mp3Library() = default;

    // True when the library is ready; false means it is not used this run.
    virtual bool init() = 0;
    // Both channels get the Volume setting (0 to 100), unscaled.
    virtual void setVolume(int left, int right) = 0;
    // True when `path` is open and ready to play.
    virtual bool open(const std::string& path) = 0;
    // True when playback of the open file has started; returns at once.
    virtual bool play() = 0;
    // 1 while the open file plays; any other value means it has ended.
    virtual int getState() = 0;
    // True when the file is closed and another may be opened. Must be
    // harmless with nothing open, before init and after free.
    virtual bool close() = 0;
    // Releases the library; harmless when never initialised or freed twice.
    virtual void free() = 0;
};

} // namespace slidora
