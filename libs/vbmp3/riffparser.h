#pragma once

#include "pcmformat.h"

#include <cstdint>

namespace slidora::vbmp3 {

class RandomAccess;

enum class RiffKind {
    NotRiff,     // no RIFF header: the bytes go to the MPEG decoder
    PcmWave,     // 'WAVE' with 8/16/24/32-bit integer or 32-bit float PCM, mono or stereo
    MpegInRiff,  // 'RMP3', or 'WAVE' with MPEG format tag 0x50/0x55
    Unsupported, // RIFF, but nothing we play (other form, codec, or broken layout)
};

struct PcmWaveFormat {
    int channels = 0;
    int rateHz = 0;
    int bitsPerSample = 0;
    SampleFormat sampleFormat = SampleFormat::S16;

    int frameBytes() const { return channels * (bitsPerSample / 8); }
};

struct RiffLayout {
    RiffKind kind = RiffKind::NotRiff;
    PcmWaveFormat pcm; // PcmWave only
    // The 'data' payload, clamped to the file's real size; for PcmWave also
    // rounded down to whole frames.
    std::uint64_t dataOffset = 0;
    std::uint64_t dataBytes = 0;
};

// Walks the chunks of a RIFF file. Sizes in the file are never trusted: a
// chunk that claims more than the file holds ends the walk (a 'data' chunk is
// cut to what is there), and the walk visits a bounded number of chunks.
RiffLayout parseRiff(const RandomAccess& file);

} // namespace slidora::vbmp3
