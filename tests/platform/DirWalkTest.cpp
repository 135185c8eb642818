#include "platform/DirWalk.h"

#include "platform/Paths.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace slidora {
namespace {

using test::ChildOutcome;
using test::TempTree;

// Every file the walk yields, as "<folder relative to the root><name>" with
// its size, and how often each was met.
struct Seen {
    std::map<std::string, std::int64_t> sizes;
    std::map<std::string, int> visits;
    std::vector<std::string> folders;
};

Seen walkAll(const std::string& start, const std::string& root) {
    Seen seen;
    walkFolder(start, [&](const WalkFile& f) {
        EXPECT_TRUE(!f.folder.empty() && f.folder.back() == kPathSeparator)
            << "folder [" << f.folder << "]";
        const std::string prefix = root + kPathSeparator;
        std::string rel = f.folder.compare(0, prefix.size(), prefix) == 0
                              ? f.folder.substr(prefix.size())
                              : f.folder;
        rel += f.name;
        // Relative names are compared with '/' on every system.
        for (char& c : rel)
            if (c == kPathSeparator) c = '/';
        seen.sizes[rel] = f.sizeBytes;
        ++seen.visits[rel];
        seen.folders.push_back(f.folder);
        return true;
    });
    return seen;
}

TEST(WalkFolder, YieldsRegularFilesOfEveryLevelWithTheirSizes) {
    TempTree tree;
    tree.file("a.jpg", 10);
    tree.file("sub/b.png", 20);
    tree.file("sub/deeper/deepest/c.txt", 0);
    tree.dir("empty");
    for (const std::string& start : {tree.root(), tree.root() + "/"}) {
        const Seen seen = walkAll(start, tree.root());
        const std::map<std::string, std::int64_t> expected{
            {"a.jpg", 10}, {"sub/b.png", 20}, {"sub/deeper/deepest/c.txt", 0}};
        EXPECT_EQ(seen.sizes, expected) << "walking " << start;
        for (const auto& [name, count] : seen.visits)
            EXPECT_EQ(count, 1) << name;
    }
}

TEST(WalkFolder, MissingFolderYieldsNothingAndCountsAsFinished) {
    TempTree tree;
    int visits = 0;
    EXPECT_TRUE(walkFolder(tree.path("nope"), [&](const WalkFile&) { return ++visits, true; }));
    EXPECT_TRUE(walkFolder("", [&](const WalkFile&) { return ++visits, true; }));
    // A regular file handed in as a folder holds nothing either.
    tree.file("plain.jpg", 5);
    EXPECT_TRUE(
        walkFolder(tree.path("plain.jpg"), [&](const WalkFile&) { return ++visits, true; }));
    EXPECT_EQ(visits, 0);
}

TEST(WalkFolder, StopsAsSoonAsTheVisitorSaysSo) {
    TempTree tree;
    for (int i = 0; i < 20; ++i)
        tree.file("f" + std::to_string(i) + ".jpg", 1);
    for (int i = 0; i < 5; ++i)
        tree.file("sub" + std::to_string(i) + "/g.jpg", 1);
    for (int stopAt : {1, 3, 25}) {
        int visits = 0;
        const bool finished =
            walkFolder(tree.root(), [&](const WalkFile&) { return ++visits < stopAt; });
        EXPECT_FALSE(finished) << "stop at " << stopAt;
        EXPECT_EQ(visits, stopAt);
    }
    int visits = 0;
    EXPECT_TRUE(walkFolder(tree.root(), [&](const WalkFile&) { return ++visits, true; }));
    EXPECT_EQ(visits, 25);
}

TEST(WalkFolder, StopInsideASubfolderEndsTheWholeWalk) {
    TempTree tree;
    tree.file("deep/er/x.jpg", 1);
    int visits = 0;
    EXPECT_FALSE(walkFolder(tree.root(), [&](const WalkFile& f) {
        ++visits;
        return f.name != "x.jpg";
    }));
    EXPECT_EQ(visits, 1);
}

TEST(WalkFolder, SymlinkLoopsEndAndEachFileIsMetOnce) {
    TempTree tree;
    tree.file("a/one.jpg", 1);
    tree.file("a/b/two.jpg", 2);
    tree.link("..", "a/b/up");            // a/b/up -> a
    tree.link(tree.path("a"), "a/b/abs"); // absolute link to a
    tree.link("b", "a/b/self-parent");    // a/b/self-parent -> a/b/b (dangling)
    tree.link(".", "a/here");             // a/here -> a
    const ChildOutcome outcome = test::runInChild([&] {
        int visits = 0;
        walkFolder(tree.path("a"), [&](const WalkFile&) { return ++visits, true; });
        return visits == 2;
    });
    // Only a walk known to end may run in this process.
    ASSERT_EQ(outcome, ChildOutcome::True) << test::outcomeName(outcome);
    const Seen seen = walkAll(tree.path("a"), tree.root());
    EXPECT_EQ(seen.visits.size(), 2u);
    for (const auto& [name, count] : seen.visits)
        EXPECT_EQ(count, 1) << name;
}

TEST(WalkFolder, SymlinkedFolderIsVisitedOnce) {
    TempTree tree;
    tree.file("shared/pic.jpg", 7);
    tree.file("top/own.jpg", 3);
    tree.link(tree.path("shared"), "top/link1");
    tree.link("../shared", "top/link2");
    tree.link(tree.path("shared"), "top/nested/link3");
    const Seen seen = walkAll(tree.path("top"), tree.root());
    int picVisits = 0;
    for (const auto& [name, count] : seen.visits)
        if (name.size() >= 7 && name.substr(name.size() - 7) == "pic.jpg") picVisits += count;
    EXPECT_EQ(picVisits, 1) << "a folder reached through three links is walked once";
    EXPECT_EQ(seen.visits.count("top/own.jpg"), 1u);
}

TEST(WalkFolder, LinkedFileCountsAsTheFileItLeadsTo) {
    TempTree tree;
    tree.file("real/data.bin", 33);
    tree.link(tree.path("real/data.bin"), "walk/alias.jpg");
    tree.link(tree.path("missing.jpg"), "walk/dangling.jpg");
    const Seen seen = walkAll(tree.path("walk"), tree.root());
    const std::map<std::string, std::int64_t> expected{{"walk/alias.jpg", 33}};
    EXPECT_EQ(seen.sizes, expected);
}

// A folder large enough to be looked up on two threads: every entry is met
// once with its own size, the links that lead nowhere are reported wherever
// they stand, subfolders are walked, and a walk stopped early ends there.
TEST(WalkFolder, LargeFolderIsWalkedWhole) {
    TempTree tree;
    constexpr int kFiles = 2500;
#ifdef _WIN32
    // Links to nowhere are for the POSIX walk, whose second thread looks
    // them up; the Windows walk is tried on links elsewhere.
    constexpr int kDangling = 0;
#else
    constexpr int kDangling = 20;
#endif
    for (int i = 0; i < kFiles; ++i)
        tree.file("big/f" + std::to_string(i) + ".jpg", static_cast<std::size_t>(i % 7));
    tree.file("big/sub-a/x.jpg", 11);
    tree.file("big/zz-sub/y.jpg", 12);
    for (int i = 0; i < kDangling; ++i)
        tree.link(tree.path("nowhere"), "big/dangling" + std::to_string(i) + ".jpg");

    int unreachable = 0;
    std::map<std::string, std::int64_t> sizes;
    EXPECT_TRUE(walkFolder(
        tree.path("big"),
        [&](const WalkFile& f) {
            EXPECT_TRUE(sizes.emplace(f.name, f.sizeBytes).second) << f.name << " met twice";
            return true;
        },
        [&](const WalkSkipped& s) { unreachable += s.why == WalkSkip::Unreachable; }));
    EXPECT_EQ(unreachable, kDangling);
    ASSERT_EQ(sizes.size(), static_cast<std::size_t>(kFiles + 2));
    for (int i = 0; i < kFiles; ++i)
        EXPECT_EQ(sizes["f" + std::to_string(i) + ".jpg"], i % 7) << i;
    EXPECT_EQ(sizes["x.jpg"], 11);
    EXPECT_EQ(sizes["y.jpg"], 12);

    for (const int stopAt : {1, kFiles / 2 + 1, kFiles}) {
        int visits = 0;
        EXPECT_FALSE(
            walkFolder(tree.path("big"), [&](const WalkFile&) { return ++visits < stopAt; }));
        EXPECT_EQ(visits, stopAt);
    }
}

#ifndef _WIN32
TEST(WalkFolder, FifoIsSkippedAndNeverOpened) {
    TempTree tree;
    tree.fifo("x.jpg");
    tree.fifo("sub/y.mp3");
    tree.file("sub/z.jpg", 4);
    // An open() of the FIFO would block for ever; the child is killed then.
    const ChildOutcome outcome = test::runInChild([&] {
        int visits = 0;
        bool sawFifo = false;
        walkFolder(tree.root(), [&](const WalkFile& f) {
            ++visits;
            sawFifo = sawFifo || f.name != "z.jpg";
            return true;
        });
        return visits == 1 && !sawFifo;
    });
    EXPECT_EQ(outcome, ChildOutcome::True) << test::outcomeName(outcome);
}

TEST(WalkFolder, UnreadableFolderIsPassedOver) {
    if (test::runningAsRoot()) GTEST_SKIP() << "root reads folders whatever their permissions";
    TempTree tree;
    tree.file("a-locked/hidden.jpg", 1);
    tree.file("b-open/seen.jpg", 1);
    tree.file("c.jpg", 1);
    tree.lock("a-locked");
    const Seen seen = walkAll(tree.root(), tree.root());
    const std::map<std::string, int> expected{{"b-open/seen.jpg", 1}, {"c.jpg", 1}};
    EXPECT_EQ(seen.visits, expected);
}
#endif

TEST(FolderExists, FollowsLinksAndRejectsFiles) {
    TempTree tree;
    tree.dir("d");
    tree.file("f", 1);
    tree.link(tree.path("d"), "ld");
    tree.link(tree.path("nowhere"), "dangling");
#ifndef _WIN32
    tree.fifo("pipe");
#endif
    EXPECT_TRUE(folderExists(tree.path("d")));
    EXPECT_TRUE(folderExists(tree.path("d") + "/"));
    EXPECT_TRUE(folderExists(tree.path("ld")));
    EXPECT_FALSE(folderExists(tree.path("f")));
    EXPECT_FALSE(folderExists(tree.path("dangling")));
    EXPECT_FALSE(folderExists(tree.path("pipe")));
    EXPECT_FALSE(folderExists(tree.path("missing")));
    EXPECT_FALSE(folderExists(""));
}

} // namespace
} // namespace slidora
