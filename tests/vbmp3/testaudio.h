#pragma once

#include "tests/support/TempTree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace slidora::vbmp3::test {

using Bytes = std::vector<std::uint8_t>;

using TempDir = slidora::test::TempTree;

// Sets an environment variable for the life of the object.
class EnvironmentValue {
  public:
    EnvironmentValue(const char* name, const std::string& value);
    ~EnvironmentValue();
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

struct ToneSpec {
    int channels = 2;
    int rateHz = 44100;
    int bitsPerSample = 16;
    int frames = 4410;
    double amplitude = 0.5; // of full scale
    double frequencyHz = 441.0;
    bool floatSamples = false; // 32-bit IEEE float instead of integers
};

// Interleaved PCM of a sine tone, the same on every channel, as WAV stores
// it (8-bit unsigned, 16/24/32-bit signed little-endian, or float).
Bytes tonePcm(const ToneSpec& tone);
// The tone as 16-bit values per channel (8-bit samples widened the way SDL
// widens them), for comparing with what a device received.
std::vector<std::int16_t> toneAsS16(const ToneSpec& tone);

void appendLe16(Bytes& out, std::uint16_t value);
void appendLe32(Bytes& out, std::uint32_t value);
// A chunk with its id, size (the real one unless claimedSize is given),
// payload and pad byte.
Bytes chunk(const char* id, const Bytes& payload, std::optional<std::uint32_t> claimedSize = {});
Bytes riff(const char* form, const std::vector<Bytes>& chunks,
           std::optional<std::uint32_t> claimedSize = {});
Bytes fmtPayload(std::uint16_t tag, std::uint16_t channels, std::uint32_t rateHz,
                 std::uint16_t bitsPerSample);
// The 30-byte format block of an MPEG layer 3 WAVE (tag 0x55).
Bytes mpegLayer3FmtPayload(std::uint16_t channels, std::uint32_t rateHz);
Bytes wavFile(const ToneSpec& tone);

void writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);

bool lameAvailable();
// Encodes a WAV file with lame; extraArgs go before the file names. False
// when lame fails.
bool encodeMp3(const std::string& wavPath, const std::string& mp3Path,
               const std::string& extraArgs = "");

} // namespace slidora::vbmp3::test
