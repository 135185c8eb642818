#include "audio/AudioPlayback.h"

#include "AudioFakes.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace slidora::test {
namespace {

constexpr int kVolume = 70;

std::string joined(const CallLog& log) {
    std::string text;
    for (const std::string& entry : log)
        text += (text.empty() ? "" : " ") + entry;
    return "[" + text + "]";
}

struct Rig {
    CallLog log;
    FakeLibrary library{log};
    FakePlayer player{log};
    AudioPlayback audio{library, player};
    TempTree tree;

    void makeList(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            tree.text(name, "x");
        audio.AudRead(tree.root(), ".mid ");
        ASSERT_EQ(audio.audioList().size(), names.size());
    }
    // Runs `step` and returns the calls it made.
    std::string callsOf(const std::function<void()>& step) {
        log.clear();
        step();
        return joined(log);
    }
};

// One poll from a started state: the calls made and where it leaves the saver.
struct PollCase {
    const char* name;
    std::vector<std::string> files;
    bool useLibrary;
    int stateAfterStart;
    std::function<void(FakeLibrary&, FakePlayer&)> arrange; // after the start, before the poll
    const char* calls;
    int state;
    int position;
    bool audioOn;
    bool libraryInUse;
};

void PrintTo(const PollCase& c, std::ostream* os) {
    *os << c.name;
}

class AudLoadPoll : public ::testing::TestWithParam<PollCase> {};

TEST_P(AudLoadPoll, Transition) {
    const PollCase& c = GetParam();
    Rig rig;
    rig.makeList(c.files);
    rig.player.playing = true;
    rig.audio.start(c.useLibrary, kVolume);
    ASSERT_EQ(rig.audio.playerState(), c.stateAfterStart) << joined(rig.log);
    c.arrange(rig.library, rig.player);

    EXPECT_EQ(rig.callsOf([&] { rig.audio.AudLoad(); }), c.calls);
    EXPECT_EQ(rig.audio.playerState(), c.state);
    EXPECT_EQ(rig.audio.audioPosition(), c.position);
    EXPECT_EQ(rig.audio.audioOn(), c.audioOn);
    EXPECT_EQ(rig.audio.libraryInUse(), c.libraryInUse);
}

const auto kNoChange = [](FakeLibrary&, FakePlayer&) {};
const auto kLibraryEnded = [](FakeLibrary& lib, FakePlayer&) { lib.state = 0; };
const auto kPlayerEnded = [](FakeLibrary&, FakePlayer& player) { player.playing = false; };

INSTANTIATE_TEST_SUITE_P(
    StateTable, AudLoadPoll,
    ::testing::Values(PollCase{"LibraryStillPlaying",
                               {"a.mp3", "b.mp3"},
                               true,
                               1,
                               kNoChange,
                               "[lib.getState]",
                               1,
                               0,
                               true,
                               true},
                      PollCase{"LibraryAnyStateButOneIsTheEnd",
                               {"a.mp3", "b.mp3"},
                               true,
                               1,
                               [](FakeLibrary& lib, FakePlayer&) { lib.state = -1; },
                               "[lib.getState lib.close lib.open(b.mp3) lib.play]",
                               1,
                               1,
                               true,
                               true},
                      PollCase{"LibraryEndedNextToLibrary",
                               {"a.mp3", "b.wav"},
                               true,
                               1,
                               kLibraryEnded,
                               "[lib.getState lib.close lib.open(b.wav) lib.play]",
                               1,
                               1,
                               true,
                               true},
                      PollCase{"LibraryEndedNextToPlayer",
                               {"a.mp3", "b.mid"},
                               true,
                               1,
                               kLibraryEnded,
                               "[lib.getState lib.close player.open(b.mid) player.play]",
                               2,
                               1,
                               true,
                               true},
                      PollCase{"LibraryCloseFails",
                               {"a.mp3", "b.mp3"},
                               true,
                               1,
                               [](FakeLibrary& lib, FakePlayer&) {
                                   lib.state = 0;
                                   lib.closeOk = false;
                               },
                               "[lib.getState lib.close lib.free]",
                               -2,
                               0,
                               true,
                               false},
                      PollCase{"LibraryOpenFailsOnNext",
                               {"a.mp3", "b.mp3"},
                               true,
                               1,
                               [](FakeLibrary& lib, FakePlayer&) {
                                   lib.state = 0;
                                   lib.failOpen.insert("b.mp3");
                               },
                               "[lib.getState lib.close lib.open(b.mp3) lib.free]",
                               -4,
                               1,
                               true,
                               false},
                      PollCase{"LibraryPlayFailsOnNext",
                               {"a.mp3", "b.mp3"},
                               true,
                               1,
                               [](FakeLibrary& lib, FakePlayer&) {
                                   lib.state = 0;
                                   lib.playOk = false;
                               },
                               "[lib.getState lib.close lib.open(b.mp3) lib.play lib.free]",
                               -4,
                               1,
                               true,
                               false},
                      PollCase{"OneLibraryFileRepeats",
                               {"a.mp3"},
                               true,
                               1,
                               kLibraryEnded,
                               "[lib.getState lib.close lib.open(a.mp3) lib.play]",
                               1,
                               0,
                               true,
                               true},
                      PollCase{"PlayerStillPlaying",
                               {"a.mid", "b.mid"},
                               true,
                               2,
                               kNoChange,
                               "[player.isPlaying]",
                               2,
                               0,
                               true,
                               true},
                      PollCase{"PlayerEndedNextToPlayer",
                               {"a.mid", "b.mid"},
                               true,
                               2,
                               kPlayerEnded,
                               "[player.isPlaying player.close player.open(b.mid) player.play]",
                               2,
                               1,
                               true,
                               true},
                      PollCase{"PlayerEndedNextToLibrary",
                               {"a.mid", "b.mp3"},
                               true,
                               2,
                               kPlayerEnded,
                               "[player.isPlaying player.close lib.open(b.mp3) lib.play]",
                               1,
                               1,
                               true,
                               true},
                      PollCase{"PlayerOpenFailsOnNext",
                               {"a.mid", "b.mid"},
                               true,
                               2,
                               [](FakeLibrary&, FakePlayer& player) {
                                   player.playing = false;
                                   player.failOpen.insert("b.mid");
                               },
                               "[player.isPlaying player.close player.open(b.mid) player.close]",
                               -8,
                               1,
                               false,
                               true},
                      PollCase{"OnePlayerFileRepeats",
                               {"a.mid"},
                               false,
                               2,
                               kPlayerEnded,
                               "[player.isPlaying player.close player.open(a.mid) player.play]",
                               2,
                               0,
                               true,
                               false},
                      PollCase{"WithoutLibraryMp3GoesToPlayer",
                               {"a.mp3", "b.mp3"},
                               false,
                               2,
                               kPlayerEnded,
                               "[player.isPlaying player.close player.open(b.mp3) player.play]",
                               2,
                               1,
                               true,
                               false}),
    [](const ::testing::TestParamInfo<PollCase>& pollCase) {
        return std::string(pollCase.param.name);
    });

// The audio start, from the MPlayer flag and the library's start-up.
struct StartCase {
    const char* name;
    std::vector<std::string> files;
    bool useLibrary;
    std::function<void(FakeLibrary&, FakePlayer&)> arrange;
    const char* calls;
    int state;
    bool audioOn;
    bool libraryInUse;
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

class AudioStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(AudioStart, StartsTheFirstFile) {
    const StartCase& c = GetParam();
    Rig rig;
    rig.makeList(c.files);
    c.arrange(rig.library, rig.player);

    EXPECT_EQ(rig.callsOf([&] { rig.audio.start(c.useLibrary, kVolume); }), c.calls);
    EXPECT_EQ(rig.audio.playerState(), c.state);
    EXPECT_EQ(rig.audio.audioOn(), c.audioOn);
    EXPECT_EQ(rig.audio.libraryInUse(), c.libraryInUse);
    EXPECT_EQ(rig.audio.audioPosition(), c.files.empty() ? -1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Start, AudioStart,
    ::testing::Values(StartCase{"LibraryPlaysMp3",
                                {"a.mp3"},
                                true,
                                kNoChange,
                                "[lib.init lib.setVolume(70,70) lib.open(a.mp3) lib.play]",
                                1,
                                true,
                                true},
                      StartCase{"LibraryInUseMidiToPlayer",
                                {"a.mid"},
                                true,
                                kNoChange,
                                "[lib.init lib.setVolume(70,70) player.open(a.mid) player.play]",
                                2,
                                true,
                                true},
                      StartCase{"MPlayerYesSendsMp3ToPlayer",
                                {"a.mp3"},
                                false,
                                kNoChange,
                                "[player.open(a.mp3) player.play]",
                                2,
                                true,
                                false},
                      StartCase{"InitFailsSendsEverythingToPlayer",
                                {"a.wav"},
                                true,
                                [](FakeLibrary& lib, FakePlayer&) { lib.initOk = false; },
                                "[lib.init player.open(a.wav) player.play]",
                                2,
                                true,
                                false},
                      StartCase{"LibraryOpenFailsEndsAllAudio",
                                {"a.mp3", "b.mid"},
                                true,
                                [](FakeLibrary& lib, FakePlayer&) { lib.failOpen.insert("a.mp3"); },
                                "[lib.init lib.setVolume(70,70) lib.open(a.mp3) lib.free]",
                                -4,
                                true,
                                false},
                      StartCase{
                          "PlayerOpenFailsEndsAllAudio",
                          {"a.mid"},
                          true,
                          [](FakeLibrary&, FakePlayer& player) { player.failOpen.insert("a.mid"); },
                          "[lib.init lib.setVolume(70,70) player.open(a.mid) player.close]",
                          -8,
                          false,
                          true},
                      StartCase{"EmptyListNoAudio", {}, true, kNoChange, "[]", -1, false, true}),
    [](const ::testing::TestParamInfo<StartCase>& testCase) {
        return std::string(testCase.param.name);
    });

struct FinalStateCase {
    const char* name;
    std::vector<std::string> files;
    std::function<void(FakeLibrary&, FakePlayer&)> arrange;
    int state;
};

class FinalState : public ::testing::TestWithParam<FinalStateCase> {};

TEST_P(FinalState, LaterPollsDoNothing) {
    const FinalStateCase& c = GetParam();
    Rig rig;
    rig.makeList(c.files);
    c.arrange(rig.library, rig.player);
    rig.audio.start(true, kVolume);
    rig.library.state = 0;
    rig.audio.AudLoad();
    ASSERT_EQ(rig.audio.playerState(), c.state) << joined(rig.log);

    EXPECT_EQ(rig.callsOf([&] {
        for (int poll = 0; poll < 3; ++poll)
            rig.audio.AudLoad();
    }),
              "[]");
    EXPECT_EQ(rig.audio.playerState(), c.state);
}

INSTANTIATE_TEST_SUITE_P(
    Final, FinalState,
    ::testing::Values(FinalStateCase{"CloseFailed",
                                     {"a.mp3"},
                                     [](FakeLibrary& lib, FakePlayer&) { lib.closeOk = false; },
                                     -2},
                      FinalStateCase{"LibraryFailed",
                                     {"a.mp3"},
                                     [](FakeLibrary& lib, FakePlayer&) { lib.playOk = false; },
                                     -4},
                      FinalStateCase{
                          "PlayerFailed",
                          {"a.mid"},
                          [](FakeLibrary&, FakePlayer& player) { player.failOpen.insert("a.mid"); },
                          -8}),
    [](const ::testing::TestParamInfo<FinalStateCase>& testCase) {
        return std::string(testCase.param.name);
    });

TEST(AudLoad, SkipsVanishedFilesAndWraps) {
    Rig rig;
    rig.makeList({"a.mp3", "b.mp3", "c.mp3"});
    rig.audio.start(true, kVolume);
    rig.library.state = 0;
    rig.tree.remove("b.mp3");

    EXPECT_EQ(rig.callsOf([&] { rig.audio.AudLoad(); }),
              "[lib.getState lib.close lib.open(c.mp3) lib.play]");
    EXPECT_EQ(rig.audio.audioPosition(), 2);

    rig.tree.remove("a.mp3");
    EXPECT_EQ(rig.callsOf([&] { rig.audio.AudLoad(); }),
              "[lib.getState lib.close lib.open(c.mp3) lib.play]");
    EXPECT_EQ(rig.audio.audioPosition(), 2);
    EXPECT_EQ(rig.audio.playerState(), 1);
    EXPECT_TRUE(rig.audio.audioOn());
}

TEST(AudLoad, AllFilesVanishedEndsAudioAndReleasesTheLibrary) {
    Rig rig;
    rig.makeList({"a.mp3", "b.mid"});
    rig.audio.start(true, kVolume);
    rig.library.state = 0;
    rig.tree.remove("a.mp3");
    rig.tree.remove("b.mid");

    EXPECT_EQ(rig.callsOf([&] { rig.audio.AudLoad(); }), "[lib.getState lib.close lib.free]");
    EXPECT_TRUE(rig.audio.allFilesGone());
    EXPECT_FALSE(rig.audio.audioOn());
    EXPECT_FALSE(rig.audio.wantsPoll());
    EXPECT_FALSE(rig.audio.libraryInUse());
    EXPECT_EQ(rig.audio.playerState(), -1);
    // Audio is off, so closing does not free the library a second time.
    EXPECT_EQ(rig.callsOf([&] { rig.audio.onClose(); }), "[]");
}

TEST(AudLoad, AllFilesVanishedWithThePlayerLeavesTheLibraryAlone) {
    Rig rig;
    rig.makeList({"a.mid"});
    rig.player.playing = true;
    rig.audio.start(false, kVolume);
    rig.player.playing = false;
    rig.tree.remove("a.mid");

    EXPECT_EQ(rig.callsOf([&] { rig.audio.AudLoad(); }), "[player.isPlaying player.close]");
    EXPECT_TRUE(rig.audio.allFilesGone());
    EXPECT_FALSE(rig.audio.audioOn());
}

TEST(AudLoad, EveryFileVanishedBeforeTheStart) {
    Rig rig;
    rig.makeList({"a.mp3", "b.mp3"});
    rig.tree.remove("a.mp3");
    rig.tree.remove("b.mp3");

    EXPECT_EQ(rig.callsOf([&] { rig.audio.start(true, kVolume); }),
              "[lib.init lib.setVolume(70,70) lib.free]");
    EXPECT_FALSE(rig.audio.audioOn());
}

TEST(AudLoad, AFolderInPlaceOfAFileCountsAsVanished) {
    Rig rig;
    rig.makeList({"a.mp3", "b.mp3"});
    rig.audio.start(true, kVolume);
    rig.library.state = 0;
    rig.tree.remove("b.mp3");
    std::filesystem::create_directory(rig.tree.path("b.mp3"));

    EXPECT_EQ(rig.callsOf([&] { rig.audio.AudLoad(); }),
              "[lib.getState lib.close lib.open(a.mp3) lib.play]");
}

TEST(ActiveTimeEnd, ClosesTheLibraryWheneverAudioIsOn) {
    Rig rig;
    rig.makeList({"a.mid"});
    rig.player.playing = true;
    rig.audio.start(false, kVolume);
    // Also without the library in use: the close must be harmless there.
    EXPECT_EQ(rig.callsOf([&] { rig.audio.onActiveTimeEnd(); }), "[lib.close]");
    EXPECT_EQ(rig.audio.playerState(), 2);
}

TEST(ActiveTimeEnd, NothingWithoutAudio) {
    Rig rig;
    rig.audio.start(true, kVolume);
    EXPECT_EQ(rig.callsOf([&] { rig.audio.onActiveTimeEnd(); }), "[]");
    EXPECT_EQ(rig.callsOf([&] { rig.audio.onClose(); }), "[]");
}

TEST(ActiveTimeEnd, OnAnAudioPhaseTickTheNextFileStillStarts) {
    Rig rig;
    rig.makeList({"a.mp3", "b.mp3"});
    rig.audio.start(true, kVolume);
    EXPECT_EQ(rig.callsOf([&] {
        rig.audio.onActiveTimeEnd();
        rig.library.state = 0; // the library's close ended the file
        rig.audio.AudLoad();
    }),
              "[lib.close lib.getState lib.close lib.open(b.mp3) lib.play]");
    EXPECT_EQ(rig.audio.playerState(), 1);
}

TEST(Closing, FreesTheLibraryWhileAudioIsOn) {
    Rig rig;
    rig.makeList({"a.mp3"});
    rig.audio.start(true, kVolume);
    EXPECT_EQ(rig.callsOf([&] { rig.audio.onClose(); }), "[lib.free]");
}

TEST(Closing, FreesAgainAfterAFailedClose) {
    Rig rig;
    rig.makeList({"a.mp3"});
    rig.audio.start(true, kVolume);
    rig.library.state = 0;
    rig.library.closeOk = false;
    rig.audio.AudLoad();
    ASSERT_EQ(rig.audio.playerState(), -2);
    // Audio stays on after a library failure; the library takes a second free.
    EXPECT_EQ(rig.callsOf([&] { rig.audio.onClose(); }), "[lib.free]");
}

TEST(Closing, NoFreeAfterThePlayerFailed) {
    Rig rig;
    rig.makeList({"a.mid"});
    rig.player.failOpen.insert("a.mid");
    rig.audio.start(true, kVolume);
    ASSERT_EQ(rig.audio.playerState(), -8);
    EXPECT_EQ(rig.callsOf([&] { rig.audio.onClose(); }), "[]");
    EXPECT_EQ(rig.callsOf([&] { rig.audio.onActiveTimeEnd(); }), "[]");
}

TEST(AudLoad, WantsPollOnlyWithAudioOnAndFiles) {
    Rig rig;
    EXPECT_FALSE(rig.audio.wantsPoll());
    rig.makeList({"a.mp3"});
    EXPECT_FALSE(rig.audio.wantsPoll());
    rig.audio.start(true, kVolume);
    EXPECT_TRUE(rig.audio.wantsPoll());
}

} // namespace
} // namespace slidora::test
