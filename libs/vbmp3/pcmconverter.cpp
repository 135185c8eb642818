#include "pcmconverter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace slidora::vbmp3 {
namespace {

static_assert(std::endian::native == std::endian::little,
              "samples are read in the host's order as little-endian");

constexpr double kS16Scale = 32768.0;

double sampleValue(SampleFormat format, const std::uint8_t* p) {
    switch (format) {
    case SampleFormat::U8:
        return (static_cast<int>(p[0]) - 128) / 128.0;
    case SampleFormat::S16: {
        std::int16_t value = 0;
        std::memcpy(&value, p, sizeof value);
        return value / kS16Scale;
    }
    case SampleFormat::S24: {
        const auto raw = static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) << 8;
        return static_cast<std::int32_t>(raw) / 2147483648.0;
    }
    case SampleFormat::S32: {
        std::int32_t value = 0;
        std::memcpy(&value, p, sizeof value);
        return value / 2147483648.0;
    }
    case SampleFormat::F32: {
        float value = 0;
        std::memcpy(&value, p, sizeof value);
        // NaN and infinities in a broken file become silence and full scale.
        return std::isnan(value) ? 0.0 : static_cast<double>(value);
    }
    }
    return 0.0;
}

std::int16_t toS16(double value) {
    const double scaled = std::round(value * kS16Scale);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

} // namespace

PcmConverter::PcmConverter(const PcmFormat& in, int outputRateHz)
    : m_in(in), m_step(static_cast<double>(in.rateHz) / static_cast<double>(outputRateHz)) {}

PcmConverter::Frame PcmConverter::readFrame(const std::uint8_t* bytes) const {
    const int sampleBytes = bytesPerSample(m_in.sampleFormat);
    const double first = sampleValue(m_in.sampleFormat, bytes);
    if (m_in.channels == 1) return {first, first};
    return {first, sampleValue(m_in.sampleFormat, bytes + sampleBytes)};
}

void PcmConverter::emit(const Frame& frame, std::vector<std::int16_t>& out) {
    out.push_back(toS16(frame[0]));
    out.push_back(toS16(frame[1]));
}

void PcmConverter::convert(std::span<const std::uint8_t> bytes, std::vector<std::int16_t>& out) {
    const auto frameBytes = static_cast<std::size_t>(m_in.frameBytes());
    const std::size_t frames = bytes.size() / frameBytes;
    const bool sameRate = m_step == 1.0;
    out.reserve(out.size() +
                static_cast<std::size_t>(static_cast<double>(frames) / m_step + 2) * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const Frame current = readFrame(bytes.data() + i * frameBytes);
        if (sameRate) {
            emit(current, out);
            continue;
        }
        if (!m_havePrevious) {
            m_previous = current;
            m_havePrevious = true;
            continue;
        }
        while (m_phase < 1.0) {
            emit({m_previous[0] + (current[0] - m_previous[0]) * m_phase,
                  m_previous[1] + (current[1] - m_previous[1]) * m_phase},
                 out);
            m_phase += m_step;
        }
        m_phase -= 1.0;
        m_previous = current;
    }
}

} // namespace slidora::vbmp3
