#pragma once

#include "audiooutput.h"
#include "playback.h"

#include <memory>

namespace slidora::vbmp3 {

// The state behind the seven vbmp3_* functions, which are its thin C face;
// the tests build it over a fake output. Results as the public header
// describes them. One thread at a time.
class Library {
  public:
    explicit Library(std::unique_ptr<AudioOutput> output);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool init();
    void setVolume(int left, int right);
    // info: a caller-owned buffer of VBMP3_INFO_SIZE bytes, or nullptr.
    bool open(const char* path, void* info);
    bool play();
    int getState() const;
    bool close();
    void free();

  private:
    std::unique_ptr<AudioOutput> m_output;
    bool m_ready = false; // init succeeded and free has not run since
    int m_volumeLeft = 100;
    int m_volumeRight = 100;
    // Declared after the output, which it plays through: destroyed first.
    std::unique_ptr<Playback> m_playback;
};

} // namespace slidora::vbmp3
