#include "audio/SdlMixerPlayer.h"

#include "GeneratedAudio.h"
#include "platform/ErrorText.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ostream>
#include <string>
#include <sys/stat.h>

namespace slidora::test {
namespace {

// Polls `condition` until it holds or the deadline passes; the deadline is
// generous because it only bounds a hang, it is not what the test checks.
template <class Condition>
bool eventually(Condition condition, std::chrono::seconds deadline = std::chrono::seconds(20)) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (std::chrono::steady_clock::now() < until)
        if (condition()) return true;
    return condition();
}

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        if (m_had) m_old = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (m_had)
            ::setenv(m_name, m_old.c_str(), 1);
        else
            ::unsetenv(m_name);
    }

  private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

std::string openError(SdlMixerPlayer& player, const std::string& path) {
    try {
        player.open(path);
    } catch (const SlidoraError& e) {
        return e.what();
    }
    return "<no error>";
}

struct SdlMixerPlayerTest : ::testing::Test {
    // Every test of this file runs without a sound card.
    ScopedEnv driver{"SDL_AUDIODRIVER", "dummy"};
    TempTree tree;
};

TEST_F(SdlMixerPlayerTest, PlaysAGeneratedWavToItsEnd) {
    const std::string wav = tree.text("tone.wav", toneWav(200));
    SdlMixerPlayer player;
    EXPECT_FALSE(player.isPlaying());

    player.open(wav);
    EXPECT_TRUE(player.isOpen());
    EXPECT_FALSE(player.isPlaying()) << "opened but not started";
    player.play();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_TRUE(eventually([&] { return !player.isPlaying(); })) << "the tone never ended";
    EXPECT_TRUE(player.isOpen()) << "an ended file stays open until closed";

    player.close();
    EXPECT_FALSE(player.isOpen());
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(SdlMixerPlayerTest, OpeningAgainReplacesTheOpenFile) {
    const std::string first = tree.text("first.wav", toneWav(5000));
    const std::string second = tree.text("second.wav", toneWav(100));
    SdlMixerPlayer player;
    player.open(first);
    player.play();
    ASSERT_TRUE(player.isPlaying());

    player.open(second);
    EXPECT_FALSE(player.isPlaying()) << "the first file was halted when the second opened";
    player.play();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_TRUE(eventually([&] { return !player.isPlaying(); }));
}

struct BadFileCase {
    const char* name;
    const char* content; // nullptr: the file is not created
};

void PrintTo(const BadFileCase& c, std::ostream* os) {
    *os << c.name;
}

class SdlMixerBadFile : public SdlMixerPlayerTest,
                        public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(SdlMixerBadFile, OpenFailsWithTheMixersText) {
    const BadFileCase& c = GetParam();
    const std::string path = c.content ? tree.text(c.name, c.content) : tree.path(c.name);
    SdlMixerPlayer player;

    const std::string error = openError(player, path);
    EXPECT_NE(error, "<no error>");
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(player.isOpen());
    player.play();
    EXPECT_FALSE(player.isPlaying());
    player.close();
}

INSTANTIATE_TEST_SUITE_P(Files, SdlMixerBadFile,
                         ::testing::Values(BadFileCase{"text.mid", "not a midi file at all"},
                                           BadFileCase{"short.MIDI", "MT"},
                                           BadFileCase{"text.wav", "RIFF but nothing after it"},
                                           BadFileCase{"empty.ogg", ""},
                                           BadFileCase{"missing.mid", nullptr}),
                         [](const ::testing::TestParamInfo<BadFileCase>& testCase) {
                             std::string name = testCase.param.name;
                             for (char& ch : name)
                                 if (ch == '.') ch = '_';
                             return name;
                         });

TEST_F(SdlMixerPlayerTest, NoAudioDeviceFailsTheOpenCleanly) {
    const std::string wav = tree.text("tone.wav", toneWav(100));
    ScopedEnv noDevice{"SDL_AUDIODRIVER", "no-such-driver"};
    SdlMixerPlayer player;

    const std::string error = openError(player, wav);
    EXPECT_NE(error, "<no error>");
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(player.isOpen());
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(SdlMixerPlayerTest, MidiLoadsWithTheGeneralMidiSoundFont) {
    struct stat st {};
    ASSERT_EQ(::stat(SdlMixerPlayer::kGeneralMidiSoundFont, &st), 0)
        << "install the package timgm6mb-soundfont: MIDI files need its sound font";
    const std::string mid = tree.text("note.mid", oneNoteMidi());
    SdlMixerPlayer player;

    EXPECT_EQ(openError(player, mid), "<no error>");
    player.play();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_TRUE(eventually([&] { return !player.isPlaying(); }));
}

} // namespace
} // namespace slidora::test
