#pragma once

namespace slidora::vbmp3 {

// Sample encodings a decoder hands out. Multi-byte samples are little-endian,
// as WAV stores them; MPEG output is asked for in the same order.
enum class SampleFormat {
    U8,  // unsigned, 128 is silence
    S16, // signed
    S24, // signed, packed in three bytes
    S32, // signed
    F32, // IEEE float, full scale at -1.0 and 1.0
};

constexpr int bytesPerSample(SampleFormat format) {
    switch (format) {
    case SampleFormat::U8:
        return 1;
    case SampleFormat::S16:
        return 2;
    case SampleFormat::S24:
        return 3;
    case SampleFormat::S32:
    case SampleFormat::F32:
        return 4;
    }
    return 0;
}

// Interleaved PCM as a source hands it out.
struct PcmFormat {
    SampleFormat sampleFormat = SampleFormat::S16;
    int channels = 0;
    int rateHz = 0;

    int frameBytes() const { return channels * bytesPerSample(sampleFormat); }
    bool operator==(const PcmFormat&) const = default;
};

} // namespace slidora::vbmp3
