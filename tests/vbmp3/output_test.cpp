// Plays files through the library over a fake output that records how it was
// opened and hands the rendered frames to the test, which pulls them itself:
// nothing is consumed behind the test's back, so no answer depends on time.
#include "library.h"
#include "testaudio.h"
#include "vbmp3.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace slidora::vbmp3 {
namespace {

using test::ToneSpec;

class FakeOutput final : public AudioOutput {
  public:
    std::vector<OutputFormat> opened;
    OutputRenderer* renderer = nullptr;
    bool running = false;

    bool start() override { return true; }
    void stop() override { close(); }
    bool open(const OutputFormat& format, OutputRenderer& target) override {
        opened.push_back(format);
        renderer = &target;
        running = false;
        return true;
    }
    void resume() override { running = renderer != nullptr; }
    void close() override { renderer = nullptr; }
    bool lost() const override { return false; }
};

struct Capture {
    OutputFormat format;
    std::vector<std::int16_t> left; // the left side of every sounding frame
    bool playingAtStart = false;
};

// Pulls frames until the file has ended. A block that comes back silent met
// a ring the decoder has not filled yet and is not counted.
Capture playToEnd(Library& library, FakeOutput& output, const std::string& path) {
    Capture capture;
    if (!library.open(path.c_str(), nullptr) || !library.play()) return capture;
    capture.format = output.opened.back();
    capture.playingAtStart = library.getState() == Playback::kPlaying;
    std::vector<std::int16_t> block(2 * 256);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (output.running && library.getState() == Playback::kPlaying &&
           std::chrono::steady_clock::now() < deadline) {
        output.renderer->render(block.data(), block.size() / 2);
        std::size_t frames = block.size() / 2;
        while (frames > 0 && block[2 * frames - 2] == 0 && block[2 * frames - 1] == 0)
            --frames;
        for (std::size_t i = 0; i < frames; ++i)
            capture.left.push_back(block[2 * i]);
    }
    library.close();
    return capture;
}

// The tone's frequency as heard when the frames play at the output's rate.
double heardFrequencyHz(const Capture& capture) {
    int crossings = 0;
    for (std::size_t i = 1; i < capture.left.size(); ++i)
        if ((capture.left[i - 1] < 0) != (capture.left[i] < 0)) ++crossings;
    const double seconds = static_cast<double>(capture.left.size()) / capture.format.rateHz;
    return crossings / 2.0 / seconds;
}

double rms(const std::vector<std::int16_t>& samples) {
    double sum = 0;
    for (const std::int16_t s : samples)
        sum += static_cast<double>(s) * s;
    return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

class Vbmp3Output : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_library.init()); }

    std::string writeWav(const std::string& name, const ToneSpec& tone) {
        const std::string path = m_dir.path(name);
        test::writeFile(path, test::wavFile(tone));
        return path;
    }

    void expectPlayedAsWritten(const std::string& path, const ToneSpec& tone) {
        SCOPED_TRACE(path);
        const Capture capture = playToEnd(m_library, *m_output, path);
        EXPECT_TRUE(capture.playingAtStart);
        EXPECT_EQ(capture.format.rateHz, tone.rateHz);
        EXPECT_EQ(capture.format.channels, 2);
        EXPECT_NEAR(static_cast<double>(capture.left.size()), tone.frames, tone.frames * 0.01);
        EXPECT_NEAR(heardFrequencyHz(capture), tone.frequencyHz, tone.frequencyHz * 0.02);
        EXPECT_NEAR(rms(capture.left), tone.amplitude * 32767 / std::sqrt(2.0), 300.0);
    }

    test::TempDir m_dir;
    // Owned by the library; the test only watches it.
    FakeOutput* m_output = new FakeOutput;
    Library m_library{std::unique_ptr<AudioOutput>(m_output)};
};

struct SequenceCase {
    const char* name;
    std::vector<ToneSpec> files; // played in this order
};

void PrintTo(const SequenceCase& c, std::ostream* out) {
    *out << c.name;
}

std::string sequenceName(const ::testing::TestParamInfo<SequenceCase>& info) {
    return info.param.name;
}

class Vbmp3OutputSequence : public Vbmp3Output,
                            public ::testing::WithParamInterface<SequenceCase> {};

// Whatever played before, each file is heard at its own pitch and length.
TEST_P(Vbmp3OutputSequence, EachFilePlaysInItsOwnFormat) {
    int index = 0;
    for (const ToneSpec& tone : GetParam().files) {
        const std::string path = writeWav(std::to_string(index++) + ".wav", tone);
        expectPlayedAsWritten(path, tone);
    }
}

constexpr int kFrames = 9000;

INSTANTIATE_TEST_SUITE_P(
    Files, Vbmp3OutputSequence,
    ::testing::Values(
        SequenceCase{
            "StereoThenMonoAtHalfTheRate",
            {{2, 44100, 16, 2 * kFrames, 0.5, 441.0}, {1, 22050, 16, kFrames, 0.5, 441.0}}},
        SequenceCase{"LowRateThenHighRate",
                     {{1, 11025, 8, kFrames, 0.5, 300.0}, {2, 48000, 16, kFrames, 0.5, 480.0}}},
        SequenceCase{
            "FloatAfterSixteenBit",
            {{2, 44100, 16, kFrames, 0.5, 441.0}, {2, 48000, 32, kFrames, 0.5, 480.0, true}}},
        SequenceCase{"TwentyFourAndThirtyTwoBit",
                     {{2, 96000, 24, kFrames, 0.5, 960.0}, {1, 32000, 32, kFrames, 0.5, 320.0}}}),
    sequenceName);

TEST_F(Vbmp3Output, MpegAtHalfTheRateAfterAFullRateOne) {
    if (!test::lameAvailable()) GTEST_SKIP() << "lame is not installed";
    const ToneSpec full{2, 44100, 16, 44100, 0.5, 441.0};
    const ToneSpec half{1, 22050, 16, 22050, 0.5, 441.0};
    ASSERT_TRUE(test::encodeMp3(writeWav("full.wav", full), m_dir.path("full.mp3"), "-b 128"));
    ASSERT_TRUE(test::encodeMp3(writeWav("half.wav", half), m_dir.path("half.mp3"), "-b 64 -m m"));
    for (const auto& [name, tone] : {std::pair{"full.mp3", full}, std::pair{"half.mp3", half}}) {
        SCOPED_TRACE(name);
        const Capture capture = playToEnd(m_library, *m_output, m_dir.path(name));
        EXPECT_EQ(capture.format.rateHz, tone.rateHz);
        // The encoder pads a little at both ends.
        EXPECT_NEAR(static_cast<double>(capture.left.size()), tone.frames, tone.frames * 0.1);
        EXPECT_NEAR(heardFrequencyHz(capture), tone.frequencyHz, tone.frequencyHz * 0.03);
    }
}

// A short 16-bit file played again and again: it counts as playing from the
// start until its last frame has been taken, and every frame arrives.
TEST_F(Vbmp3Output, ShortSixteenBitWavPlaysWholeEveryTime) {
    const ToneSpec tone{2, 44100, 16, 8820, 0.5, 441.0};
    const std::string path = writeWav("short.wav", tone);
    for (int run = 0; run < 200; ++run) {
        SCOPED_TRACE(run);
        const Capture capture = playToEnd(m_library, *m_output, path);
        ASSERT_TRUE(capture.playingAtStart);
        ASSERT_NEAR(static_cast<double>(capture.left.size()), tone.frames, tone.frames * 0.01);
    }
}

} // namespace
} // namespace slidora::vbmp3
