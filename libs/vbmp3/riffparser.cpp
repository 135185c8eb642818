#include "riffparser.h"

#include "sourcefile.h"

#include <array>
#include <cstring>

namespace slidora::vbmp3 {
namespace {

// Enough for any real file's chunk list; bounds the time a crafted file of
// empty chunks can cost.
constexpr int kMaxChunks = 4096;
constexpr std::uint32_t kPlainFmtBytes = 16;
constexpr std::uint32_t kExtensibleFmtBytes = 40;
constexpr std::uint16_t kTagPcm = 0x0001;
constexpr std::uint16_t kTagFloat = 0x0003;
constexpr std::uint16_t kTagMpeg = 0x0050;
constexpr std::uint16_t kTagMpegLayer3 = 0x0055;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr int kMinRateHz = 1000;
constexpr int kMaxRateHz = 384000;

std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct FmtChunk {
    bool present = false;
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t rateHz = 0;
    std::uint16_t bitsPerSample = 0;
};

// Returns false when the chunk is too short to be a format description.
bool readFmt(const RandomAccess& file, std::uint64_t payload, std::uint32_t sizeBytes,
             FmtChunk& fmt) {
    if (sizeBytes < kPlainFmtBytes) return false;
    std::array<unsigned char, kExtensibleFmtBytes> raw{};
    const std::size_t wanted = sizeBytes < kExtensibleFmtBytes ? sizeBytes : kExtensibleFmtBytes;
    if (file.readAt(payload, raw.data(), wanted) != wanted) return false;
    fmt.present = true;
    fmt.tag = le16(&raw[0]);
    fmt.channels = le16(&raw[2]);
    fmt.rateHz = le32(&raw[4]);
    fmt.bitsPerSample = le16(&raw[14]);
    // WAVE_FORMAT_EXTENSIBLE keeps the real tag in the first two bytes of
    // its sub-format GUID.
    if (fmt.tag == kTagExtensible) {
        fmt.tag = wanted >= kExtensibleFmtBytes ? le16(&raw[24]) : 0;
    }
    return true;
}

// The encodings the library decodes; every other tag or width is refused,
// so such a file fails at open instead of playing as noise or silence.
bool sampleFormatOf(const FmtChunk& fmt, SampleFormat& format) {
    if (fmt.tag == kTagFloat) {
        format = SampleFormat::F32;
        return fmt.bitsPerSample == 32;
    }
    if (fmt.tag != kTagPcm) return false;
    switch (fmt.bitsPerSample) {
    case 8:
        format = SampleFormat::U8;
        return true;
    case 16:
        format = SampleFormat::S16;
        return true;
    case 24:
        format = SampleFormat::S24;
        return true;
    case 32:
        format = SampleFormat::S32;
        return true;
    default:
        return false;
    }
}

RiffKind classifyWave(const FmtChunk& fmt, PcmWaveFormat& pcm) {
    if (fmt.tag == kTagMpeg || fmt.tag == kTagMpegLayer3) return RiffKind::MpegInRiff;
    if (!sampleFormatOf(fmt, pcm.sampleFormat)) return RiffKind::Unsupported;
    if (fmt.channels < 1 || fmt.channels > 2) return RiffKind::Unsupported;
    if (fmt.rateHz < kMinRateHz || fmt.rateHz > kMaxRateHz) return RiffKind::Unsupported;
    pcm.channels = fmt.channels;
    pcm.rateHz = static_cast<int>(fmt.rateHz);
    pcm.bitsPerSample = fmt.bitsPerSample;
    return RiffKind::PcmWave;
}

} // namespace

RiffLayout parseRiff(const RandomAccess& file) {
    RiffLayout layout;
    const std::uint64_t fileBytes = file.sizeBytes();
    std::array<unsigned char, 12> head{};
    if (file.readAt(0, head.data(), head.size()) != head.size()) return layout;
    if (std::memcmp(head.data(), "RIFF", 4) != 0) return layout;

    layout.kind = RiffKind::Unsupported;
    const bool isWave = std::memcmp(&head[8], "WAVE", 4) == 0;
    const bool isRmp = std::memcmp(&head[8], "RMP3", 4) == 0;
    if (!isWave && !isRmp) return layout;

    // The RIFF size field is ignored: streamed files leave it 0 or 0xFFFFFFFF.
    FmtChunk fmt;
    bool haveData = false;
    std::uint64_t offset = head.size();
    for (int chunk = 0; chunk < kMaxChunks && offset + 8 <= fileBytes; ++chunk) {
        std::array<unsigned char, 8> header{};
        if (file.readAt(offset, header.data(), header.size()) != header.size()) break;
        const std::uint32_t sizeBytes = le32(&header[4]);
        const std::uint64_t payload = offset + 8;
        const std::uint64_t available = fileBytes - payload;
        if (std::memcmp(header.data(), "data", 4) == 0 && !haveData) {
            haveData = true;
            layout.dataOffset = payload;
            layout.dataBytes = sizeBytes < available ? sizeBytes : available;
        } else if (std::memcmp(header.data(), "fmt ", 4) == 0 && !fmt.present) {
            if (sizeBytes > available || !readFmt(file, payload, sizeBytes, fmt)) break;
        }
        if (haveData && (fmt.present || isRmp)) break;
        if (sizeBytes > available) break;
        offset = payload + sizeBytes + (sizeBytes & 1U);
    }

    if (!haveData) return layout;
    if (isRmp) {
        layout.kind = RiffKind::MpegInRiff;
        return layout;
    }
    if (!fmt.present) return layout;
    layout.kind = classifyWave(fmt, layout.pcm);
    if (layout.kind == RiffKind::PcmWave) {
        const auto frameBytes = static_cast<std::uint64_t>(layout.pcm.frameBytes());
        layout.dataBytes -= layout.dataBytes % frameBytes;
    }
    return layout;
}

} // namespace slidora::vbmp3
