#pragma once
// Mp3Library on top of the project's own vbmp3 shared library.
#include "audio/Mp3Library.h"

#include <array>

namespace slidora {

class Vbmp3Library final : public Mp3Library {
  public:
    Vbmp3Library() = default;

    bool init() override;
    void setVolume(int left, int right) override;
    bool open(const std::string& path) override;
    bool play() override;
    int getState() override;
    bool close() override;
    void free() override;

  private:
    // The information record the library may fill on open; the program never
    // reads it. 528 bytes, as the library's header fixes.
    alignas(8) std::array<unsigned char, 528> m_info{};
};

} // namespace slidora
