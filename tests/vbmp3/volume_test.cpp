// Plays through SDL's "disk" driver, which writes what the device receives to
// a file, and measures the level of each channel there.
#include "testaudio.h"

#include "vbmp3.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

namespace slidora::vbmp3 {
namespace {

using test::EnvironmentValue;
using test::ToneSpec;

struct ChannelLevels {
    double left = 0;
    double right = 0;
    std::size_t soundingFrames = 0;
};

// RMS of each channel over the frames where either channel sounds; the
// device also wrote silence before play and after the end.
ChannelLevels measure(const std::vector<std::int16_t>& interleavedStereo) {
    ChannelLevels levels;
    double sumLeft = 0;
    double sumRight = 0;
    for (std::size_t i = 0; i + 1 < interleavedStereo.size(); i += 2) {
        const double left = interleavedStereo[i];
        const double right = interleavedStereo[i + 1];
        if (left == 0 && right == 0) continue;
        sumLeft += left * left;
        sumRight += right * right;
        ++levels.soundingFrames;
    }
    if (levels.soundingFrames > 0) {
        levels.left = std::sqrt(sumLeft / static_cast<double>(levels.soundingFrames));
        levels.right = std::sqrt(sumRight / static_cast<double>(levels.soundingFrames));
    }
    return levels;
}

std::vector<std::int16_t> readCapture(const std::string& path) {
    const test::Bytes bytes = test::readFile(path);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// What a file's tone would measure on the device, before the volume.
ChannelLevels expectedLevels(const ToneSpec& tone) {
    std::vector<std::int16_t> samples = test::toneAsS16(tone);
    if (tone.channels == 1) {
        std::vector<std::int16_t> stereo;
        for (std::int16_t s : samples)
            stereo.insert(stereo.end(), {s, s});
        samples = std::move(stereo);
    }
    return measure(samples);
}

struct VolumeCase {
    const char* name;
    ToneSpec tone;
    int volumeLeft;
    int volumeRight;
};

TEST(Vbmp3Volume, CapturedLevelFollowsEachChannelsVolume) {
    test::TempDir dir;
    vbmp3_free();
    EnvironmentValue driver("SDL_AUDIODRIVER", "disk");
    // vbmp3_init tries the device once; keep that in the temp folder too.
    EnvironmentValue probeOutput("SDL_DISKAUDIOFILE", dir.path("probe.raw"));
    ASSERT_EQ(vbmp3_init(), 1) << "SDL's disk audio driver is not available";

    const ToneSpec stereo16{2, 44100, 16, 13230, 0.5, 441.0};
    const ToneSpec mono8{1, 22050, 8, 6615, 0.6, 315.0};
    const VolumeCase cases[] = {
        {"full", stereo16, 100, 100},
        {"quarter", stereo16, 25, 25},
        {"left-full-right-quarter", stereo16, 100, 25},
        {"left-muted", stereo16, 0, 60},
        {"mono-8bit-to-both-sides", mono8, 50, 100},
    };
    double fullLeftRms = 0;
    for (const VolumeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string wavPath = dir.path(std::string(c.name) + ".wav");
        const std::string capturePath = dir.path(std::string(c.name) + ".raw");
        test::writeFile(wavPath, test::wavFile(c.tone));
        EnvironmentValue output("SDL_DISKAUDIOFILE", capturePath);

        vbmp3_setVolume(c.volumeLeft, c.volumeRight);
        ASSERT_EQ(vbmp3_open(wavPath.c_str(), nullptr), 1);
        ASSERT_EQ(vbmp3_play(), 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (vbmp3_getState(nullptr) == 1 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_NE(vbmp3_getState(nullptr), 1) << "still playing at the deadline";
        ASSERT_EQ(vbmp3_close(), 1);

        const ChannelLevels measured = measure(readCapture(capturePath));
        const ChannelLevels source = expectedLevels(c.tone);
        ASSERT_GT(measured.soundingFrames, 0U) << "the capture is silent";
        // Every frame of the tone arrived once: none lost, none repeated.
        EXPECT_NEAR(static_cast<double>(measured.soundingFrames),
                    static_cast<double>(source.soundingFrames), source.soundingFrames * 0.01);
        const double wantLeft = source.left * c.volumeLeft / 100.0;
        const double wantRight = source.right * c.volumeRight / 100.0;
        EXPECT_NEAR(measured.left, wantLeft, source.left * 0.02 + 1.0);
        EXPECT_NEAR(measured.right, wantRight, source.right * 0.02 + 1.0);
        if (c.volumeLeft == 100 && c.tone.channels == 2) fullLeftRms = measured.left;
        if (c.volumeLeft == 25) {
            ASSERT_GT(fullLeftRms, 0.0);
            EXPECT_NEAR(fullLeftRms / measured.left, 4.0, 0.1);
        }
    }
    vbmp3_free();
}

TEST(Vbmp3Volume, ChangeWhilePlayingTakesEffect) {
    test::TempDir dir;
    vbmp3_free();
    EnvironmentValue driver("SDL_AUDIODRIVER", "disk");
    EnvironmentValue output("SDL_DISKAUDIOFILE", dir.path("capture.raw"));
    ASSERT_EQ(vbmp3_init(), 1);
    const ToneSpec tone{2, 44100, 16, 44100 * 20, 0.5, 441.0};
    test::writeFile(dir.path("long.wav"), test::wavFile(tone));
    vbmp3_setVolume(0, 0);
    ASSERT_EQ(vbmp3_open(dir.path("long.wav").c_str(), nullptr), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    vbmp3_setVolume(100, 100);
    // Wait until the capture holds sound, then stop: the volume raised while
    // playing reached the device long before the 20 s file could end.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    bool heard = false;
    while (!heard && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        heard = measure(readCapture(dir.path("capture.raw"))).soundingFrames > 0;
    }
    EXPECT_TRUE(heard);
    EXPECT_EQ(vbmp3_getState(nullptr), 1);
    EXPECT_EQ(vbmp3_close(), 1);
    vbmp3_free();
}

} // namespace
} // namespace slidora::vbmp3
