// MIDI must really sound, not only load: the mixer renders a generated MIDI
// file into SDL's disk driver and the captured samples must not be silent.
// A process of its own, because the disk driver is chosen when SDL audio
// starts.
#include "audio/SdlMixerPlayer.h"

#include "GeneratedAudio.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace slidora::test {
namespace {

TEST(MidiCapture, AGeneratedNoteIsAudible) {
    TempTree tree;
    const std::string mid = tree.text("note.mid", oneNoteMidi());
    const std::string capture = tree.path("capture.raw");
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    // No pacing: the driver writes as fast as the mixer renders.
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);

    {
        SdlMixerPlayer player;
        player.open(mid);
        player.play();
        ASSERT_TRUE(player.isPlaying());
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (player.isPlaying() && std::chrono::steady_clock::now() < until) {
        }
        EXPECT_FALSE(player.isPlaying()) << "the note never ended";
    } // the player closes the device, which flushes the capture

    std::ifstream in(capture, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 4u) << "nothing was captured";

    // Signed 16-bit samples, native order.
    int peak = 0;
    std::size_t loudSamples = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<std::uint8_t>(bytes[i]);
        const auto hi = static_cast<std::uint8_t>(bytes[i + 1]);
        const int sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
        const int magnitude = sample < 0 ? -sample : sample;
        if (magnitude > peak) peak = magnitude;
        if (magnitude > 300) ++loudSamples;
    }
    EXPECT_GT(peak, 1000) << "captured " << bytes.size() << " bytes";
    EXPECT_GT(loudSamples, 1000u) << "captured " << bytes.size() << " bytes, peak " << peak;
}

} // namespace
} // namespace slidora::test
