#include "audiosource.h"
#include "framering.h"
#include "testaudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

namespace slidora::vbmp3 {
namespace {

using test::Bytes;
using test::ToneSpec;

struct Decoded {
    Bytes bytes;
    std::vector<PcmFormat> formats; // each format in the order it appeared
    std::vector<std::size_t> framesPerFormat;
};

Decoded decodeAll(AudioSource& source) {
    Decoded out;
    Bytes buffer(16384);
    // Bounded so a source that never ends fails the test instead of hanging it.
    for (int call = 0; call < 100000 && !source.ended(); ++call) {
        const PcmFormat format = source.format();
        if (out.formats.empty() || !(out.formats.back() == format)) {
            out.formats.push_back(format);
            out.framesPerFormat.push_back(0);
        }
        const std::size_t got = source.read(buffer);
        EXPECT_EQ(got % static_cast<std::size_t>(format.frameBytes()), 0U);
        out.bytes.insert(out.bytes.end(), buffer.begin(),
                         buffer.begin() + static_cast<std::ptrdiff_t>(got));
        out.framesPerFormat.back() += got / static_cast<std::size_t>(format.frameBytes());
    }
    EXPECT_TRUE(source.ended());
    return out;
}

double rmsOfS16(const Bytes& bytes) {
    double sum = 0;
    const std::size_t count = bytes.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        std::int16_t sample = 0;
        std::memcpy(&sample, &bytes[2 * i], 2);
        sum += static_cast<double>(sample) * sample;
    }
    return count == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(count));
}

TEST(WavSource, HandsOutTheDataChunkAsStored) {
    test::TempDir dir;
    const ToneSpec tones[] = {
        {2, 44100, 16, 4410, 0.5, 441.0},
        {1, 8000, 8, 800, 0.8, 400.0},
        {1, 22050, 16, 3001, 0.3, 1000.0},
        {2, 11025, 8, 1103, 0.6, 300.0},
    };
    for (const ToneSpec& tone : tones) {
        SCOPED_TRACE(std::to_string(tone.channels) + "ch " + std::to_string(tone.bitsPerSample) +
                     "bit " + std::to_string(tone.rateHz) + "Hz");
        const std::string path = dir.path("tone.wav");
        test::writeFile(path, test::wavFile(tone));
        auto source = openAudioSource(path.c_str());
        ASSERT_TRUE(source);
        EXPECT_EQ(source->format().channels, tone.channels);
        EXPECT_EQ(source->format().rateHz, tone.rateHz);
        EXPECT_EQ(source->format().sampleFormat,
                  tone.bitsPerSample == 8 ? SampleFormat::U8 : SampleFormat::S16);
        EXPECT_EQ(source->details().kind, SourceKind::PcmWave);
        EXPECT_EQ(source->details().durationMs,
                  static_cast<std::int64_t>(tone.frames) * 1000 / tone.rateHz);
        const Decoded decoded = decodeAll(*source);
        EXPECT_EQ(decoded.bytes, test::tonePcm(tone));
    }
}

TEST(WavSource, TruncatedDataPlaysWhatIsThere) {
    test::TempDir dir;
    const ToneSpec tone{2, 44100, 16, 1000, 0.5, 441.0};
    Bytes file = test::wavFile(tone);
    file.resize(44 + 4 * 250 + 3); // a quarter of the frames and a partial one
    const std::string path = dir.path("cut.wav");
    test::writeFile(path, file);
    auto source = openAudioSource(path.c_str());
    ASSERT_TRUE(source);
    const Decoded decoded = decodeAll(*source);
    EXPECT_EQ(decoded.bytes.size(), 4U * 250);
}

// MP3 content made by lame from a generated tone, shared by the MPEG cases.
class MpegSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::lameAvailable())
            GTEST_SKIP() << "lame is not installed; MPEG decoding is not tested";
        test::writeFile(m_dir.path("tone.wav"), test::wavFile(m_tone));
        ASSERT_TRUE(test::encodeMp3(m_dir.path("tone.wav"), m_dir.path("tone.mp3"), "-b 128"));
        m_mp3 = test::readFile(m_dir.path("tone.mp3"));
        ASSERT_GT(m_mp3.size(), 1000U);
    }

    std::unique_ptr<AudioSource> openBytes(const std::string& name, const Bytes& bytes) {
        const std::string path = m_dir.path(name);
        test::writeFile(path, bytes);
        return openAudioSource(path.c_str());
    }

    test::TempDir m_dir;
    const ToneSpec m_tone{2, 44100, 16, 22050, 0.5, 441.0};
    Bytes m_mp3;
};

TEST_F(MpegSourceTest, DecodesTheToneAtItsLengthAndLevel) {
    auto source = openBytes("tone.mp3", m_mp3);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->details().kind, SourceKind::Mpeg);
    EXPECT_EQ(source->details().mpegLayer, 3);
    EXPECT_NEAR(static_cast<double>(source->details().durationMs), 500.0, 60.0);
    const PcmFormat expected{SampleFormat::S16, 2, 44100};
    EXPECT_EQ(source->format(), expected);
    const Decoded decoded = decodeAll(*source);
    ASSERT_EQ(decoded.formats.size(), 1U);
    // lame's delay and padding are trimmed through its info frame; allow one
    // frame of slack either way.
    EXPECT_NEAR(static_cast<double>(decoded.framesPerFormat[0]), m_tone.frames, 1152.0);
    const double toneRms = 0.5 * 32767.0 / std::sqrt(2.0);
    EXPECT_NEAR(rmsOfS16(decoded.bytes), toneRms, toneRms * 0.1);
}

TEST_F(MpegSourceTest, RiffWrappedStreamsDecodeLikeTheBareOne) {
    auto bare = openBytes("bare.mp3", m_mp3);
    ASSERT_TRUE(bare);
    const Bytes expected = decodeAll(*bare).bytes;
    using test::chunk;
    using test::riff;
    const struct {
        const char* name;
        Bytes file;
    } wrapped[] = {
        {"song.rmp", riff("RMP3", {chunk("data", m_mp3), chunk("LIST", Bytes(30, 'x'))})},
        {"mpeg-layer3.wav", riff("WAVE", {chunk("fmt ", test::mpegLayer3FmtPayload(2, 44100)),
                                          chunk("fact", Bytes{0, 0, 0, 0}), chunk("data", m_mp3)})},
        {"rmp-named.mp3", riff("RMP3", {chunk("data", m_mp3)})},
    };
    for (const auto& w : wrapped) {
        SCOPED_TRACE(w.name);
        auto source = openBytes(w.name, w.file);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->details().kind, SourceKind::MpegInRiff);
        EXPECT_EQ(decodeAll(*source).bytes, expected);
    }
}

TEST_F(MpegSourceTest, ContentDecidesNotTheName) {
    auto mp3NamedWav = openBytes("mp3-named.wav", m_mp3);
    ASSERT_TRUE(mp3NamedWav);
    EXPECT_EQ(mp3NamedWav->details().kind, SourceKind::Mpeg);
    auto wavNamedMp3 = openBytes("wav-named.mp3", test::wavFile(m_tone));
    ASSERT_TRUE(wavNamedMp3);
    EXPECT_EQ(wavNamedMp3->details().kind, SourceKind::PcmWave);
}

TEST_F(MpegSourceTest, LeadingId3TagIsSkipped) {
    ASSERT_TRUE(test::encodeMp3(m_dir.path("tone.wav"), m_dir.path("tagged.mp3"),
                                "-b 128 --add-id3v2 --pad-id3v2-size 3000 --tt Title"));
    const Bytes tagged = test::readFile(m_dir.path("tagged.mp3"));
    ASSERT_EQ(std::memcmp(tagged.data(), "ID3", 3), 0);
    auto source = openBytes("tagged.mp3", tagged);
    ASSERT_TRUE(source);
    EXPECT_NEAR(static_cast<double>(decodeAll(*source).framesPerFormat.at(0)), m_tone.frames,
                1152.0);
}

TEST_F(MpegSourceTest, FormatChangeMidStreamIsReported) {
    const ToneSpec monoTone{1, 22050, 16, 11025, 0.5, 441.0};
    test::writeFile(m_dir.path("mono.wav"), test::wavFile(monoTone));
    ASSERT_TRUE(test::encodeMp3(m_dir.path("mono.wav"), m_dir.path("mono.mp3"), "-b 64 -m m -t"));
    ASSERT_TRUE(test::encodeMp3(m_dir.path("tone.wav"), m_dir.path("plain.mp3"), "-b 128 -t"));
    Bytes joined = test::readFile(m_dir.path("plain.mp3"));
    const Bytes mono = test::readFile(m_dir.path("mono.mp3"));
    joined.insert(joined.end(), mono.begin(), mono.end());
    auto source = openBytes("joined.mp3", joined);
    ASSERT_TRUE(source);
    const Decoded decoded = decodeAll(*source);
    ASSERT_EQ(decoded.formats.size(), 2U);
    EXPECT_EQ(decoded.formats[0], (PcmFormat{SampleFormat::S16, 2, 44100}));
    EXPECT_EQ(decoded.formats[1], (PcmFormat{SampleFormat::S16, 1, 22050}));
    // Without the info frame lame's delay and padding stay in: up to about
    // two frames more per part.
    EXPECT_NEAR(static_cast<double>(decoded.framesPerFormat[0]), m_tone.frames, 2 * 1152.0 + 600.0);
    EXPECT_NEAR(static_cast<double>(decoded.framesPerFormat[1]), monoTone.frames,
                2 * 576.0 + 600.0);
}

TEST_F(MpegSourceTest, BrokenMpegIsRejected) {
    using test::chunk;
    using test::riff;
    const Bytes text(4000, 'a');
    Bytes tagOnly = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 10};
    tagOnly.resize(20, 0);
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"text-in-rmp.rmp", riff("RMP3", {chunk("data", text)})},
        {"text-in-mpeg-wave.wav",
         riff("WAVE", {chunk("fmt ", test::mpegLayer3FmtPayload(2, 44100)), chunk("data", text)})},
        {"rmp-without-data.rmp", riff("RMP3", {chunk("LIST", m_mp3)})},
        {"empty-data.rmp", riff("RMP3", {chunk("data", {})})},
        {"id3-tag-only.mp3", tagOnly},
        {"first-bytes-only.mp3", Bytes(m_mp3.begin(), m_mp3.begin() + 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(openBytes(c.name, c.file));
    }
}

TEST(AudioSource, NonAudioIsRejected) {
    test::TempDir dir;
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "This is a plain text file, not audio.\n";
    test::writeFile(dir.path("text.mp3"), Bytes(text.begin(), text.end()));
    test::writeFile(dir.path("empty.mp3"), {});
    test::writeFile(dir.path("empty.wav"), {});
    std::filesystem::create_directory(dir.path("folder.mp3"));
    const char* names[] = {"text.mp3", "empty.mp3", "empty.wav", "folder.mp3", "missing.mp3"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(openAudioSource(dir.path(name).c_str()));
    }
    EXPECT_FALSE(openAudioSource(nullptr));
    EXPECT_FALSE(openAudioSource(""));
}

TEST(FrameRing, KeepsOrderAcrossTheWrap) {
    FrameRing ring(5); // rounded up to 8
    ASSERT_EQ(ring.capacityFrames(), 8U);
    std::int16_t next = 0;
    std::int16_t expected = 0;
    for (int round = 0; round < 10; ++round) {
        std::size_t toWrite = 5;
        while (toWrite > 0) {
            auto run = ring.writableRun();
            ASSERT_FALSE(run.empty());
            const std::size_t frames = std::min(toWrite, run.size() / 2);
            for (std::size_t i = 0; i < frames * 2; ++i)
                run[i] = next++;
            ring.commitWrite(frames);
            toWrite -= frames;
        }
        EXPECT_EQ(ring.availableFrames(), 5U);
        while (ring.availableFrames() > 0) {
            auto run = ring.readableRun();
            for (std::int16_t value : run)
                EXPECT_EQ(value, expected++);
            ring.commitRead(run.size() / 2);
        }
    }
    // Full ring: no room to write until something is read.
    while (!ring.writableRun().empty())
        ring.commitWrite(ring.writableRun().size() / 2);
    EXPECT_EQ(ring.availableFrames(), 8U);
}

} // namespace
} // namespace slidora::vbmp3
