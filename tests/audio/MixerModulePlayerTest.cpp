// The media player as the program gets it: the mixer module loaded from a
// folder on the first open. Without a usable module it fails as a player
// without an audio device does; with the built one it plays.
#include "audio/MixerModulePlayer.h"

#include "GeneratedAudio.h"
#include "platform/ErrorText.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#ifndef SLIDORA_MIXER_MODULE_DIR
#error "SLIDORA_MIXER_MODULE_DIR must name the folder of the built module"
#endif

namespace slidora::test {
namespace {

std::string openError(MediaPlayer& player, const std::string& path) {
    try {
        player.open(path);
    } catch (const SlidoraError& e) {
        return e.what();
    }
    return "<no error>";
}

struct UnusableModule {
    const char* name;
    const char* content; // nullptr: no module file in the folder
};

class MixerModuleUnusable : public ::testing::TestWithParam<UnusableModule> {};

TEST_P(MixerModuleUnusable, EveryOpenFailsAndNothingPlays) {
    TempTree tree;
    const std::string wav = tree.text("music/tone.wav", toneWav(100));
    const std::string folder = tree.dir("program");
    if (GetParam().content != nullptr)
        tree.text(std::string("program/") + MixerModulePlayer::moduleFileName(),
                  GetParam().content);
    MixerModulePlayer player(folder);

    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::string error = openError(player, wav);
        EXPECT_NE(error.find(MixerModulePlayer::moduleFileName()), std::string::npos)
            << "attempt " << attempt << ": " << error;
        EXPECT_FALSE(player.isOpen());
        player.play();
        EXPECT_FALSE(player.isPlaying());
        player.close();
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, MixerModuleUnusable,
                         ::testing::Values(UnusableModule{"missing", nullptr},
                                           UnusableModule{"not_a_library", "text, not code"}),
                         [](const ::testing::TestParamInfo<UnusableModule>& testCase) {
                             return std::string(testCase.param.name);
                         });

TEST(MixerModulePlayer, TheBuiltModulePlaysAWavToItsEnd) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    TempTree tree;
    const std::string wav = tree.text("tone.wav", toneWav(200));
    MixerModulePlayer player(SLIDORA_MIXER_MODULE_DIR);
    EXPECT_FALSE(player.isOpen()) << "nothing is loaded before the first open";

    ASSERT_EQ(openError(player, wav), "<no error>");
    EXPECT_TRUE(player.isOpen());
    player.play();
    EXPECT_TRUE(player.isPlaying());
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (player.isPlaying() && std::chrono::steady_clock::now() < until) {
    }
    EXPECT_FALSE(player.isPlaying()) << "the tone never ended";
    player.close();
    EXPECT_FALSE(player.isOpen());
}

} // namespace
} // namespace slidora::test
