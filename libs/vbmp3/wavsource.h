#pragma once

#include "audiosource.h"
#include "riffparser.h"

namespace slidora::vbmp3 {

// Plays the PCM 'data' chunk of a WAVE file as it is stored.
class WavSource final : public AudioSource {
  public:
    // nullptr when the layout is not PCM or holds not even one frame.
    static std::unique_ptr<WavSource> create(std::unique_ptr<RandomAccess> file,
                                             const RiffLayout& layout);

    PcmFormat format() const override { return m_format; }
    SourceDetails details() const override;
    std::size_t read(std::span<std::uint8_t> out) override;
    bool ended() const override { return m_ended; }

  private:
    WavSource(std::unique_ptr<RandomAccess> file, const RiffLayout& layout);

    std::unique_ptr<RandomAccess> m_file;
    PcmFormat m_format;
    std::uint64_t m_dataOffset;
    std::uint64_t m_dataBytes;
    std::uint64_t m_positionBytes = 0; // within the data chunk
    bool m_ended = false;
};

} // namespace slidora::vbmp3
