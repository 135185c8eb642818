#include "dialog/MiniDir.h"

#include "tests/support/NativePaths.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace slidora {
namespace {

using test::native;
using test::testName;

// One pixel per byte: easy widths for ASCII paths.
int byteWidth(const std::string& text) {
    return static_cast<int>(text.size());
}

// Ten pixels per character, as a font with full-width glyphs measures them.
int charWidth(const std::string& text) {
    int chars = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++chars;
    return chars * 10;
}

bool isWholeUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80           ? 1
                                   : (c >> 5) == 0x6  ? 2
                                   : (c >> 4) == 0xE  ? 3
                                   : (c >> 3) == 0x1E ? 4
                                                      : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

TEST(ShorteningSteps, CutsOneFolderAtATimeDownToTheName) {
    const std::vector<std::string> expected{native("/a/b/c"), native("/.../b/c"), native("/.../c"),
                                            native(".../c"), "c"};
    EXPECT_EQ(shorteningSteps(native("/a/b/c")), expected);
}

TEST(ShorteningSteps, TakesAFolderStartingWithADotAsAnOrdinaryName) {
    const std::vector<std::string> expected{native("/.a/b/c"), native("/.../b/c"), native("/.../c"),
                                            native(".../c"), "c"};
    EXPECT_EQ(shorteningSteps(native("/.a/b/c")), expected);
}

TEST(ShorteningSteps, RelativeAndBarePaths) {
    EXPECT_EQ(shorteningSteps("name"), std::vector<std::string>{"name"});
    const std::vector<std::string> relative{native("x/y/z"), native(".../y/z"), native(".../z"),
                                            "z"};
    EXPECT_EQ(shorteningSteps(native("x/y/z")), relative);
    EXPECT_EQ(shorteningSteps(native("/")), (std::vector<std::string>{native("/"), ""}));
}

TEST(ShorteningSteps, WindowsPathsKeepTheDriveUntilTheFoldersAreGone) {
    const std::vector<std::string> expected{"C:\\a\\b\\c", "C:\\...\\b\\c", "C:\\...\\c", "...\\c",
                                            "c"};
    EXPECT_EQ(shorteningSteps("C:\\a\\b\\c", PathStyle::Windows), expected);
    // A colon ends the folder part too, and a drive alone goes in one step.
    EXPECT_EQ(shorteningSteps("C:name", PathStyle::Windows),
              (std::vector<std::string>{"C:name", "name"}));
}

TEST(MiniDirWindows, ShortensAtLeastOnceAndDropsTheTrailingSeparator) {
    const TextWidth width(byteWidth);
    EXPECT_EQ(MiniDir("C:\\Pics\\Summer", width, 100, PathStyle::Windows), "C:\\...\\Summer");
    EXPECT_EQ(MiniDir("C:\\My Pictures\\", width, 100, PathStyle::Windows), "C:My Pictures");
}

struct MiniDirCase {
    const char* path;
    int fieldWidth;
    bool fullWidthFont;
    const char* expected;
};

class MiniDirTable : public ::testing::TestWithParam<MiniDirCase> {};

TEST_P(MiniDirTable, ShowsTheExpectedText) {
    const MiniDirCase& c = GetParam();
    const TextWidth width = c.fullWidthFont ? TextWidth(charWidth) : TextWidth(byteWidth);
    const std::string shown = MiniDir(native(c.path), width, c.fieldWidth);
    EXPECT_EQ(shown, native(c.expected))
        << "path " << c.path << " in a field " << c.fieldWidth << " wide";
    EXPECT_TRUE(isWholeUtf8(shown)) << shown;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MiniDirTable,
    ::testing::Values(MiniDirCase{"", 100, false, ""},
                      // A folder part is always shortened once, even when the path fits.
                      MiniDirCase{"/home/ann/Pictures", 100, false, "/.../ann/Pictures"},
                      MiniDirCase{"/home/ann/Pictures", 18, false, "/.../ann/Pictures"},
                      MiniDirCase{"/home/ann/Pictures", 17, false, "/.../Pictures"},
                      MiniDirCase{"/home/ann/Pictures", 14, false, "/.../Pictures"},
                      MiniDirCase{"/home/ann/Pictures", 13, false, "Pictures"},
                      // Wider than the field even bare: the bare name, clipped by the field.
                      MiniDirCase{"/home/ann/Pictures", 5, false, "Pictures"},
                      MiniDirCase{"/home/ann/Pictures", 0, false, "Pictures"},
                      MiniDirCase{"/home/ann/Pictures", -10, false, "Pictures"},
                      MiniDirCase{"/home/ann/Pictures/", 100, false, "/.../ann/Pictures"},
                      MiniDirCase{"/Pictures", 100, false, "Pictures"},
                      MiniDirCase{"/", 100, false, "/"}, MiniDirCase{"/", 0, false, "/"},
                      MiniDirCase{"Pictures", 3, false, "Pictures"},
                      MiniDirCase{"/a/b/c/d/e/f/g/h/i/j/k/l", 12, false, "/.../j/k/l"},
                      MiniDirCase{"/.config/slidora/pics", 100, false, "/.../slidora/pics"},
                      MiniDirCase{"/.a/b/c", 100, false, "/.../c"},
                      // Ten pixels per character; the names are never split.
                      MiniDirCase{"/ホーム/写真/夏休み", 200, true, "/.../夏休み"},
                      MiniDirCase{"/ホーム/写真/夏休み", 80, true, ".../夏休み"},
                      MiniDirCase{"/ホーム/写真/夏休み", 30, true, "夏休み"},
                      // One pixel per byte: a Japanese character is three bytes wide.
                      MiniDirCase{"/ホーム/写真/夏休み", 100, false, "/.../写真/夏休み"},
                      MiniDirCase{"/ホーム/写真/夏休み", 15, false, "/.../夏休み"},
                      MiniDirCase{"/ホーム/写真/夏休み", 14, false, "夏休み"},
                      MiniDirCase{"/ホーム/写真/夏休み", 4, false, "夏休み"},
                      MiniDirCase{"/データ/é/ü", 100, false, "/.../é/ü"}),
    [](const ::testing::TestParamInfo<MiniDirCase>& p) {
        return testName(p.param.path, std::to_string(p.param.fieldWidth),
                        p.param.fullWidthFont ? "full" : "half", std::to_string(p.index));
    });

TEST(MiniDir, EndsForEveryFieldWidthAndNeverGrowsPastThePath) {
    const std::string path = native("/home/アン/写真/2024年/夏休み/海");
    for (int field = -5; field <= 300; ++field) {
        const std::string shown = MiniDir(path, charWidth, field);
        EXPECT_TRUE(isWholeUtf8(shown)) << field;
        EXPECT_LE(charWidth(shown), charWidth(path)) << field;
        // Fits the field unless only the bare name is left.
        if (shown != "海") {
            EXPECT_LT(charWidth(shown), field) << shown;
        }
    }
}

TEST(MiniDir, EndsWhenTheMeasureSaysNothing) {
    const TextWidth nothing = [](const std::string&) { return 0; };
    EXPECT_EQ(MiniDir(native("/a/b/c"), nothing, 100), "c");
    const TextWidth huge = [](const std::string&) { return 1 << 30; };
    EXPECT_EQ(MiniDir(native("/a/b/c"), huge, 100), "c");
}

TEST(ShortenedName, StopsAtTheFirstStepWithinTheLimit) {
    EXPECT_EQ(shortenedName(native("/a/b/c"), byteWidth, 6), native("/a/b/c"));
    EXPECT_EQ(shortenedName(native("/a/b/c"), byteWidth, 5), native(".../c"));
    EXPECT_EQ(shortenedName(native("/a/b/c"), byteWidth, 4), native("c"));
    EXPECT_EQ(shortenedName(native("/aaa/bbb/c"), byteWidth, 9), native("/.../c"));
    EXPECT_EQ(shortenedName(native("/aaa/bbb/c"), byteWidth, 5), native(".../c"));
}

} // namespace
} // namespace slidora
