#include "settings/FileRules.h"

#include "platform/PowerParams.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

namespace slidora {
namespace {

using test::ChildOutcome;
using test::TempTree;

TEST(FontStyleBits, CapitalLettersAnywhere) {
    struct Case {
        const char* text;
        int bits;
    };
    const Case cases[] = {
        {"", 0},
        {"B", kStyleBold},
        {"Bold", kStyleBold},
        {"Bold+Italic+Underline+Strikeout", 15},
        {"bi", 0},
        {"bold", 0},
        {"SB", kStyleBold | kStyleStrikeout},
        {"XSU", kStyleStrikeout | kStyleUnderline},
        {"IIII", kStyleItalic},
        {"Underline", kStyleUnderline},
        {"太字B", kStyleBold},
        {"Regular", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FontStyleBits(c.text), c.bits) << "style [" << c.text << "]";
}

TEST(PicExtKind, WholeExtensionIgnoringCase) {
    struct Case {
        const char* ext;
        int kind;
    };
    const Case cases[] = {
        {".bmp", 0},   {".BMP", 0},  {".jpg", 1},   {".Jpg", 1},   {".png", 2},
        {".Png", 2},   {".jp", 3},   {".JP", 3},    {".jpeg", 4},  {".JPEG", 4},
        {".jpe", -1},  {".gif", -1}, {"", -1},      {".", -1},     {"jpg", -1},
        {".jpgx", -1}, {".j", -1},   {".bmp ", -1}, {". jpg", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PicExtKind(c.ext), c.kind) << "extension [" << c.ext << "]";
}

TEST(AudExtChk, FiveExtensionsIgnoringCase) {
    struct Case {
        const char* ext;
        bool audio;
    };
    const Case cases[] = {{".mp1", true}, {".MP2", true},  {".Mp3", true},  {".rmp", true},
                          {".WAV", true}, {".mp4", false}, {".mid", false}, {".ogg", false},
                          {"", false},    {"mp3", false},  {".mp", false},  {".mp33", false}};
    for (const Case& c : cases)
        EXPECT_EQ(AudExtChk(c.ext), c.audio) << "extension [" << c.ext << "]";
}

TEST(MediaExtChk, LowerCasedExtensionContainedInTheText) {
    struct Case {
        const char* ext;
        const char* text;
        bool match;
    };
    const Case cases[] = {
        {".MID", ".mid ", true},
        {".mid", ".mid ", true},
        {".mp3", ".mid ", false},
        {"", ".mid ", false},
        {".mi", ".mid ", true},
        {".Mi", ".mid ", true},
        {".midi", ".mid ", false},
        {".mid", "", false},
        {".kar", ".mid .kar ", true},
        // The stored text is not lower-cased: upper case in it never matches.
        {".mid", ".MID ", false},
        {".MID", ".MID ", false},
        {".rmi", ".mid .rmi ", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MediaExtChk(c.ext, c.text), c.match)
            << "extension [" << c.ext << "] text [" << c.text << "]";
}

TEST(AudFileChk, LibraryExtensionsOrTheDialogsMediaExt) {
    struct Case {
        const char* ext;
        const char* mediaExt;
        bool match;
    };
    const Case cases[] = {
        {".mp3", "", true},      {".WAV", "", true},          {".mid", "", false},
        {".mid", ".mid", true},  {".MID", ".mid", true},      {".mid", ".kar", false},
        {".ogg", ".mid", false}, {".ogg", ".mid .ogg", true}, {"", ".mid", false}};
    for (const Case& c : cases)
        EXPECT_EQ(AudFileChk(c.ext, c.mediaExt), c.match)
            << "extension [" << c.ext << "] MediaExt [" << c.mediaExt << "]";
}

TEST(PicFolderChk, SizeMustExceedTheMinimum) {
    struct Case {
        std::size_t sizeBytes;
        int minimumKb;
        bool found;
    };
    const Case cases[] = {{10240, 10, false}, {10241, 10, true}, {1, 0, true},
                          {0, 0, false},      {2048, 1, true},   {1024, 1, false}};
    for (const Case& c : cases) {
        TempTree tree;
        tree.file("pics/only.jpg", c.sizeBytes);
        EXPECT_EQ(PicFolderChk(tree.path("pics"), c.minimumKb), c.found)
            << c.sizeBytes << " bytes, minimum " << c.minimumKb << " KB";
    }
}

TEST(PicFolderChk, TreesAndFolderTexts) {
    TempTree tree;
    tree.file("nested/a/b/c/deep.PNG", 10241);
    tree.file("nested/a/small.jpg", 100);
    tree.file("text/notes.txt", 20 * 1024);
    tree.file("text/noext", 20 * 1024);
    tree.file("text/pic.gif", 20 * 1024);
    tree.file("text/pic.jpe", 20 * 1024);
    tree.dir("empty");
    tree.file("kinds/a.bmp", 20000);
    tree.file("jp/a.jp", 20000);
    tree.file("jpeg/a.JPEG", 20000);
    tree.file("dotdir.jpg/inner.txt", 20000); // a folder whose name looks like a picture

    struct Case {
        std::string folder;
        bool found;
    };
    const Case cases[] = {
        {tree.path("nested"), true},          {tree.path("nested") + "/", true},
        {tree.path("nested/a/b/c"), true},    {tree.path("text"), false},
        {tree.path("empty"), false},          {tree.path("missing"), false},
        {tree.path("kinds"), true},           {tree.path("jp"), true},
        {tree.path("jpeg/"), true},           {tree.path("dotdir.jpg"), false},
        {tree.path("text/notes.txt"), false}, {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PicFolderChk(c.folder, 10), c.found) << "folder " << c.folder;
}

// Paths here have no drive part, so a short text is a folder like any
// other: "p" and "p/" relative to the working folder, "/" and "/x" inside a
// changed root.
TEST(PicFolderChk, ShortFolderTextsAreLookedAt) {
    TempTree tree;
    tree.file("p/big.jpg", 50000);
    tree.file("x/big.png", 50000);
    tree.file("e/small.jpg", 100);
    struct Case {
        const char* folder;
        bool found;
    };
#ifdef _WIN32
    // Where paths have drives, texts shorter than three characters are
    // refused without a look; longer relative ones are looked at.
    const Case windowsRelative[] = {{"p", false},   {"p/", false},  {"p\\", false}, {"./p", true},
                                    {".\\p", true}, {"./e", false}, {"C:", false},  {"", false}};
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(test::widePath(tree.root()));
    for (const Case& c : windowsRelative)
        EXPECT_EQ(PicFolderChk(c.folder, 10), c.found) << "folder [" << c.folder << "]";
    std::filesystem::current_path(previous);

    // A drive's root, over a drive letter made for the tree.
    const DWORD drives = ::GetLogicalDrives();
    char letter = 'Y';
    while (letter > 'D' && (drives & (1u << (letter - 'A'))) != 0)
        --letter;
    const std::wstring drive = {static_cast<wchar_t>(letter), L':'};
    if (!::DefineDosDeviceW(0, drive.c_str(), win::toUtf16(tree.root()).c_str()))
        GTEST_SKIP() << "no drive letter can be made here";
    const std::string root = {letter, ':'};
    if (::GetFileAttributesW(win::toUtf16(root + "\\p\\big.jpg").c_str()) ==
        INVALID_FILE_ATTRIBUTES) {
        ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
        GTEST_SKIP() << "a drive letter made at run time does not reach the files here (Wine)";
    }
    struct RootCase {
        std::string folder;
        bool found;
    };
    const RootCase rooted[] = {{root + "\\", true},  {root + "/", true},    {root + "\\x", true},
                               {root + "/x/", true}, {root + "\\e", false}, {root + "\\q", false}};
    for (const RootCase& c : rooted)
        EXPECT_EQ(PicFolderChk(c.folder, 10), c.found) << "folder [" << c.folder << "]";
    ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
#else
    const Case relative[] = {{"p", true},  {"p/", true}, {"./p", true},
                             {"e", false}, {"q", false}, {"", false}};
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    for (const Case& c : relative)
        EXPECT_EQ(PicFolderChk(c.folder, 10), c.found) << "folder [" << c.folder << "]";
    ASSERT_EQ(::chdir(previous), 0);

    const auto changeRoot = [&] { return ::chroot(tree.root().c_str()) == 0 && ::chdir("/") == 0; };
    if (test::runInChild(changeRoot) != ChildOutcome::True)
        GTEST_SKIP() << "the root cannot be changed here";
    const auto inRoot = [&](const char* folder) {
        return test::runInChild([&] { return changeRoot() && PicFolderChk(folder, 10); });
    };
    const Case rooted[] = {{"/", true}, {"/x", true}, {"/x/", true}, {"/e", false}, {"/q", false}};
    for (const Case& c : rooted) {
        const ChildOutcome outcome = inRoot(c.folder);
        EXPECT_EQ(outcome, c.found ? ChildOutcome::True : ChildOutcome::False)
            << "folder [" << c.folder << "]: " << test::outcomeName(outcome);
    }
#endif
}

TEST(PicFolderChk, SymlinkLoopEnds) {
    TempTree tree;
    tree.file("pics/small.jpg", 10);
    tree.link("..", "pics/sub/up");
    tree.link(tree.path("pics"), "pics/sub/again");
    const ChildOutcome outcome =
        test::runInChild([&] { return PicFolderChk(tree.path("pics"), 10); });
    EXPECT_EQ(outcome, ChildOutcome::False) << test::outcomeName(outcome);
    tree.file("pics/sub/later/big.jpg", 10241);
    const ChildOutcome found =
        test::runInChild([&] { return PicFolderChk(tree.path("pics"), 10); });
    EXPECT_EQ(found, ChildOutcome::True) << test::outcomeName(found);
}

#ifndef _WIN32
TEST(PicFolderChk, FifoNamedLikeAPictureIsNeverOpened) {
    TempTree tree;
    tree.fifo("pics/x.jpg");
    tree.fifo("pics/sub/y.png");
    const ChildOutcome none = test::runInChild([&] { return PicFolderChk(tree.path("pics"), 0); });
    EXPECT_EQ(none, ChildOutcome::False) << test::outcomeName(none);
    tree.file("pics/sub/z.jpg", 10241);
    const ChildOutcome some = test::runInChild([&] { return PicFolderChk(tree.path("pics"), 10); });
    EXPECT_EQ(some, ChildOutcome::True) << test::outcomeName(some);
}

TEST(PicFolderChk, UnreadableFolderIsPassedOver) {
    if (test::runningAsRoot()) GTEST_SKIP() << "root reads folders whatever their permissions";
    TempTree tree;
    tree.file("pics/a/locked.jpg", 20000);
    tree.dir("pics/b");
    tree.lock("pics/a");
    EXPECT_FALSE(PicFolderChk(tree.path("pics"), 10));
    tree.file("pics/b/later.jpg", 20000);
    EXPECT_TRUE(PicFolderChk(tree.path("pics"), 10));
    tree.file("pics/z.bmp", 20000);
    EXPECT_TRUE(PicFolderChk(tree.path("pics"), 10));
}
#endif

TEST(AudFolderChk, Trees) {
    TempTree tree;
    tree.dir("music/a-empty");
    tree.file("music/b-later/song.mp3", 0);
    tree.file("midi/sub/tune.mid", 10);
    tree.file("other/readme.txt", 10);
    tree.file("other/cover.jpg", 10);
#ifndef _WIN32
    tree.fifo("fifo/x.mp3");
#endif
    tree.link("..", "loop/sub/up");

    struct Case {
        std::string folder;
        const char* mediaExt;
        bool found;
    };
    const Case cases[] = {
        {tree.path("music"), "", true},
        {tree.path("music/"), ".mid", true},
        {tree.path("music/a-empty"), ".mid", false},
        {tree.path("midi"), ".mid", true},
        {tree.path("midi"), ".kar .mid", true},
        {tree.path("midi"), "", false},
        {tree.path("midi"), ".kar", false},
        {tree.path("other"), ".mid", false},
        {tree.path("missing"), ".mid", false},
        {tree.path("fifo"), ".mid", false},
        {tree.path("loop"), ".mid", false},
        {"", ".mid", false},
    };
    for (const Case& c : cases) {
        const ChildOutcome outcome =
            test::runInChild([&] { return AudFolderChk(c.folder, c.mediaExt); });
        EXPECT_EQ(outcome, c.found ? ChildOutcome::True : ChildOutcome::False)
            << "folder " << c.folder << " MediaExt [" << c.mediaExt
            << "]: " << test::outcomeName(outcome);
    }
}

TEST(AudFolderChk, EmptyTextIsFalseEvenWhereTheWorkingFolderHasAudio) {
    TempTree tree;
    tree.file("song.mp3", 10);
#ifdef _WIN32
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(test::widePath(tree.root()));
    const bool empty = AudFolderChk("", "");
    const bool dot = AudFolderChk(".", "");
    std::filesystem::current_path(previous);
#else
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    const bool empty = AudFolderChk("", "");
    const bool dot = AudFolderChk(".", "");
    ASSERT_EQ(::chdir(previous), 0);
#endif
    EXPECT_FALSE(empty);
    EXPECT_TRUE(dot);
}

TEST(PowerSaveInfo, Arithmetic) {
    struct Case {
        PowerParams params; // lowActive, offActive, saveTimeout, lowTimeout, offTimeout
        bool active;
        int powerTimeout;
    };
    const Case cases[] = {
        {{1, 1, 300, 600, 900}, true, 600},  {{0, 1, 300, 300, 900}, true, 0},
        {{0, 1, 300, 1200, 900}, true, 900}, {{1, 1, 300, 900, 600}, true, 600},
        {{1, 0, 300, 600, 300}, true, 600},  {{0, 0, 300, 600, 900}, false, 0},
        {{1, 0, 300, 0, 0}, true, 0},        {{1, 1, 300, 0, 900}, true, 0},
        {{1, 1, 300, 600, 0}, true, 600},    {{1, 1, 300, 600, 600}, true, 600},
        {{0, 1, 0, 0, 900}, true, 0},        {{-1, 1, 0, 1200, 900}, true, 900},
        {{0, 0, 0, 0, 0}, false, 0},
    };
    for (const Case& c : cases) {
        const PowerSaveState s = PowerSaveInfo(c.params);
        const PowerParams& p = c.params;
        const std::string label =
            "low " + std::to_string(p.lowPowerActive) + "/" + std::to_string(p.lowPowerTimeoutSec) +
            " off " + std::to_string(p.powerOffActive) + "/" + std::to_string(p.powerOffTimeoutSec);
        EXPECT_EQ(s.active, c.active) << label;
        EXPECT_EQ(s.powerTimeoutSec, c.powerTimeout) << label;
        EXPECT_EQ(s.screenSaveTimeoutSec, p.screenSaveTimeoutSec) << label;
    }
}

TEST(PowerOverrideSeconds, OnlyWhenPowerSavingComesMoreThanAMinuteLater) {
    struct Case {
        bool active;
        int saveTimeout;
        int powerTimeout;
        int seconds;
    };
    const Case cases[] = {
        {true, 600, 900, 300},
        {true, 600, 660, 0},
        {true, 600, 661, 61},
        {true, 840, 900, 0},
        {false, 600, 900, 0},
        {true, 600, 0, 0},
        {true, 0, 61, 61},
        {true, 0, 60, 0},
        {true, 900, 600, 0},
        {true, INT_MAX, INT_MAX, 0},
        {true, INT_MAX - 30, INT_MAX, 0},
        {true, 0, INT_MAX, INT_MAX},
    };
    for (const Case& c : cases) {
        PowerSaveState s;
        s.active = c.active;
        s.screenSaveTimeoutSec = c.saveTimeout;
        s.powerTimeoutSec = c.powerTimeout;
        EXPECT_EQ(powerOverrideSeconds(s), c.seconds)
            << "active " << c.active << " save " << c.saveTimeout << " power " << c.powerTimeout;
    }
}

} // namespace
} // namespace slidora
