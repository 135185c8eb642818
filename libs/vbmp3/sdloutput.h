#pragma once

#include "audiooutput.h"

#include <SDL_audio.h>

namespace slidora::vbmp3 {

// The output on SDL audio. The device is opened in exactly the format asked
// for; SDL converts to the hardware's rate and layout behind it.
class SdlOutput final : public AudioOutput {
  public:
    SdlOutput() = default;
    ~SdlOutput() override;
    SdlOutput(const SdlOutput&) = delete;
    SdlOutput& operator=(const SdlOutput&) = delete;

    bool start() override;
    void stop() override;
    bool open(const OutputFormat& format, OutputRenderer& renderer) override;
    void resume() override;
    void close() override;
    bool lost() const override;

  private:
    static void SDLCALL callback(void* user, Uint8* stream, int lengthBytes);

    bool m_started = false; // SDL's audio subsystem was started by start()
    SDL_AudioDeviceID m_device = 0;
    int m_channels = 0;
    OutputRenderer* m_renderer = nullptr; // read by SDL's thread while open
};

} // namespace slidora::vbmp3
