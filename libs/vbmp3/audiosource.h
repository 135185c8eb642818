#pragma once

#include "pcmformat.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace slidora::vbmp3 {

enum class SourceKind { PcmWave = 1, Mpeg = 2, MpegInRiff = 3 };

struct SourceDetails {
    SourceKind kind = SourceKind::PcmWave;
    int mpegLayer = 0;            // 1 to 3 for MPEG, 0 for PCM
    std::int64_t durationMs = -1; // -1 when unknown
};

// A decoder positioned in one file. Used by one thread at a time: created and
// checked on the caller's thread, then read on the playback's decoder thread.
class AudioSource {
  public:
    virtual ~AudioSource() = default;

    // The format of the bytes that the next read() returns. An MPEG stream may
    // change it between reads.
    virtual PcmFormat format() const = 0;
    virtual SourceDetails details() const = 0;
    // Fills out with up to out.size() bytes (whole frames) in the format that
    // format() reported before the call. 0 with ended() false means "call
    // again" (for instance right after a format change).
    virtual std::size_t read(std::span<std::uint8_t> out) = 0;
    // True once the data is used up or cannot be decoded any further.
    virtual bool ended() const = 0;
};

// Opens path and decides by its content how to decode it; the first frames
// are decoded here, so a file that is not audio gives nullptr.
std::unique_ptr<AudioSource> openAudioSource(const char* path);

} // namespace slidora::vbmp3
