#include "testaudio.h"

#include "vbmp3.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

namespace slidora::vbmp3 {
namespace {

using test::Bytes;
using test::ToneSpec;

// Polls until the open file no longer plays or the deadline passes; returns
// the last answer.
int waitWhilePlaying(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int state = vbmp3_getState(nullptr);
    while (state == 1 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state = vbmp3_getState(nullptr);
    }
    return state;
}

constexpr std::chrono::milliseconds kEndTimeout{15000};

class Vbmp3Api : public ::testing::Test {
  protected:
    void SetUp() override {
        vbmp3_free();
        vbmp3_setVolume(100, 100);
    }
    void TearDown() override { vbmp3_free(); }

    std::string writeWav(const std::string& name, const ToneSpec& tone) {
        const std::string path = m_dir.path(name);
        test::writeFile(path, test::wavFile(tone));
        return path;
    }

    // Every case plays on SDL's dummy device whatever the caller's
    // environment holds; it consumes samples in real time without hardware.
    test::EnvironmentValue m_driver{"SDL_AUDIODRIVER", "dummy"};
    test::TempDir m_dir;
};

TEST_F(Vbmp3Api, CallsWithoutInitAreHarmless) {
    vbmp3_free();
    vbmp3_free();
    EXPECT_EQ(vbmp3_close(), 1);
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_NE(vbmp3_getState(nullptr), 1);
    vbmp3_setVolume(50, 50);
    const std::string path = writeWav("tone.wav", {});
    alignas(int) unsigned char info[VBMP3_INFO_SIZE];
    std::memset(info, 0xAB, sizeof info);
    EXPECT_EQ(vbmp3_open(path.c_str(), info), 0);
    EXPECT_EQ(info[0], 0);
    EXPECT_EQ(info[VBMP3_INFO_SIZE - 1], 0);
}

TEST_F(Vbmp3Api, InitFailsWithoutAnAudioDriver) {
    test::EnvironmentValue noDriver("SDL_AUDIODRIVER", "no-such-driver");
    EXPECT_EQ(vbmp3_init(), 0);
    const std::string path = writeWav("tone.wav", {});
    EXPECT_EQ(vbmp3_open(path.c_str(), nullptr), 0);
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_NE(vbmp3_getState(nullptr), 1);
    EXPECT_EQ(vbmp3_close(), 1);
    vbmp3_free();
    vbmp3_free();
}

TEST_F(Vbmp3Api, InitFreeCycles) {
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_EQ(vbmp3_init(), 1);
        EXPECT_EQ(vbmp3_init(), 1);
        EXPECT_EQ(vbmp3_close(), 1);
        vbmp3_free();
        vbmp3_free();
        EXPECT_EQ(vbmp3_close(), 1);
    }
}

struct GoodFile {
    const char* name;
    ToneSpec tone;
};

TEST_F(Vbmp3Api, WavFilesPlayToTheirEnd) {
    ASSERT_EQ(vbmp3_init(), 1);
    const GoodFile files[] = {
        {"stereo-16bit-44k.wav", {2, 44100, 16, 8820, 0.5, 441.0}},
        {"mono-8bit-8k.wav", {1, 8000, 8, 1600, 0.5, 400.0}},
        {"mono-16bit-22k.wav", {1, 22050, 16, 4410, 0.5, 441.0}},
        {"stereo-8bit-48k.wav", {2, 48000, 8, 9600, 0.5, 480.0}},
        {"one-frame.wav", {1, 44100, 16, 1, 0.5, 441.0}},
    };
    for (const GoodFile& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = writeWav(file.name, file.tone);
        Vbmp3Info info{};
        alignas(Vbmp3Info) unsigned char record[VBMP3_INFO_SIZE];
        ASSERT_EQ(vbmp3_open(path.c_str(), record), 1);
        std::memcpy(&info, record, sizeof info);
        EXPECT_EQ(info.kind, VBMP3_KIND_PCM_WAVE);
        EXPECT_EQ(info.sampleRateHz, file.tone.rateHz);
        EXPECT_EQ(info.channels, file.tone.channels);
        EXPECT_EQ(info.bitsPerSample, file.tone.bitsPerSample);
        EXPECT_EQ(info.mpegLayer, 0);
        EXPECT_EQ(info.durationMs, file.tone.frames * 1000 / file.tone.rateHz);

        EXPECT_NE(vbmp3_getState(nullptr), 1) << "not started yet";
        ASSERT_EQ(vbmp3_play(), 1);
        EXPECT_EQ(vbmp3_play(), 1);
        int state = -7;
        const int result = vbmp3_getState(&state);
        EXPECT_EQ(state, result);
        EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);
        EXPECT_EQ(vbmp3_close(), 1);
        EXPECT_NE(vbmp3_getState(nullptr), 1);
    }
}

TEST_F(Vbmp3Api, CloseStopsAPlayingFile) {
    ASSERT_EQ(vbmp3_init(), 1);
    const std::string path = writeWav("long.wav", {2, 44100, 16, 44100 * 30, 0.5, 441.0});
    ASSERT_EQ(vbmp3_open(path.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(vbmp3_getState(nullptr), 1);
    EXPECT_EQ(vbmp3_close(), 1);
    EXPECT_EQ(vbmp3_getState(nullptr), 0);
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_close(), 1);
}

TEST_F(Vbmp3Api, RapidOpenPlayCloseCycles) {
    // Closing while the decoder thread is still filling the ring, and right
    // after the device started, must neither hang nor touch freed memory.
    ASSERT_EQ(vbmp3_init(), 1);
    const std::string path = writeWav("long.wav", {2, 44100, 16, 44100 * 5, 0.5, 441.0});
    for (int cycle = 0; cycle < 40; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_EQ(vbmp3_open(path.c_str(), nullptr), 1);
        const bool plays = cycle % 2 == 0;
        if (plays) {
            ASSERT_EQ(vbmp3_play(), 1);
        }
        EXPECT_EQ(vbmp3_getState(nullptr), plays ? 1 : 0);
        // Every third file is left open for the next open to replace.
        if (cycle % 3 != 0) {
            ASSERT_EQ(vbmp3_close(), 1);
        }
    }
    EXPECT_EQ(vbmp3_close(), 1);
    EXPECT_NE(vbmp3_getState(nullptr), 1);
}

TEST_F(Vbmp3Api, FreeWhilePlayingThenStartAgain) {
    ASSERT_EQ(vbmp3_init(), 1);
    const std::string longPath = writeWav("long.wav", {2, 44100, 16, 44100 * 30, 0.5, 441.0});
    ASSERT_EQ(vbmp3_open(longPath.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    vbmp3_free();
    EXPECT_NE(vbmp3_getState(nullptr), 1);
    EXPECT_EQ(vbmp3_close(), 1);
    EXPECT_EQ(vbmp3_open(longPath.c_str(), nullptr), 0) << "freed library still opens files";

    ASSERT_EQ(vbmp3_init(), 1);
    const std::string shortPath = writeWav("short.wav", {1, 22050, 16, 2205, 0.5, 441.0});
    ASSERT_EQ(vbmp3_open(shortPath.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);
}

TEST_F(Vbmp3Api, OpenWhileOpenReplacesTheFile) {
    ASSERT_EQ(vbmp3_init(), 1);
    const std::string longPath = writeWav("long.wav", {2, 44100, 16, 44100 * 30, 0.5, 441.0});
    const std::string shortPath = writeWav("short.wav", {2, 44100, 16, 4410, 0.5, 441.0});
    ASSERT_EQ(vbmp3_open(longPath.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    ASSERT_EQ(vbmp3_open(shortPath.c_str(), nullptr), 1);
    EXPECT_NE(vbmp3_getState(nullptr), 1) << "the old file still plays";
    ASSERT_EQ(vbmp3_play(), 1);
    // Ends with the short file, well before the 30 s one could.
    EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);

    // A failed open also leaves nothing playing.
    ASSERT_EQ(vbmp3_open(longPath.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(vbmp3_open(m_dir.path("missing.wav").c_str(), nullptr), 0);
    EXPECT_NE(vbmp3_getState(nullptr), 1);
    EXPECT_EQ(vbmp3_play(), 0);
}

TEST_F(Vbmp3Api, BadFilesFailCleanly) {
    ASSERT_EQ(vbmp3_init(), 1);
    using test::chunk;
    using test::riff;
    const ToneSpec tone{2, 44100, 16, 4410, 0.5, 441.0};
    const Bytes good = test::wavFile(tone);
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "Not audio at all, just some words in a file.\n";
    const struct {
        const char* name;
        std::optional<Bytes> file; // none: the file is not created
    } cases[] = {
        {"text.mp3", Bytes(text.begin(), text.end())},
        {"empty.mp3", Bytes{}},
        {"empty.wav", Bytes{}},
        {"missing.mp3", std::nullopt},
        {"header-cut.wav", Bytes(good.begin(), good.begin() + 30)},
        {"riff-only.wav", Bytes(good.begin(), good.begin() + 12)},
        {"data-header-only.wav", Bytes(good.begin(), good.begin() + 44)},
        {"fmt-claims-4gb.wav", riff("WAVE",
                                    {chunk("fmt ", test::fmtPayload(1, 2, 44100, 16), 0xFFFFFFF0U),
                                     chunk("data", Bytes(400, 0))},
                                    0xFFFFFFFFU)},
        {"no-fmt.wav", riff("WAVE", {chunk("data", Bytes(400, 0))})},
        {"adpcm.wav", riff("WAVE", {chunk("fmt ", test::fmtPayload(2, 2, 44100, 4)),
                                    chunk("data", Bytes(400, 0))})},
        {"avi.avi", riff("AVI ", {chunk("data", Bytes(400, 0))})},
        {"double-float.wav", riff("WAVE", {chunk("fmt ", test::fmtPayload(3, 2, 44100, 64)),
                                           chunk("data", Bytes(400, 0))})},
        {"mu-law.wav", riff("WAVE", {chunk("fmt ", test::fmtPayload(7, 1, 8000, 8)),
                                     chunk("data", Bytes(400, 0))})},
        {"four-channels.wav", riff("WAVE", {chunk("fmt ", test::fmtPayload(1, 4, 44100, 16)),
                                            chunk("data", Bytes(400, 0))})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.path(c.name);
        if (c.file) test::writeFile(path, *c.file);
        alignas(Vbmp3Info) unsigned char record[VBMP3_INFO_SIZE];
        std::memset(record, 0x5A, sizeof record);
        EXPECT_EQ(vbmp3_open(path.c_str(), record), 0);
        EXPECT_EQ(record[0], 0);
        EXPECT_EQ(vbmp3_play(), 0);
        EXPECT_NE(vbmp3_getState(nullptr), 1);
        EXPECT_EQ(vbmp3_close(), 1);
    }
    std::filesystem::create_directory(m_dir.path("folder.wav"));
    EXPECT_EQ(vbmp3_open(m_dir.path("folder.wav").c_str(), nullptr), 0);
    EXPECT_EQ(vbmp3_open(nullptr, nullptr), 0);

    // The library is still usable after all that.
    const std::string path = m_dir.path("good.wav");
    test::writeFile(path, good);
    ASSERT_EQ(vbmp3_open(path.c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);
}

TEST_F(Vbmp3Api, WavClaimingHugeSizesPlaysWhatIsThere) {
    ASSERT_EQ(vbmp3_init(), 1);
    using test::chunk;
    using test::riff;
    const ToneSpec tone{2, 44100, 16, 4410, 0.5, 441.0};
    const Bytes file = riff("WAVE",
                            {chunk("fmt ", test::fmtPayload(1, 2, 44100, 16)),
                             chunk("data", test::tonePcm(tone), 0xFFFFFFFFU)},
                            0xFFFFFFFFU);
    const std::string path = m_dir.path("huge-claims.wav");
    test::writeFile(path, file);
    Vbmp3Info info{};
    alignas(Vbmp3Info) unsigned char record[VBMP3_INFO_SIZE];
    ASSERT_EQ(vbmp3_open(path.c_str(), record), 1);
    std::memcpy(&info, record, sizeof info);
    EXPECT_EQ(info.durationMs, 100);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);
}

TEST_F(Vbmp3Api, MpegFilesPlayToTheirEnd) {
    if (!test::lameAvailable())
        GTEST_SKIP() << "lame is not installed; MPEG playback is not tested";
    ASSERT_EQ(vbmp3_init(), 1);
    const ToneSpec stereo{2, 44100, 16, 13230, 0.5, 441.0};
    const ToneSpec mono{1, 22050, 16, 6615, 0.5, 441.0};
    test::writeFile(m_dir.path("stereo.wav"), test::wavFile(stereo));
    test::writeFile(m_dir.path("mono.wav"), test::wavFile(mono));
    ASSERT_TRUE(test::encodeMp3(m_dir.path("stereo.wav"), m_dir.path("stereo.mp3"), "-b 128"));
    ASSERT_TRUE(test::encodeMp3(m_dir.path("mono.wav"), m_dir.path("mono.mp3"), "-b 32 -m m"));
    const Bytes stereoMp3 = test::readFile(m_dir.path("stereo.mp3"));
    using test::chunk;
    using test::riff;
    test::writeFile(m_dir.path("wrapped.rmp"), riff("RMP3", {chunk("data", stereoMp3)}));
    // A stereo 44.1 kHz stream followed by a mono 22.05 kHz one: the device
    // stays, the conversion in front of it is rebuilt. Without lame's info
    // frame (-t), which would end decoding after the first part.
    ASSERT_TRUE(
        test::encodeMp3(m_dir.path("stereo.wav"), m_dir.path("stereo-untagged.mp3"), "-b 128 -t"));
    ASSERT_TRUE(
        test::encodeMp3(m_dir.path("mono.wav"), m_dir.path("mono-untagged.mp3"), "-b 32 -m m -t"));
    Bytes joined = test::readFile(m_dir.path("stereo-untagged.mp3"));
    const Bytes monoMp3 = test::readFile(m_dir.path("mono-untagged.mp3"));
    joined.insert(joined.end(), monoMp3.begin(), monoMp3.end());
    test::writeFile(m_dir.path("joined.mp3"), joined);
    test::writeFile(m_dir.path("mpeg.wav"),
                    riff("WAVE", {chunk("fmt ", test::mpegLayer3FmtPayload(2, 44100)),
                                  chunk("data", stereoMp3)}));
    const struct {
        const char* name;
        int kind;
        int rateHz;
        int channels;
    } files[] = {
        {"stereo.mp3", VBMP3_KIND_MPEG, 44100, 2},
        {"mono.mp3", VBMP3_KIND_MPEG, 22050, 1},
        {"wrapped.rmp", VBMP3_KIND_MPEG_IN_RIFF, 44100, 2},
        {"mpeg.wav", VBMP3_KIND_MPEG_IN_RIFF, 44100, 2},
        {"joined.mp3", VBMP3_KIND_MPEG, 44100, 2},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        Vbmp3Info info{};
        alignas(Vbmp3Info) unsigned char record[VBMP3_INFO_SIZE];
        ASSERT_EQ(vbmp3_open(m_dir.path(file.name).c_str(), record), 1);
        std::memcpy(&info, record, sizeof info);
        EXPECT_EQ(info.kind, file.kind);
        EXPECT_EQ(info.sampleRateHz, file.rateHz);
        EXPECT_EQ(info.channels, file.channels);
        EXPECT_EQ(info.bitsPerSample, 16);
        EXPECT_EQ(info.mpegLayer, 3);
        // An estimate from the stream's size and bit rate, lame's padding
        // included; the joined file's mixes two bit rates and is not checked.
        if (std::strcmp(file.name, "joined.mp3") != 0) {
            EXPECT_NEAR(info.durationMs, 300, 100);
        }
        ASSERT_EQ(vbmp3_play(), 1);
        EXPECT_EQ(vbmp3_getState(nullptr), 1);
        EXPECT_EQ(waitWhilePlaying(kEndTimeout), 0);
        EXPECT_EQ(vbmp3_close(), 1);
    }
}

} // namespace
} // namespace slidora::vbmp3
