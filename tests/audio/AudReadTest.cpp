#include "audio/AudioPlayback.h"

#include "AudioFakes.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/TempTree.h"
#include "tests/support/TestNames.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace slidora::test {
namespace {

std::vector<std::string> namesOf(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const std::string& p : paths)
        names.push_back(fileNameOf(p));
    return names;
}

// The order is the user's locale's. Tests run under LC_ALL=C.UTF-8, where
// Qt's collation is plain code-point order, so the case-insensitive order
// is checked in a real user locale.
class ScopedUserLocale {
  public:
    explicit ScopedUserLocale(const QLocale& locale) : m_saved(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~ScopedUserLocale() { QLocale::setDefault(m_saved); }

  private:
    QLocale m_saved;
};

struct AudReadFixture : ::testing::Test {
    ScopedUserLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    CallLog log;
    FakeLibrary library{log};
    FakePlayer player{log};
    AudioPlayback audio{library, player};
    TempTree tree;
};

struct ExtensionCase {
    const char* fileName;
    const char* mediaExtText;
    bool listed;
};

class AudReadExtension : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(AudReadExtension, ListsExactlyTheAudioFiles) {
    const ExtensionCase& c = GetParam();
    CallLog log;
    FakeLibrary library{log};
    FakePlayer player{log};
    AudioPlayback audio{library, player};
    TempTree tree;
    const std::string path = tree.text(c.fileName, "x");

    audio.AudRead(tree.root(), c.mediaExtText);

    const std::vector<std::string> expected =
        c.listed ? std::vector<std::string>{path} : std::vector<std::string>{};
    EXPECT_EQ(audio.audioList(), expected)
        << c.fileName << " with media text '" << c.mediaExtText << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, AudReadExtension,
    ::testing::Values(ExtensionCase{"a.mp3", ".mid ", true}, ExtensionCase{"a.MP3", ".mid ", true},
                      ExtensionCase{"a.mp1", "", true}, ExtensionCase{"a.Mp2", "", true},
                      ExtensionCase{"a.RMP", "", true}, ExtensionCase{"a.wav", "", true},
                      ExtensionCase{"a.mp4", ".mid ", false},
                      ExtensionCase{"a.txt", ".mid ", false}, ExtensionCase{"mp3", ".mid ", false},
                      ExtensionCase{"a.mp3.txt", ".mid ", false},
                      // MIDI and other player formats only through the media text.
                      ExtensionCase{"a.mid", ".mid ", true}, ExtensionCase{"a.MID", ".mid ", true},
                      ExtensionCase{"a.mid", "", false}, ExtensionCase{"a.mid", ".ogg ", false},
                      ExtensionCase{"a.ogg", ".mid.ogg ", true},
                      // Matching is by containment in the text, as the rule says.
                      ExtensionCase{"a.mi", ".mid ", true}, ExtensionCase{"noext", ".mid ", false}),
    [](const ::testing::TestParamInfo<ExtensionCase>& p) {
        return testName(p.param.fileName, p.param.mediaExtText);
    });

TEST_F(AudReadFixture, WalksNestedFoldersAndSortsCaseInsensitively) {
    tree.text("Gamma.wav", "x");
    tree.text("beta.MP3", "x");
    tree.text("Alpha.mp3", "x");
    tree.text("notes.txt", "x");
    tree.text("sub/deeper/zeta.mid", "x");
    tree.text("sub/Delta.mp2", "x");
    tree.text("empty/.keep", "x");

    audio.AudRead(tree.root() + "/", ".mid ");

    const std::vector<std::string> expected{
        tree.path("Alpha.mp3"), tree.path("beta.MP3"), tree.path("Gamma.wav"),
        tree.path("sub/deeper/zeta.mid"), tree.path("sub/Delta.mp2")};
    EXPECT_EQ(audio.audioList(), expected);
}

TEST_F(AudReadFixture, SecondReadMergesSortedWithoutDuplicates) {
    tree.text("one/b.mp3", "x");
    tree.text("two/a.mp3", "x");
    audio.AudRead(tree.path("two"), "");
    audio.AudRead(tree.path("one"), "");
    audio.AudRead(tree.path("two"), "");

    EXPECT_EQ(audio.audioList(),
              (std::vector<std::string>{tree.path("one/b.mp3"), tree.path("two/a.mp3")}));
}

TEST_F(AudReadFixture, MissingFolderAddsNothing) {
    audio.AudRead(tree.path("absent"), ".mid ");
    EXPECT_TRUE(audio.audioList().empty());
}

TEST_F(AudReadFixture, EmptyFolderTextBuildsNoList) {
    tree.text("a.mp3", "x");
    ScriptedRandom random({0.5});
    // With an empty folder text nothing is scanned, not even the current folder.
    audio.buildList("", ".mid ", true, random);
    EXPECT_TRUE(audio.audioList().empty());
    EXPECT_EQ(random.draws(), 0u);
}

TEST_F(AudReadFixture, BuildListUnshuffledKeepsSortedOrder) {
    for (const char* name : {"c.mp3", "a.mp3", "b.mp3"})
        tree.text(name, "x");
    ScriptedRandom random({0.9, 0.1});
    audio.buildList(tree.root(), "", false, random);
    EXPECT_EQ(namesOf(audio.audioList()), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(audio.audioPosition(), -1);
    EXPECT_EQ(random.draws(), 0u);
}

TEST_F(AudReadFixture, BuildListShufflesWithTheSharedShuffleWithoutReseeding) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"})
        tree.text(name, "x");
    const std::vector<double> script{0.1, 0.7, 0.3, 0.95, 0.5};
    ScriptedRandom random(script);

    audio.buildList(tree.root(), "", true, random);

    // Worked by hand: n = 5, i = 4..2 pick below i, i = 1..0 below n.
    // i=4 r=.1 j=0: e b c d a; i=3 r=.7 j=2: e b d c a; i=2 r=.3 j=0: d b e c a;
    // i=1 r=.95 j=4: d a e c b; i=0 r=.5 j=2: e a d c b.
    EXPECT_EQ(namesOf(audio.audioList()),
              (std::vector<std::string>{"e.mp3", "a.mp3", "d.mp3", "c.mp3", "b.mp3"}));
    EXPECT_EQ(random.draws(), 5u);
    EXPECT_EQ(random.reseeds(), 0);
}

TEST_F(AudReadFixture, ShuffledOrderRepeatsOnEveryPass) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"})
        tree.text(name, "x");
    ScriptedRandom random({0.6, 0.2, 0.8, 0.4});
    audio.buildList(tree.root(), "", true, random);
    const std::vector<std::string> shuffled = namesOf(audio.audioList());
    ASSERT_NE(shuffled, (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3", "d.mp3"}));

    library.state = 0; // every poll finds the file ended
    audio.start(true, 100);
    for (int poll = 1; poll < 12; ++poll)
        audio.AudLoad();

    std::vector<std::string> opened;
    for (const std::string& entry : log)
        if (entry.rfind("lib.open(", 0) == 0) opened.push_back(entry.substr(9, entry.size() - 10));
    ASSERT_EQ(opened.size(), 12u);
    for (std::size_t i = 0; i < opened.size(); ++i)
        EXPECT_EQ(opened[i], shuffled[i % shuffled.size()]) << "file started at poll " << i;
}

} // namespace
} // namespace slidora::test
