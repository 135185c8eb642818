#pragma once

#include "pcmformat.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace slidora::vbmp3 {

// Turns a source's PCM into interleaved stereo signed 16-bit frames: any
// sample encoding, mono spread to both sides, and the rate
// converted by linear interpolation when it differs from the output's (only
// when a stream changes its rate part way, since each file opens the output
// at its own rate). Equal rates pass every frame through unchanged.
class PcmConverter {
  public:
    PcmConverter(const PcmFormat& in, int outputRateHz);

    const PcmFormat& input() const { return m_in; }
    // Appends the frames made from `bytes` (whole input frames) to out.
    void convert(std::span<const std::uint8_t> bytes, std::vector<std::int16_t>& out);

  private:
    using Frame = std::array<double, 2>; // full scale at -1.0 and 1.0

    Frame readFrame(const std::uint8_t* bytes) const;
    static void emit(const Frame& frame, std::vector<std::int16_t>& out);

    PcmFormat m_in;
    // Interpolation state: the last input frame and where the next output
    // frame falls after it, in input frames.
    double m_step;
    double m_phase = 0;
    Frame m_previous{};
    bool m_havePrevious = false;
};

} // namespace slidora::vbmp3
