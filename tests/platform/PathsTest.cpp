#include "platform/Paths.h"

#include "platform/ErrorText.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/ProgramPaths.h"

#include <sys/stat.h>
#endif

#include <string>

namespace slidora {
namespace {

struct PathCase {
    const char* input;
    const char* expected;
};

TEST(SettingsPathFor, ReplacesExtensionAndLowersOnlyTheFileName) {
    const PathCase cases[] = {
        {"/opt/Slidora/SLIDORA.SCR", "/opt/Slidora/slidora.ini"},
        {"/opt/Slidora/slidora", "/opt/Slidora/slidora.ini"},
        {"/opt/Slidora/Slidora", "/opt/Slidora/slidora.ini"},
        // A dot in a folder name is not the program's extension.
        {"/opt/my.app/Slidora", "/opt/my.app/slidora.ini"},
        {"/opt/my.app/v1.2/SLIDORA", "/opt/my.app/v1.2/slidora.ini"},
        {"/opt/my.app/Slidora.bin", "/opt/my.app/slidora.ini"},
        // Only the last dot of the name starts the extension.
        {"/usr/lib/slidora.saver.SCR", "/usr/lib/slidora.saver.ini"},
        {"/usr/lib/slidora.", "/usr/lib/slidora.ini"},
        {"SLIDORA.SCR", "slidora.ini"},
        {"/Upper/Case/Dir/PROG", "/Upper/Case/Dir/prog.ini"},
        {"/opt/写真/スライド.SCR", "/opt/写真/スライド.ini"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(settingsPathFor(c.input), c.expected) << "executable " << c.input;
}

TEST(PathParts, FolderOf) {
    const PathCase cases[] = {
        {"/a/b/c.jpg", "/a/b"}, {"/c.jpg", "/"}, {"c.jpg", ""},
        {"/a/b/", "/a/b"},      {"/", "/"},      {"/写真/猫.png", "/写真"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(folderOf(c.input), c.expected) << "path " << c.input;
}

TEST(PathParts, FileNameOf) {
    const PathCase cases[] = {
        {"/a/b/c.jpg", "c.jpg"},   {"c.jpg", "c.jpg"},         {"/a/b/", ""},
        {"/x/.hidden", ".hidden"}, {"/写真/猫.png", "猫.png"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(fileNameOf(c.input), c.expected) << "path " << c.input;
}

TEST(PathParts, ExtensionOfTakesTheLastDotOfTheNameOnly) {
    const PathCase cases[] = {
        {"a.b.jpeg", ".jpeg"},     {"/pics/a.b.jpeg", ".jpeg"},
        {"/x/.hidden", ".hidden"}, {"noext", ""},
        {"/some.dir/noext", ""},   {"/some.dir/", ""},
        {"/a/trailing.", "."},     {"/a/PHOTO.JPG", ".JPG"},
        {"/写真/猫.png", ".png"},  {"", ""},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(extensionOf(c.input), c.expected) << "path " << c.input;
}

TEST(PathParts, WithTrailingSlash) {
    // The separator added is the system's; one already there is kept.
    const std::string sep(1, kPathSeparator);
    const std::pair<std::string, std::string> cases[] = {
        {"/a", "/a" + sep}, {"/a/", "/a/"}, {"/", "/"}, {"/a/b.c", "/a/b.c" + sep}};
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(withTrailingSlash(input), expected) << "folder " << input;
}

#ifndef _WIN32
TEST(ProgramPath, NamesThisRunningExecutable) {
    const std::string path = programPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0) << path;
    EXPECT_TRUE(S_ISREG(st.st_mode)) << path;
    EXPECT_EQ(fileNameOf(path), "slidora_platform_tests");
    EXPECT_EQ(programDir(), folderOf(path));
}
#endif

TEST(WithFullStop, AppendsWhenTheLastCharacterSortsAfterTheFullStop) {
    const PathCase cases[] = {
        {"abc", "abc."},
        {"abc.", "abc."},
        {"abc!", "abc!"}, // '!' comes before '.'
        {"x-", "x-"},     // so does '-'
        {"a ", "a "},     // and the blank
        {"x/", "x/."},    // '/' comes right after '.'
        {"12", "12."},
        {"'x' は整数ではありません", "'x' は整数ではありません."},
        {"/tmp/s.ini に書き込めません", "/tmp/s.ini に書き込めません."},
        {"終わり。", "終わり。."},
        {"caf\xC3\xA9", "caf\xC3\xA9."},
        {"emoji \xF0\x9F\x98\x80", "emoji \xF0\x9F\x98\x80."},
        {"", ""},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(withFullStop(c.input), c.expected) << "message [" << c.input << "]";
}

TEST(FormatMessage, ReplacesTheFirstPlaceholderOnly) {
    EXPECT_EQ(formatMessage("'%s' は整数ではありません", "abc"), "'abc' は整数ではありません");
    EXPECT_EQ(formatMessage("%s に書き込めません", "/a/%s.ini"), "/a/%s.ini に書き込めません");
    EXPECT_EQ(formatMessage("'%s' は整数ではありません", ""), "'' は整数ではありません");
    EXPECT_EQ(formatMessage("no placeholder", "x"), "no placeholder");
}

} // namespace
} // namespace slidora
