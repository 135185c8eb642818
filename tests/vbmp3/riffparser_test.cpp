#include "riffparser.h"
#include "sourcefile.h"
#include "testaudio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace slidora::vbmp3 {
namespace {

using test::Bytes;
using test::chunk;
using test::fmtPayload;
using test::riff;

class MemoryBytes final : public RandomAccess {
  public:
    explicit MemoryBytes(Bytes bytes) : m_bytes(std::move(bytes)) {}
    std::uint64_t sizeBytes() const override { return m_bytes.size(); }
    std::size_t readAt(std::uint64_t offset, void* out, std::size_t count) const override {
        if (offset >= m_bytes.size()) return 0;
        const std::size_t n = std::min<std::uint64_t>(count, m_bytes.size() - offset);
        std::memcpy(out, m_bytes.data() + offset, n);
        return n;
    }

  private:
    Bytes m_bytes;
};

Bytes payload(std::size_t sizeBytes) {
    Bytes out(sizeBytes);
    for (std::size_t i = 0; i < sizeBytes; ++i)
        out[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return out;
}

Bytes extensibleFmt(std::uint16_t realTag, std::uint16_t channels, std::uint16_t bits) {
    Bytes out = fmtPayload(0xFFFE, channels, 48000, bits);
    test::appendLe16(out, 22);   // extra bytes
    test::appendLe16(out, bits); // valid bits
    test::appendLe32(out, 3);    // channel mask
    test::appendLe16(out, realTag);
    const std::uint8_t guidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    out.insert(out.end(), guidTail, guidTail + sizeof guidTail);
    return out;
}

Bytes cut(Bytes bytes, std::size_t sizeBytes) {
    bytes.resize(std::min(bytes.size(), sizeBytes));
    return bytes;
}

struct RiffCase {
    const char* name;
    Bytes file;
    RiffKind kind;
    std::uint64_t dataOffset;
    std::uint64_t dataBytes;
    PcmWaveFormat pcm;
};

std::vector<RiffCase> riffCases() {
    const Bytes fmt16 = chunk("fmt ", fmtPayload(1, 2, 44100, 16));
    const Bytes fmt8 = chunk("fmt ", fmtPayload(1, 1, 8000, 8));
    return {
        {"stereo-16bit",
         riff("WAVE", {fmt16, chunk("data", payload(400))}),
         RiffKind::PcmWave,
         44,
         400,
         {2, 44100, 16}},
        {"mono-8bit-odd-data",
         riff("WAVE", {fmt8, chunk("data", payload(301))}),
         RiffKind::PcmWave,
         44,
         301,
         {1, 8000, 8, SampleFormat::U8}},
        {"list-chunk-first-odd-size",
         riff("WAVE", {chunk("LIST", payload(5)), fmt16, chunk("data", payload(40))}),
         RiffKind::PcmWave,
         12 + 14 + 24 + 8,
         40,
         {2, 44100, 16}},
        {"fmt-with-extra-bytes",
         riff("WAVE", {chunk("fmt ",
                             [] {
                                 Bytes f = fmtPayload(1, 1, 22050, 16);
                                 f.resize(18);
                                 return f;
                             }()),
                       chunk("data", payload(10))}),
         RiffKind::PcmWave,
         12 + 26 + 8,
         10,
         {1, 22050, 16}},
        {"data-before-fmt",
         riff("WAVE", {chunk("data", payload(8)), fmt16}),
         RiffKind::PcmWave,
         20,
         8,
         {2, 44100, 16}},
        {"extensible-pcm",
         riff("WAVE", {chunk("fmt ", extensibleFmt(1, 2, 16)), chunk("data", payload(64))}),
         RiffKind::PcmWave,
         12 + 48 + 8,
         64,
         {2, 48000, 16}},
        {"data-claims-4gb",
         riff("WAVE", {fmt16, chunk("data", payload(100), 0xFFFFFFFFU)}, 0xFFFFFFFFU),
         RiffKind::PcmWave,
         44,
         100,
         {2, 44100, 16}},
        {"data-cut-mid-frame",
         cut(riff("WAVE", {fmt16, chunk("data", payload(400))}), 44 + 103),
         RiffKind::PcmWave,
         44,
         100,
         {2, 44100, 16}},
        {"riff-size-zero",
         riff("WAVE", {fmt16, chunk("data", payload(16))}, 0U),
         RiffKind::PcmWave,
         44,
         16,
         {2, 44100, 16}},
        {"rmp3",
         riff("RMP3", {chunk("data", payload(900)), chunk("LIST", payload(20))}),
         RiffKind::MpegInRiff,
         20,
         900,
         {}},
        {"rmp3-data-cut",
         cut(riff("RMP3", {chunk("data", payload(900))}), 520),
         RiffKind::MpegInRiff,
         20,
         500,
         {}},
        {"wave-mpeg-layer3",
         riff("WAVE", {chunk("fmt ", test::mpegLayer3FmtPayload(2, 44100)),
                       chunk("fact", payload(4)), chunk("data", payload(50))}),
         RiffKind::MpegInRiff,
         12 + 38 + 12 + 8,
         50,
         {}},
        {"wave-mpeg-layer12",
         riff("WAVE", {chunk("fmt ", fmtPayload(0x50, 2, 44100, 0)), chunk("data", payload(50))}),
         RiffKind::MpegInRiff,
         44,
         50,
         {}},
        {"not-riff-mp3-sync",
         Bytes{0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0, 0, 0, 0, 0},
         RiffKind::NotRiff,
         0,
         0,
         {}},
        {"not-riff-short", Bytes{'R', 'I', 'F'}, RiffKind::NotRiff, 0, 0, {}},
        {"empty", Bytes{}, RiffKind::NotRiff, 0, 0, {}},
        {"avi-form", riff("AVI ", {chunk("data", payload(10))}), RiffKind::Unsupported, 0, 0, {}},
        {"riff-header-only", riff("WAVE", {}), RiffKind::Unsupported, 0, 0, {}},
        {"no-data-chunk", riff("WAVE", {fmt16}), RiffKind::Unsupported, 0, 0, {}},
        {"no-fmt-chunk",
         riff("WAVE", {chunk("data", payload(40))}),
         RiffKind::Unsupported,
         20,
         40,
         {}},
        {"fmt-too-short",
         riff("WAVE", {chunk("fmt ", payload(14)), chunk("data", payload(40))}),
         RiffKind::Unsupported,
         0,
         0,
         {}},
        {"fmt-claims-4gb",
         riff("WAVE", {chunk("fmt ", fmtPayload(1, 2, 44100, 16), 0xFFFFFFF0U),
                       chunk("data", payload(40))}),
         RiffKind::Unsupported,
         0,
         0,
         {}},
        {"header-cut-in-fmt",
         cut(riff("WAVE", {fmt16, chunk("data", payload(40))}), 30),
         RiffKind::Unsupported,
         0,
         0,
         {}},
        {"adpcm",
         riff("WAVE", {chunk("fmt ", fmtPayload(2, 2, 44100, 4)), chunk("data", payload(40))}),
         RiffKind::Unsupported,
         44,
         40,
         {}},
        {"float",
         riff("WAVE", {chunk("fmt ", fmtPayload(3, 2, 44100, 32)), chunk("data", payload(40))}),
         RiffKind::PcmWave,
         44,
         40,
         {2, 44100, 32, SampleFormat::F32}},
        {"double-float",
         riff("WAVE", {chunk("fmt ", fmtPayload(3, 2, 44100, 64)), chunk("data", payload(48))}),
         RiffKind::Unsupported,
         44,
         48,
         {}},
        {"24-bit",
         riff("WAVE", {chunk("fmt ", fmtPayload(1, 2, 44100, 24)), chunk("data", payload(42))}),
         RiffKind::PcmWave,
         44,
         42,
         {2, 44100, 24, SampleFormat::S24}},
        {"32-bit-integer",
         riff("WAVE", {chunk("fmt ", fmtPayload(1, 1, 96000, 32)), chunk("data", payload(42))}),
         RiffKind::PcmWave,
         44,
         40,
         {1, 96000, 32, SampleFormat::S32}},
        {"12-bit",
         riff("WAVE", {chunk("fmt ", fmtPayload(1, 1, 8000, 12)), chunk("data", payload(40))}),
         RiffKind::Unsupported,
         44,
         40,
         {}},
        {"zero-channels",
         riff("WAVE", {chunk("fmt ", fmtPayload(1, 0, 44100, 16)), chunk("data", payload(40))}),
         RiffKind::Unsupported,
         44,
         40,
         {}},
        {"six-channels",
         riff("WAVE", {chunk("fmt ", fmtPayload(1, 6, 44100, 16)), chunk("data", payload(48))}),
         RiffKind::Unsupported,
         44,
         48,
         {}},
        {"rate-zero",
         riff("WAVE", {chunk("fmt ", fmtPayload(1, 2, 0, 16)), chunk("data", payload(40))}),
         RiffKind::Unsupported,
         44,
         40,
         {}},
        {"rate-huge",
         riff("WAVE",
              {chunk("fmt ", fmtPayload(1, 2, 0xFFFFFFFFU, 16)), chunk("data", payload(40))}),
         RiffKind::Unsupported,
         44,
         40,
         {}},
        {"extensible-float",
         riff("WAVE", {chunk("fmt ", extensibleFmt(3, 2, 32)), chunk("data", payload(64))}),
         RiffKind::PcmWave,
         68,
         64,
         {2, 48000, 32, SampleFormat::F32}},
        {"extensible-cut-short",
         riff("WAVE",
              {chunk("fmt ", cut(extensibleFmt(1, 2, 16), 30)), chunk("data", payload(64))}),
         RiffKind::Unsupported,
         12 + 38 + 8,
         64,
         {}},
    };
}

TEST(RiffParser, LayoutOfEachFile) {
    for (const RiffCase& c : riffCases()) {
        SCOPED_TRACE(c.name);
        const RiffLayout layout = parseRiff(MemoryBytes(c.file));
        EXPECT_EQ(static_cast<int>(layout.kind), static_cast<int>(c.kind));
        if (c.kind == RiffKind::PcmWave || c.kind == RiffKind::MpegInRiff) {
            EXPECT_EQ(layout.dataOffset, c.dataOffset);
            EXPECT_EQ(layout.dataBytes, c.dataBytes);
        }
        if (c.kind == RiffKind::PcmWave) {
            EXPECT_EQ(layout.pcm.channels, c.pcm.channels);
            EXPECT_EQ(layout.pcm.rateHz, c.pcm.rateHz);
            EXPECT_EQ(layout.pcm.bitsPerSample, c.pcm.bitsPerSample);
            EXPECT_EQ(layout.pcm.sampleFormat, c.pcm.sampleFormat);
        }
    }
}

TEST(RiffParser, ManyEmptyChunksEndTheWalk) {
    // A file of nothing but empty chunks ends the walk after a bounded number
    // of them instead of reading on to a 'data' chunk far behind.
    std::vector<Bytes> chunks(5000, chunk("junk", {}));
    chunks.push_back(chunk("fmt ", fmtPayload(1, 2, 44100, 16)));
    chunks.push_back(chunk("data", payload(40)));
    EXPECT_EQ(parseRiff(MemoryBytes(riff("WAVE", chunks))).kind, RiffKind::Unsupported);

    chunks.erase(chunks.begin(), chunks.begin() + 4900);
    EXPECT_EQ(parseRiff(MemoryBytes(riff("WAVE", chunks))).kind, RiffKind::PcmWave);
}

} // namespace
} // namespace slidora::vbmp3
