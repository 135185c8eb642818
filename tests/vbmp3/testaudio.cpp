#include "testaudio.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <stdexcept>

namespace slidora::vbmp3::test {

EnvironmentValue::EnvironmentValue(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    ::setenv(name, value.c_str(), 1);
}

EnvironmentValue::~EnvironmentValue() {
    if (m_old) {
        ::setenv(m_name, m_old->c_str(), 1);
    } else {
        ::unsetenv(m_name);
    }
}

namespace {

double toneValue(const ToneSpec& tone, int frame) {
    return tone.amplitude *
           std::sin(2.0 * std::numbers::pi * tone.frequencyHz * frame / tone.rateHz);
}

} // namespace

Bytes tonePcm(const ToneSpec& tone) {
    Bytes out;
    for (int frame = 0; frame < tone.frames; ++frame) {
        const double value = toneValue(tone, frame);
        for (int channel = 0; channel < tone.channels; ++channel) {
            if (tone.floatSamples) {
                const auto sample = static_cast<float>(value);
                std::uint32_t bits = 0;
                std::memcpy(&bits, &sample, sizeof bits);
                appendLe32(out, bits);
            } else if (tone.bitsPerSample == 8) {
                out.push_back(static_cast<std::uint8_t>(128 + std::lround(value * 127.0)));
            } else if (tone.bitsPerSample == 24) {
                const auto sample = static_cast<std::uint32_t>(std::lround(value * 8388607.0));
                out.insert(out.end(), {static_cast<std::uint8_t>(sample & 0xFF),
                                       static_cast<std::uint8_t>((sample >> 8) & 0xFF),
                                       static_cast<std::uint8_t>((sample >> 16) & 0xFF)});
            } else if (tone.bitsPerSample == 32) {
                appendLe32(out, static_cast<std::uint32_t>(
                                    static_cast<std::int32_t>(std::lround(value * 2147483647.0))));
            } else {
                appendLe16(out, static_cast<std::uint16_t>(
                                    static_cast<std::int16_t>(std::lround(value * 32767.0))));
            }
        }
    }
    return out;
}

std::vector<std::int16_t> toneAsS16(const ToneSpec& tone) {
    std::vector<std::int16_t> out;
    for (int frame = 0; frame < tone.frames; ++frame) {
        const double value = toneValue(tone, frame);
        const auto sample = tone.bitsPerSample == 8
                                ? static_cast<std::int16_t>(std::lround(value * 127.0) * 256)
                                : static_cast<std::int16_t>(std::lround(value * 32767.0));
        out.insert(out.end(), static_cast<std::size_t>(tone.channels), sample);
    }
    return out;
}

void appendLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void appendLe32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

Bytes chunk(const char* id, const Bytes& payload, std::optional<std::uint32_t> claimedSize) {
    Bytes out(id, id + 4);
    appendLe32(out, claimedSize.value_or(static_cast<std::uint32_t>(payload.size())));
    out.insert(out.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0) out.push_back(0);
    return out;
}

Bytes riff(const char* form, const std::vector<Bytes>& chunks,
           std::optional<std::uint32_t> claimedSize) {
    Bytes body(form, form + 4);
    for (const Bytes& part : chunks)
        body.insert(body.end(), part.begin(), part.end());
    Bytes out{'R', 'I', 'F', 'F'};
    appendLe32(out, claimedSize.value_or(static_cast<std::uint32_t>(body.size())));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes fmtPayload(std::uint16_t tag, std::uint16_t channels, std::uint32_t rateHz,
                 std::uint16_t bitsPerSample) {
    Bytes out;
    const auto blockAlign = static_cast<std::uint16_t>(channels * (bitsPerSample / 8));
    appendLe16(out, tag);
    appendLe16(out, channels);
    appendLe32(out, rateHz);
    appendLe32(out, rateHz * blockAlign);
    appendLe16(out, blockAlign);
    appendLe16(out, bitsPerSample);
    return out;
}

Bytes mpegLayer3FmtPayload(std::uint16_t channels, std::uint32_t rateHz) {
    Bytes out;
    appendLe16(out, 0x0055);
    appendLe16(out, channels);
    appendLe32(out, rateHz);
    appendLe32(out, 16000); // average bytes per second at 128 kbit/s
    appendLe16(out, 1);
    appendLe16(out, 0);
    appendLe16(out, 12); // extra bytes that follow
    appendLe16(out, 1);  // MPEGLAYER3_ID_MPEG
    appendLe32(out, 2);  // MPEGLAYER3_FLAG_PADDING_OFF
    appendLe16(out, 418);
    appendLe16(out, 1);
    appendLe16(out, 1393);
    return out;
}

Bytes wavFile(const ToneSpec& tone) {
    const std::uint16_t tag = tone.floatSamples ? 3 : 1;
    return riff("WAVE", {chunk("fmt ", fmtPayload(tag, static_cast<std::uint16_t>(tone.channels),
                                                  static_cast<std::uint32_t>(tone.rateHz),
                                                  static_cast<std::uint16_t>(tone.bitsPerSample))),
                         chunk("data", tonePcm(tone))});
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool lameAvailable() {
    return std::system("lame --version >/dev/null 2>&1") == 0;
}

bool encodeMp3(const std::string& wavPath, const std::string& mp3Path,
               const std::string& extraArgs) {
    const std::string command =
        "lame --quiet " + extraArgs + " '" + wavPath + "' '" + mp3Path + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace slidora::vbmp3::test
