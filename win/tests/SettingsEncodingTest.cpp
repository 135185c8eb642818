// The settings file on Windows: UTF-8, and a file that is not valid UTF-8 is
// taken as written by an older program in the system's ANSI code page. This
// program runs with a Japanese system code page (932, Shift-JIS), set through
// Wine's locale variables by the build.
#include "settings/IniFile.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace slidora {
namespace {

using test::readWholeFile;
using test::TempTree;

// "写真", "ＭＳ Ｐゴシック", "表示" (its first character ends in the byte of
// a backslash) and "ｶﾀｶﾅ" (single-byte kana) in Shift-JIS.
const std::string kSjisPhoto = "\x8E\xCA\x90"
                               "\x5E";
const std::string kSjisFont = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
const std::string kSjisShow = "\x95\x5C\x8E\xA6";
const std::string kSjisKana = "\xB6\xC0\xB6\xC5";

struct EncodingCase {
    const char* name;
    std::string fileBytes;
    const char* section;
    const char* key;
    std::string expected; // UTF-8
};

TEST(SettingsEncoding, ReadsUtf8AsItIsAndOtherBytesInTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8 under Wine";
    const EncodingCase cases[] = {
        {"Shift-JIS folder", "[Image]\r\nDispFolder=C:\\" + kSjisPhoto + "\r\n", "Image",
         "DispFolder", "C:\\写真"},
        {"Shift-JIS font name", "[Font]\r\nName=" + kSjisFont + "\r\n", "Font", "Name",
         "ＭＳ Ｐゴシック"},
        {"trail byte like a backslash", "[Image]\r\nDispFolder=D:\\" + kSjisShow + "\\\r\n",
         "Image", "DispFolder", "D:\\表示\\"},
        {"single-byte kana", "[Audio]\r\nAudioFolder=" + kSjisKana + "\r\n", "Audio", "AudioFolder",
         "ｶﾀｶﾅ"},
        {"UTF-8 kept", "[Font]\nName=ＭＳ Ｐゴシック\n", "Font", "Name", "ＭＳ Ｐゴシック"},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF[Image]\nDispFolder=C:\\写真\n", "Image",
         "DispFolder", "C:\\写真"},
        {"plain ASCII", "[Image]\nSleepTime=500\n", "Image", "SleepTime", "500"},
    };
    for (const EncodingCase& c : cases) {
        TempTree tree;
        tree.text("slidora.ini", c.fileBytes);
        const IniFile file(tree.path("slidora.ini"));
        EXPECT_EQ(file.readString(c.section, c.key, "<default>"), c.expected) << c.name;
    }
}

// The program writes UTF-8 without a byte-order mark: a file read in the code
// page is written back whole in UTF-8, its other lines included.
TEST(SettingsEncoding, WritesUtf8WithoutAByteOrderMark) {
    ASSERT_EQ(::GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8 under Wine";
    struct Case {
        const char* name;
        std::string before; // empty: no file
        std::string after;
    };
    const Case cases[] = {
        {"new file", "", "[Image]\nMiniSize=10\n"},
        {"Shift-JIS file",
         "[Image]\r\nDispFolder=C:\\" + kSjisPhoto + "\r\n; " + kSjisShow +
             "\r\n[Font]\r\nName=" + kSjisFont + "\r\n",
         "[Image]\r\nDispFolder=C:\\写真\r\n; 表示\r\nMiniSize=10\r\n[Font]\r\nName=ＭＳ "
         "Ｐゴシック\r\n"},
        {"UTF-8 file", "[Image]\nDispFolder=C:\\写真\n",
         "[Image]\nDispFolder=C:\\写真\nMiniSize=10\n"},
    };
    for (const Case& c : cases) {
        TempTree tree;
        if (!c.before.empty()) tree.text("slidora.ini", c.before);
        IniFile file(tree.path("slidora.ini"));
        file.writeString("Image", "MiniSize", "10");
        EXPECT_EQ(readWholeFile(tree.path("slidora.ini")), c.after) << c.name;
        EXPECT_EQ(IniFile(tree.path("slidora.ini")).readString("Image", "MiniSize", ""), "10")
            << c.name;
    }
}

} // namespace
} // namespace slidora
