#include "settings/IniFile.h"

#include "platform/ErrorText.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "tests/settings/FileSizeLimit.h"

#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>

namespace slidora {
namespace {

using test::readWholeFile;
using test::TempTree;

// Shows line ends, so a failure prints where CR and LF went.
std::string visible(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n";
        else
            out += c;
    }
    return out;
}

struct ReadCase {
    const char* name;
    const char* fileText; // null: no file at all
    const char* section;
    const char* key;
    const char* expected;
};

TEST(IniFileRead, ProfileSemantics) {
    const ReadCase cases[] = {
        {"present", "[Image]\nSleepTime=500\n", "Image", "SleepTime", "500"},
        {"no file", nullptr, "Image", "SleepTime", "<default>"},
        {"empty file", "", "Image", "SleepTime", "<default>"},
        {"missing key", "[Image]\nMiniSize=10\n", "Image", "SleepTime", "<default>"},
        {"missing section", "[Text]\nSleepTime=1\n", "Image", "SleepTime", "<default>"},
        {"empty value is not missing", "[Image]\nSleepTime=\n", "Image", "SleepTime", ""},
        {"blank value is empty", "[Image]\nSleepTime=   \t\n", "Image", "SleepTime", ""},
        {"value trimmed", "[Image]\nSleepTime =  500 \t\n", "Image", "SleepTime", "500"},
        {"inner blanks kept", "[Font]\nName= IPA P Gothic \n", "Font", "Name", "IPA P Gothic"},
        {"section case", "[OMake]\nBGDensity=300\n", "Omake", "BGDensity", "300"},
        {"section case other way", "[Omake]\nBGDensity=300\n", "OMake", "BGDensity", "300"},
        {"key case", "[image]\nsleeptime=7\n", "Image", "SLEEPTIME", "7"},
        {"key only in another section", "[Text]\nA=1\n[Image]\nB=2\n", "Image", "A", "<default>"},
        {"key before any section", "A=1\n[Image]\nB=2\n", "Image", "A", "<default>"},
        {"equals sign inside value", "[Audio]\nMediaExt=a=b\n", "Audio", "MediaExt", "a=b"},
        {"quotes are plain text", "[Font]\nName=\"Quoted\"\n", "Font", "Name", "\"Quoted\""},
        {"first of two equal keys", "[Image]\nA=1\nA=2\n", "Image", "A", "1"},
        {"CRLF file", "[Image]\r\nA=1\r\nB=2\r\n", "Image", "A", "1"},
        {"CRLF last key", "[Image]\r\nA=1\r\nB=2\r\n", "Image", "B", "2"},
        {"no final newline", "[Image]\nA=1\nB=2", "Image", "B", "2"},
        {"section with blanks", "  [ Image ]  \nA=1\n", "Image", "A", "1"},
        {"comment lines ignored", "[Image]\n;A=9\n; note\nA=1\n", "Image", "A", "1"},
        {"japanese value", "[Image]\nDispFolder=/home/user/写真/旅行\n", "Image", "DispFolder",
         "/home/user/写真/旅行"},
        {"ideographic space is not a blank", "[Font]\nName=ＭＳ　ゴシック　\n", "Font", "Name",
         "ＭＳ　ゴシック　"},
    };
    for (const ReadCase& c : cases) {
        // Only the missing file needs the disk.
        TempTree tree;
        const IniFile file = c.fileText != nullptr ? IniFile::fromText(c.fileText)
                                                   : IniFile(tree.path("slidora.ini"));
        EXPECT_EQ(file.readString(c.section, c.key, "<default>"), c.expected) << c.name;
        if (c.fileText == nullptr) {
            EXPECT_EQ(file.path(), tree.path("slidora.ini"));
        }
    }
}

TEST(IniFileRead, ValuesStopAt2047BytesWithoutSplittingCharacters) {
    const std::string a = "\xE3\x81\x82"; // one three-byte character
    struct Case {
        std::string value;
        std::string expected;
    };
    const Case cases[] = {
        {std::string(2047, 'x'), std::string(2047, 'x')},
        {std::string(2047, 'x') + "yz", std::string(2047, 'x')},
        {std::string(2044, 'x') + a, std::string(2044, 'x') + a},
        {std::string(2045, 'x') + a, std::string(2045, 'x')},
        {std::string(2046, 'x') + a + a, std::string(2046, 'x')},
        {std::string(2043, 'x') + a + a, std::string(2043, 'x') + a},
    };
    for (const Case& c : cases) {
        const IniFile file =
            IniFile::fromText("[Image]\nDispFolder=" + c.value + "\n[Text]\nA=1\n");
        const std::string got = file.readString("Image", "DispFolder", "");
        EXPECT_EQ(got.size(), c.expected.size()) << "value of " << c.value.size() << " bytes";
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(file.readString("Text", "A", ""), "1");
    }
}

struct WriteCase {
    const char* name;
    const char* before; // null: no file
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST(IniFileFromText, ReadsTheTextAndRefusesEveryWrite) {
    const std::string text = "[Image]\r\nA=1\r\n";
    IniFile file = IniFile::fromText(text);
    EXPECT_EQ(file.readString("image", "a", "?"), "1");
    EXPECT_TRUE(file.path().empty());
    EXPECT_THROW(file.writeString("Image", "A", "2"), SlidoraError);
    EXPECT_EQ(file.text(), text);
}

TEST(IniFileWrite, ProfileSemantics) {
    const WriteCase cases[] = {
        {"replace in place", "[Image]\nSleepTime=500\nMiniSize=10\n", "Image", "SleepTime", "3000",
         "[Image]\nSleepTime=3000\nMiniSize=10\n"},
        {"new file", nullptr, "Image", "SleepTime", "3000", "[Image]\nSleepTime=3000\n"},
        {"empty file", "", "Image", "SleepTime", "3000", "[Image]\nSleepTime=3000\n"},
        {"empty value", "[Image]\nSleepTime=500\n", "Image", "SleepTime", "",
         "[Image]\nSleepTime=\n"},
        {"missing key before blank separator", "[Image]\nA=1\n\n[Text]\nB=2\n", "Image", "C", "3",
         "[Image]\nA=1\nC=3\n\n[Text]\nB=2\n"},
        {"missing key before several blanks", "[Image]\nA=1\n\n  \n[Text]\nB=2\n", "Image", "C",
         "3", "[Image]\nA=1\nC=3\n\n  \n[Text]\nB=2\n"},
        {"missing key after inner blank line", "[Image]\nA=1\n\nB=2\n[Text]\n", "Image", "C", "3",
         "[Image]\nA=1\n\nB=2\nC=3\n[Text]\n"},
        {"missing key in empty section", "[Image]\n[Text]\nB=2\n", "Image", "A", "1",
         "[Image]\nA=1\n[Text]\nB=2\n"},
        {"missing key in last section", "[Image]\nA=1\n[Text]\nB=2\n", "Text", "C", "3",
         "[Image]\nA=1\n[Text]\nB=2\nC=3\n"},
        {"missing key without final newline", "[Image]\nA=1", "Image", "B", "2",
         "[Image]\nA=1\nB=2\n"},
        {"header without final newline", "[Image]", "Image", "B", "2", "[Image]\nB=2\n"},
        {"missing section without final newline", "[Image]\nA=1", "Text", "B", "2",
         "[Image]\nA=1\n[Text]\nB=2\n"},
        {"missing section at end", "; made by hand\n[Image]\nA=1\n\n", "Omake", "ActTime", "60",
         "; made by hand\n[Image]\nA=1\n\n[Omake]\nActTime=60\n"},
        {"same key in another section untouched", "[Text]\nA=1\n[Image]\n", "Image", "A", "2",
         "[Text]\nA=1\n[Image]\nA=2\n"},
        {"section found whatever its case", "[OMake]\nBGDensity=300\n", "Omake", "ActTime", "60",
         "[OMake]\nBGDensity=300\nActTime=60\n"},
        {"first of two equal keys replaced", "[Image]\nA=1\nA=2\n", "Image", "A", "3",
         "[Image]\nA=3\nA=2\n"},
        {"CRLF kept on replace", "[Image]\r\nA=1\r\nB=2\r\n", "Image", "A", "9",
         "[Image]\r\nA=9\r\nB=2\r\n"},
        {"CRLF kept on new key", "[Image]\r\nA=1\r\n[Text]\r\nB=2\r\n", "Image", "C", "3",
         "[Image]\r\nA=1\r\nC=3\r\n[Text]\r\nB=2\r\n"},
        {"CRLF kept on new section", "[Image]\r\nA=1\r\n", "Audio", "Volume", "100",
         "[Image]\r\nA=1\r\n[Audio]\r\nVolume=100\r\n"},
        {"CRLF file without final newline", "[Image]\r\nA=1", "Image", "B", "2",
         "[Image]\r\nA=1\r\nB=2\r\n"},
        {"unknown content kept byte for byte",
         "junk line without equals\n[Image]\n; note = x\n   odd   \nUnknown = keep  me  \nA=1\n"
         "[Custom]\n  Z = 9 \n\xEF\xBC\xA1=\xE3\x81\x82\n",
         "Image", "A", "2",
         "junk line without equals\n[Image]\n; note = x\n   odd   \nUnknown = keep  me  \nA=2\n"
         "[Custom]\n  Z = 9 \n\xEF\xBC\xA1=\xE3\x81\x82\n"},
        {"japanese value", "[Font]\nName=x\n", "Font", "Name", "ＭＳ Ｐゴシック",
         "[Font]\nName=ＭＳ Ｐゴシック\n"},
        // A value cannot smuggle in lines of its own.
        {"line breaks in a value", "[Image]\nA=1\n", "Image", "A", "x\n[Evil]\r\nB=2",
         "[Image]\nA=x [Evil]  B=2\n"},
    };
    for (const WriteCase& c : cases) {
        TempTree tree;
        const std::string path = tree.path("slidora.ini");
        if (c.before != nullptr) tree.text("slidora.ini", c.before);
        IniFile file(path);
        EXPECT_NO_THROW(file.writeString(c.section, c.key, c.value)) << c.name;
        const std::string onDisk = readWholeFile(path);
        EXPECT_EQ(onDisk, c.after) << c.name << "\n--- got ---\n" << visible(onDisk);
        EXPECT_EQ(file.text(), onDisk) << c.name << ": the object and the file disagree";
        EXPECT_EQ(IniFile(path).text(), onDisk) << c.name << ": reading it back changes it";
    }
}

TEST(IniFileWrite, ReplacingAKeyOfOtherCaseKeepsOneKey) {
    TempTree tree;
    tree.text("s.ini", "[image]\nsleeptime=500\nX=1\n");
    IniFile file(tree.path("s.ini"));
    file.writeString("Image", "SleepTime", "3000");
    const std::string onDisk = readWholeFile(tree.path("s.ini"));
    EXPECT_EQ(onDisk.rfind("[image]\n", 0), 0u) << visible(onDisk);
    EXPECT_EQ(std::count(onDisk.begin(), onDisk.end(), '\n'), 3) << visible(onDisk);
    const IniFile back(tree.path("s.ini"));
    EXPECT_EQ(back.readString("IMAGE", "sleepTIME", ""), "3000");
    EXPECT_EQ(back.readString("Image", "X", ""), "1");
}

// Whatever the writer is handed, the reader gives back, and the rest of the
// file stays.
TEST(IniFileWrite, RoundTrips) {
    const std::string values[] = {
        "",
        "0",
        "-2147483648",
        "/home/user/写真/2024 旅行",
        "ＭＳ Ｐゴシック",
        "\"quoted\"",
        "a=b=c",
        "; not a comment",
        "[not a section]",
        ".mid .rmi .kar",
        std::string(2047, 'q'),
    };
    TempTree tree;
    const std::string path = tree.path("slidora.ini");
    tree.text("slidora.ini", "; keep\n[Other]\nK=v\n");
    IniFile file(path);
    int n = 0;
    for (const std::string& v : values) {
        const std::string key = "Key" + std::to_string(n++);
        file.writeString("Image", key, v);
        EXPECT_EQ(IniFile(path).readString("Image", key, "<missing>"), v) << "value [" << v << "]";
    }
    // And again in place, now that every key exists.
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const std::string key = "Key" + std::to_string(i);
        const std::string& v = values[std::size(values) - 1 - i];
        file.writeString("Image", key, v);
        EXPECT_EQ(IniFile(path).readString("Image", key, "<missing>"), v) << "value [" << v << "]";
    }
    const IniFile back(path);
    EXPECT_EQ(back.readString("Other", "K", ""), "v");
    EXPECT_EQ(back.text().rfind("; keep\n[Other]\nK=v\n[Image]\n", 0), 0u) << visible(back.text());
}

#ifndef _WIN32
TEST(IniFileWrite, KeepsTheFileModeAndWritesThroughALink) {
    TempTree tree;
    const std::string real = tree.text("real/slidora.ini", "[Image]\nA=1\n");
    ::chmod(real.c_str(), 0640);
    const std::string link = tree.link(real, "bin/slidora.ini");
    IniFile file(link);
    file.writeString("Image", "A", "2");
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced by a file";
    EXPECT_EQ(readWholeFile(real), "[Image]\nA=2\n");
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file is left beside it.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(tree.path("real")))
        (void)e, ++entries;
    EXPECT_EQ(entries, 1);
}
#else
// Windows keeps no mode bits. The link stays a link: what is written to the
// file it leads to is read through it afterwards (Wine shows a link to a file
// as the file itself, so the link cannot be told by its attributes).
TEST(IniFileWrite, WritesThroughALink) {
    TempTree tree;
    const std::string real = tree.text("real/slidora.ini", "[Image]\nA=1\n");
    const std::string link = tree.link(real, "bin/slidora.ini");
    IniFile file(link);
    file.writeString("Image", "A", "2");
    EXPECT_EQ(readWholeFile(real), "[Image]\nA=2\n");
    test::writeWholeFile(real, "[Image]\nA=3\n");
    EXPECT_EQ(readWholeFile(link), "[Image]\nA=3\n") << "the link was replaced by a file";
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(test::widePath(tree.path("real"))))
        (void)e, ++entries;
    EXPECT_EQ(entries, 1);
}
#endif

void expectWriteError(IniFile& file, const std::string& section, const std::string& key,
                      const std::string& value, const std::string& expectedPath) {
    try {
        file.writeString(section, key, value);
        ADD_FAILURE() << "writing " << section << "/" << key << " did not fail";
    } catch (const SlidoraError& e) {
        EXPECT_STREQ(e.what(), (expectedPath + " に書き込めません").c_str());
    }
}

std::size_t entriesIn(const std::string& folder) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        (void)e, ++n;
    return n;
}

TEST(IniFileWriteFailure, ReadOnlyFileStaysByteIdentical) {
    if (test::runningAsRoot()) GTEST_SKIP() << "root may write a read-only file";
    TempTree tree;
    const std::string before = "[Image]\r\nSleepTime=500\r\n; mine\r\n";
#ifdef _WIN32
    const std::string path = tree.text("slidora.ini", before);
    tree.readOnly("slidora.ini");
#else
    const std::string path = tree.text("slidora.ini", before);
    ::chmod(path.c_str(), 0444);
#endif
    IniFile file(path);
    expectWriteError(file, "Image", "SleepTime", "3000", path);
    expectWriteError(file, "Audio", "Volume", "5", path);
    EXPECT_EQ(readWholeFile(path), before);
    EXPECT_EQ(file.readString("Image", "SleepTime", ""), "500");
    EXPECT_EQ(entriesIn(tree.root()), 1u);
}

TEST(IniFileWriteFailure, FolderThatCannotExist) {
    // The parent is a regular file: no user, root included, can create it.
    TempTree tree;
    tree.file("plain", 3);
    const std::string path = tree.path("plain/slidora.ini");
    IniFile file(path);
    expectWriteError(file, "Image", "SleepTime", "3000", path);
    EXPECT_EQ(file.text(), "");
    EXPECT_EQ(readWholeFile(tree.path("plain")), "xxx");
    EXPECT_EQ(entriesIn(tree.root()), 1u);
}

#ifndef _WIN32
TEST(IniFileWriteFailure, FullDiskLeavesTheOldFileWhole) {
    TempTree tree;
    const std::string before =
        "[Image]\nDispFolder=/home/user/写真\nSleepTime=500\n[Omake]\nActTime=60\n";
    const std::string path = tree.text("slidora.ini", before);
    IniFile file(path);
    {
        const test::FileSizeLimit limit(before.size() - 10);
        expectWriteError(file, "Image", "SleepTime", "3000", path);
        expectWriteError(file, "Text", "Date", "Yes", path);
    }
    EXPECT_EQ(readWholeFile(path), before);
    EXPECT_EQ(entriesIn(tree.root()), 1u) << "a temporary file was left behind";
    // The object forgot the failed writes and still works afterwards.
    EXPECT_EQ(file.readString("Image", "SleepTime", ""), "500");
    EXPECT_EQ(file.readString("Text", "Date", "<missing>"), "<missing>");
    file.writeString("Omake", "ActTime", "0");
    EXPECT_EQ(readWholeFile(path),
              "[Image]\nDispFolder=/home/user/写真\nSleepTime=500\n[Omake]\nActTime=0\n");
}
#endif

struct IntCase {
    const char* text;
    std::optional<int> expected; // nullopt: not an integer
};

TEST(StrictToInt, AcceptsOnlyWhole32BitDecimalIntegers) {
    const IntCase cases[] = {
        {"12", 12},
        {"-5", -5},
        {"+7", 7},
        {"0", 0},
        {"-0", 0},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"4294967296", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"-99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"abc", std::nullopt},
        {"1.5", std::nullopt},
        {"1e3", std::nullopt},
        {"0x10", std::nullopt},
        {"$10", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"--5", std::nullopt},
        {"+-5", std::nullopt},
        {" 12", std::nullopt},
        {"12 ", std::nullopt},
        {"1 2", std::nullopt},
        {"12abc", std::nullopt},
        {"１２", std::nullopt},
        {"Yes", std::nullopt},
    };
    for (const IntCase& c : cases) {
        if (c.expected) {
            try {
                EXPECT_EQ(strictToInt(c.text), *c.expected) << "text [" << c.text << "]";
            } catch (const SlidoraError& e) {
                ADD_FAILURE() << "text [" << c.text << "] threw " << e.what();
            }
        } else {
            try {
                const int v = strictToInt(c.text);
                ADD_FAILURE() << "text [" << c.text << "] converted to " << v;
            } catch (const SlidoraError& e) {
                EXPECT_EQ(std::string(e.what()),
                          std::string("'") + c.text + "' は整数ではありません");
            }
        }
    }
}

TEST(EqualsIgnoreAsciiCase, Table) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {{"OMake", "Omake", true},   {"omake", "OMAKE", true},
                          {"Omake", "Omake ", false}, {"", "", true},
                          {"写真", "写真", true},     {"Image", "Imag", false},
                          {"a", "b", false}};
    for (const Case& c : cases)
        EXPECT_EQ(equalsIgnoreAsciiCase(c.a, c.b), c.equal) << c.a << " vs " << c.b;
}

// An editor's byte-order mark before the first section line must not hide
// that section: reading finds it and writing replaces in it, keeping the
// mark, instead of adding a second section of the same name.
TEST(IniFileBom, FirstSectionBehindAByteOrderMarkIsFound) {
    TempTree tree;
    const std::string path = tree.text("bom.ini", "\xEF\xBB\xBF[Image]\nSleepTime=2000\n");
    IniFile file(path);
    EXPECT_EQ(file.readString("Image", "SleepTime", "500"), "2000");
    file.writeString("Image", "SleepTime", "4000");
    EXPECT_EQ(readWholeFile(path), "\xEF\xBB\xBF[Image]\nSleepTime=4000\n");
}

} // namespace
} // namespace slidora
