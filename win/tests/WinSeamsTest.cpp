// The Win32 side of the core's seams on a real (Wine) file system: folder
// walks, small-file reads, the atomic replacement, file stamps, the clock's
// day count, the user ordering, error texts, modules and picture files.
#include "platform/Clock.h"
#include "platform/Collation.h"
#include "platform/DirWalk.h"
#include "platform/FileSystem.h"
#include "platform/Module.h"
#include "platform/win/Utf16.h"
#include "platform/win/WinDayCount.h"
#include "platform/win/WinErrorText.h"
#include "saver/picture/PictureFile.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace slidora {
namespace {

using test::TempTree;

// ---- folder walks ----

struct WalkResult {
    std::map<std::string, std::int64_t> files; // relative, with '/', and sizes
    std::multiset<std::pair<std::string, WalkSkip>> skipped;
    bool foldersEndWithSeparator = true;
    bool foldersUseSlashes = false;
};

WalkResult walkTree(const std::string& start, const std::string& root) {
    WalkResult result;
    const std::string prefix = root + "\\";
    const auto relative = [&](const std::string& folder, const std::string& name) {
        std::string rel = folder.rfind(prefix, 0) == 0 ? folder.substr(prefix.size()) : folder;
        rel += name;
        for (char& c : rel)
            if (c == '\\') c = '/';
        return rel;
    };
    walkFolder(
        start,
        [&](const WalkFile& f) {
            result.foldersEndWithSeparator &= !f.folder.empty() && f.folder.back() == '\\';
            result.foldersUseSlashes |= f.folder.find('/') != std::string::npos;
            result.files[relative(f.folder, f.name)] = f.sizeBytes;
            return true;
        },
        [&](const WalkSkipped& s) {
            result.skipped.insert({relative(s.folder, s.name), s.why});
        });
    return result;
}

struct WalkCase {
    const char* name;
    std::function<void(TempTree&)> make;
    const char* start; // relative to the root; '/' kept as written
    std::map<std::string, std::int64_t> files;
    std::multiset<std::pair<std::string, WalkSkip>> skipped;
};

TEST(WinWalkFolder, Trees) {
    const WalkCase cases[] = {
        {"nested folders",
         [](TempTree& t) {
             t.file("top/a.jpg", 1);
             t.file("top/b/c/d/deep.png", 4);
             t.dir("top/b/empty");
         },
         "top",
         {{"top/a.jpg", 1}, {"top/b/c/d/deep.png", 4}},
         {}},
        {"japanese names",
         [](TempTree& t) {
             t.file("写真/猫.jpg", 3);
             t.file("写真/旅行 2024/ｶﾀｶﾅ.png", 5);
         },
         "写真",
         {{"写真/猫.jpg", 3}, {"写真/旅行 2024/ｶﾀｶﾅ.png", 5}},
         {}},
        {"empty folder", [](TempTree& t) { t.dir("none"); }, "none", {}, {}},
        {"missing start folder is silent", [](TempTree&) {}, "missing", {}, {}},
        {"start written with slashes",
         [](TempTree& t) { t.file("s/t/u.bmp", 2); },
         "s/t/",
         {{"s/t/u.bmp", 2}},
         {}},
        {"link back into the walk",
         [](TempTree& t) {
             t.file("loop/one.jpg", 1);
             t.file("loop/sub/two.jpg", 2);
             t.link("..", "loop/sub/up");
         },
         "loop",
         {{"loop/one.jpg", 1}, {"loop/sub/two.jpg", 2}},
         {{"loop/sub/up", WalkSkip::Loop}}},
        {"second way to a folder walked before",
         [](TempTree& t) {
             t.file("two/a/x.jpg", 1);
             t.link(t.path("two/a"), "two/b");
         },
         "two",
         {{"two/a/x.jpg", 1}},
         {{"two/b", WalkSkip::AlreadyWalked}}},
        {"linked file counts as its target",
         [](TempTree& t) {
             t.file("data/real.bin", 33);
             t.link(t.path("data/real.bin"), "links/alias.jpg");
         },
         "links",
         {{"links/alias.jpg", 33}},
         {}},
    };
    for (const WalkCase& c : cases) {
        TempTree tree;
        c.make(tree);
        const WalkResult got = walkTree(tree.root() + "\\" + c.start, tree.root());
        EXPECT_EQ(got.files, c.files) << c.name;
        EXPECT_EQ(got.skipped, c.skipped) << c.name;
        EXPECT_TRUE(got.foldersEndWithSeparator) << c.name;
        EXPECT_FALSE(got.foldersUseSlashes) << c.name;
    }
}

// Windows lists a link that leads nowhere, and the walk reports it; Wine does
// not list it at all.
TEST(WinWalkFolder, DanglingLinkIsUnreachableWhereItIsListed) {
    TempTree tree;
    tree.file("links/real.jpg", 3);
    tree.link(tree.path("links/none.jpg"), "links/dangling.jpg");
    const WalkResult got = walkTree(tree.path("links"), tree.root());
    EXPECT_EQ(got.files, (std::map<std::string, std::int64_t>{{"links/real.jpg", 3}}));
    std::multiset<std::pair<std::string, WalkSkip>> expected;
    if (test::nameExists(tree.path("links/dangling.jpg")))
        expected.insert({"links/dangling.jpg", WalkSkip::Unreachable});
    EXPECT_EQ(got.skipped, expected);
}

TEST(WinFolderExists, FoldersLinksAndFiles) {
    TempTree tree;
    tree.dir("写真");
    tree.file("f.jpg", 1);
    tree.link(tree.path("写真"), "ld");
    const std::pair<std::string, bool> cases[] = {
        {tree.path("写真"), true},
        {tree.path("写真") + "\\", true},
        {tree.path("写真") + "/", true},
        {tree.path("ld"), true},
        {tree.path("f.jpg"), false},
        {tree.path("missing"), false},
        {"", false},
    };
    for (const auto& [path, exists] : cases)
        EXPECT_EQ(folderExists(path), exists) << path;
}

// ---- small files, replacement, stamps ----

TEST(WinReadSmallRegularFile, Kinds) {
    TempTree tree;
    tree.text("ten.ini", "0123456789");
    tree.text("日本語.ini", "[Font]\nName=ＭＳ\n");
    tree.dir("folder.ini");
    tree.link(tree.path("ten.ini"), "link.ini");
    tree.link(tree.path("folder.ini"), "folderlink.ini");
    struct Case {
        std::string path;
        std::size_t maxBytes;
        SmallFileRead result;
        const char* contents;
    };
    const Case cases[] = {
        {tree.path("ten.ini"), 10, SmallFileRead::Read, "0123456789"},
        {tree.path("ten.ini"), 100, SmallFileRead::Read, "0123456789"},
        {tree.path("ten.ini"), 9, SmallFileRead::TooLarge, ""},
        {tree.path("日本語.ini"), 100, SmallFileRead::Read, "[Font]\nName=ＭＳ\n"},
        {tree.path("folder.ini"), 100, SmallFileRead::NotAFile, ""},
        {tree.path("link.ini"), 100, SmallFileRead::Read, "0123456789"},
        {tree.path("folderlink.ini"), 100, SmallFileRead::NotAFile, ""},
        {tree.path("missing.ini"), 100, SmallFileRead::Unreadable, ""},
        {tree.path("ten.ini/x"), 100, SmallFileRead::Unreadable, ""},
    };
    for (const Case& c : cases) {
        std::string contents = "left over";
        EXPECT_EQ(readSmallRegularFile(c.path, c.maxBytes, contents), c.result) << c.path;
        EXPECT_EQ(contents, c.contents) << c.path;
    }
}

std::size_t entriesIn(const std::string& folder) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(test::widePath(folder)))
        (void)e, ++n;
    return n;
}

TEST(WinReplaceFileAtomically, ReplacesCreatesAndRefuses) {
    struct Case {
        const char* name;
        std::function<std::string(TempTree&)> make; // returns the path written
        bool written;
        const char* before; // what stays when refused; null: nothing there
        std::size_t entries;
    };
    const Case cases[] = {
        {"replaces a file", [](TempTree& t) { return t.text("s.ini", "old"), t.path("s.ini"); },
         true, nullptr, 1},
        {"creates a file", [](TempTree& t) { return t.path("new.ini"); }, true, nullptr, 1},
        {"japanese name", [](TempTree& t) { return t.text("設定.ini", "old"), t.path("設定.ini"); },
         true, nullptr, 1},
        {"read-only file kept",
         [](TempTree& t) {
             t.text("ro.ini", "[Image]\r\nA=1\r\n");
             return t.readOnly("ro.ini");
         },
         false, "[Image]\r\nA=1\r\n", 1},
        {"folder kept", [](TempTree& t) { return t.dir("dir.ini"); }, false, nullptr, 1},
        {"missing folder", [](TempTree& t) { return t.path("no/where.ini"); }, false, nullptr, 0},
    };
    for (const Case& c : cases) {
        TempTree tree;
        const std::string path = c.make(tree);
        EXPECT_EQ(replaceFileAtomically(path, "[Image]\r\nA=2\r\n"), c.written) << c.name;
        if (c.written) {
            EXPECT_EQ(test::readWholeFile(path), "[Image]\r\nA=2\r\n") << c.name;
        } else if (c.before != nullptr) {
            EXPECT_EQ(test::readWholeFile(path), c.before) << c.name;
        }
        EXPECT_EQ(entriesIn(tree.root()), c.entries) << c.name << ": a temporary file was left";
    }
}

TEST(WinReplaceFileAtomically, WritesThroughALink) {
    TempTree tree;
    const std::string real = tree.text("real/s.ini", "old");
    const std::string link = tree.link(real, "bin/s.ini");
    ASSERT_TRUE(replaceFileAtomically(link, "new"));
    EXPECT_EQ(test::readWholeFile(real), "new");
    test::writeWholeFile(real, "newer");
    EXPECT_EQ(test::readWholeFile(link), "newer") << "the link was replaced by a file";
    EXPECT_EQ(entriesIn(tree.path("real")), 1u);
    EXPECT_EQ(entriesIn(tree.path("bin")), 1u);
}

void setWriteTime(const std::string& path, std::uint64_t ticks) {
    const HANDLE file = ::CreateFileW(win::toUtf16(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &time));
    ::CloseHandle(file);
}

TEST(WinFileStamp, SizeAndWriteTime) {
    TempTree tree;
    const std::string path = tree.text("写真.jpg", "12345");
    // 2020-01-01 00:00 UTC in file-time ticks.
    const std::uint64_t t2020 = 132223104000000000ULL;
    setWriteTime(path, t2020);
    const FileStamp first = fileStampOf(path);
    EXPECT_TRUE(first.exists);
    EXPECT_EQ(first.sizeBytes, 5u);
    EXPECT_EQ(first.modifiedNs, static_cast<std::int64_t>(t2020 * 100));
    EXPECT_EQ(fileStampOf(path), first);
    EXPECT_EQ(fileStampOf(tree.link(path, "alias.jpg")), first) << "a link stamps its target";

    setWriteTime(path, t2020 + 10'000'000);
    const FileStamp later = fileStampOf(path);
    EXPECT_NE(later, first);
    EXPECT_EQ(later.modifiedNs - first.modifiedNs, 1'000'000'000);

    test::writeWholeFile(path, "123456");
    setWriteTime(path, t2020);
    const FileStamp grown = fileStampOf(path);
    EXPECT_EQ(grown.sizeBytes, 6u);
    EXPECT_NE(grown, first);

    EXPECT_EQ(fileStampOf(tree.path("missing")), FileStamp{});
    EXPECT_TRUE(isRegularFile(path));
    EXPECT_FALSE(isRegularFile(tree.root()));
    EXPECT_FALSE(isRegularFile(tree.path("missing")));
}

// ---- the clock ----

TEST(WinDayCount, KnownDates) {
    struct Case {
        SYSTEMTIME time; // year, month, weekday, day, hour, minute, second, ms
        double days;
    };
    const Case cases[] = {
        {{1899, 12, 0, 30, 0, 0, 0, 0}, 0.0},
        {{1900, 1, 0, 1, 0, 0, 0, 0}, 2.0},
        {{1899, 12, 0, 29, 12, 0, 0, 0}, -0.5},
        {{2000, 1, 0, 1, 12, 0, 0, 0}, 36526.5},
        {{2000, 2, 0, 29, 6, 0, 0, 0}, 36585.25},
        {{2026, 12, 0, 9, 18, 0, 0, 0}, 46365.75},
        {{2024, 3, 0, 1, 0, 0, 1, 500}, 45352.0 + 1.5 / 86400.0},
        {{2024, 2, 0, 30, 0, 0, 0, 0}, 0.0}, // no such day
    };
    for (const Case& c : cases)
        EXPECT_NEAR(win::dayCountOf(c.time), c.days, 1e-9)
            << c.time.wYear << "-" << c.time.wMonth << "-" << c.time.wDay;
}

TEST(WinDayCount, SystemClockReadsTheLocalTime) {
    SYSTEMTIME before{};
    ::GetLocalTime(&before);
    const double now = SystemClock().nowDays();
    SYSTEMTIME after{};
    ::GetLocalTime(&after);
    EXPECT_GE(now, win::dayCountOf(before));
    EXPECT_LE(now, win::dayCountOf(after));
}

// ---- the user ordering ----

TEST(WinCollation, SortsIgnoringCaseAndKeepsKanaAndWidthApart) {
    struct Case {
        const char* name;
        std::vector<std::string> input;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"case-equal names dropped, first kept",
         {"C:\\p\\b.jpg", "C:\\p\\A.JPG", "C:\\p\\a.jpg", "C:\\P\\B.JPG"},
         {"C:\\p\\A.JPG", "C:\\p\\b.jpg"}},
        {"alphabetical whatever the case",
         {"C:\\p\\Zeta.jpg", "C:\\p\\alpha.jpg", "C:\\p\\Beta.jpg"},
         {"C:\\p\\alpha.jpg", "C:\\p\\Beta.jpg", "C:\\p\\Zeta.jpg"}},
        {"full-width letters lower-cased are still case-equal",
         {"C:\\写真\\Ａ.jpg", "C:\\写真\\ａ.jpg"},
         {"C:\\写真\\Ａ.jpg"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> paths = c.input;
        sortPathsForUser(paths);
        EXPECT_EQ(paths, c.expected) << c.name;
    }
    // Kana kind and width make different names: both stay, in a fixed order.
    const std::vector<std::vector<std::string>> distinct = {
        {"C:\\p\\あ.jpg", "C:\\p\\ア.jpg"},
        {"C:\\p\\ア.jpg", "C:\\p\\ｱ.jpg"},
        {"C:\\p\\A.jpg", "C:\\p\\Ａ.jpg"},
    };
    for (const auto& pair : distinct) {
        std::vector<std::string> forward = pair;
        std::vector<std::string> backward = {pair[1], pair[0]};
        sortPathsForUser(forward);
        sortPathsForUser(backward);
        EXPECT_EQ(forward.size(), 2u) << pair[0] << " / " << pair[1];
        EXPECT_EQ(forward, backward) << pair[0] << " / " << pair[1];
        EXPECT_NE(compareForUser(pair[0], pair[1]), 0) << pair[0] << " / " << pair[1];
        EXPECT_EQ(compareForUser(pair[0], pair[1]), -compareForUser(pair[1], pair[0]));
    }
    EXPECT_EQ(compareForUser("C:\\x\\ABC.jpg", "c:\\X\\abc.JPG"), 0);
    EXPECT_LT(compareForUser("a", "B"), 0);
    EXPECT_GT(compareForUser("c", "B"), 0);
}

// ---- error texts ----

TEST(WinErrorText, SystemTextWithoutLineBreakOrFullStop) {
    for (const unsigned long code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_DISK_FULL}) {
        const std::string text = win::errorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code << ": " << text;
        EXPECT_NE(text.back(), '.') << code << ": " << text;
        EXPECT_NE(text.back(), ' ') << code << ": " << text;
    }
    EXPECT_EQ(win::errorText(0x2FFFFFFFUL), "error 805306367");
    ::SetLastError(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(win::lastErrorText(), win::errorText(ERROR_PATH_NOT_FOUND));
}

// ---- modules ----

TEST(WinLoadedModule, ByPathJapaneseFoldersIncluded) {
    TempTree tree;
    const std::string copy = tree.path("モジュール\\resize.dll");
    tree.dir("モジュール");
    ASSERT_TRUE(::CopyFileW(L"RESIZE32.DLL", win::toUtf16(copy).c_str(), TRUE));
    struct Case {
        std::string path;
        bool loaded;
    };
    const Case cases[] = {{"RESIZE32.DLL", true},
                          {copy, true},
                          {tree.path("missing.dll"), false},
                          {tree.text("bad.dll", "not a module"), false}};
    for (const Case& c : cases) {
        const LoadedModule module(c.path);
        EXPECT_EQ(module.loaded(), c.loaded) << c.path;
        EXPECT_EQ(module.symbol("ResizeImg") != nullptr, c.loaded) << c.path;
        EXPECT_EQ(module.symbol("NoSuchEntry"), nullptr) << c.path;
    }
}

// ---- picture files ----

TEST(WinOpenPictureFile, SharedReadOfDiskFilesOnly) {
    TempTree tree;
    const std::string picture = tree.text("写真\\猫.jpg", "0123456789");
    {
        OpenedPicture opened = openPictureFile(picture);
        ASSERT_TRUE(opened.file) << opened.error;
        EXPECT_EQ(opened.sizeBytes, 10u);
        char first[4] = {};
        EXPECT_EQ(std::fread(first, 1, 3, opened.file.get()), 3u);
        EXPECT_STREQ(first, "012");
        // Another program may rename the file while it is read.
        EXPECT_TRUE(::MoveFileW(win::toUtf16(picture).c_str(),
                                win::toUtf16(tree.path("写真\\犬.jpg")).c_str()));
    }
    const std::string missing = tree.path("写真\\猫.jpg");
    const std::string folder = tree.path("写真");
    for (const std::string& path : {missing, folder}) {
        const OpenedPicture opened = openPictureFile(path);
        EXPECT_FALSE(opened.file) << path;
        EXPECT_EQ(opened.error.rfind(path + ": ", 0), 0u) << opened.error;
    }
}

} // namespace
} // namespace slidora
