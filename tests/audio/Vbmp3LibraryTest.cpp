// The adapter over the real MP3 playback library, on the calls the saver
// relies on. SDL's dummy driver stands in for a sound card.
#include "audio/Vbmp3Library.h"

#include "GeneratedAudio.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace slidora::test {
namespace {

TEST(Vbmp3Library, PlaysAGeneratedWavThroughTheSevenCalls) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    TempTree tree;
    const std::string wav = tree.text("tone.wav", toneWav(200));
    const std::string text = tree.text("text.mp3", "this is no mpeg stream at all");
    Vbmp3Library library;

    // Calls the saver may make before init or with nothing open.
    EXPECT_TRUE(library.close());
    library.free();

    ASSERT_TRUE(library.init());
    library.setVolume(50, 50);
    EXPECT_FALSE(library.open(tree.path("missing.mp3")));
    EXPECT_FALSE(library.open(text));

    ASSERT_TRUE(library.open(wav));
    ASSERT_TRUE(library.play());
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int state = library.getState();
    EXPECT_EQ(state, 1);
    while (state == 1 && std::chrono::steady_clock::now() < until)
        state = library.getState();
    EXPECT_NE(state, 1) << "the tone never ended";
    EXPECT_TRUE(library.close());

    library.free();
    library.free();
    EXPECT_TRUE(library.close()) << "close after free";
}

} // namespace
} // namespace slidora::test
