#include "settings/Settings.h"

#include "platform/ErrorText.h"
#include "settings/FileRules.h"
#include "settings/IniFile.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "tests/settings/FileSizeLimit.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <filesystem>
#include <functional>
#include <new>
#include <set>
#include <string>

namespace slidora {
namespace {

// While set, every allocation of 64 KiB or more fails as it does when memory
// runs out; smaller ones (test bookkeeping) still succeed.
std::atomic<bool> g_failLargeAllocations{false};

} // namespace
} // namespace slidora

#ifdef _WIN32
// The runtime's own operator delete frees with free(), as its operator new
// allocates with malloc().
void* operator new(std::size_t size) {
    if (slidora::g_failLargeAllocations && size >= 64 * 1024) throw std::bad_alloc();
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
#else
void* operator new(std::size_t size) {
    if (slidora::g_failLargeAllocations && size >= 64 * 1024) throw std::bad_alloc();
    using NewFn = void* (*)(std::size_t);
    static const auto next = reinterpret_cast<NewFn>(::dlsym(RTLD_NEXT, "_Znwm"));
    if (next == nullptr) std::abort();
    return next(size);
}
#endif

namespace slidora {
namespace {

using test::readWholeFile;
using test::TempTree;

ReaderContext context(const std::string& dialogFontSize = "9") {
    ReaderContext ctx;
    ctx.programDir = "/opt/Slidora";
    ctx.iconFontName = "Noto Sans CJK JP";
    ctx.dialogFontSize = dialogFontSize;
    return ctx;
}

// A missing file (no text) reads as an empty one.
IniFile settingsFrom(const std::string* fileText) {
    return IniFile::fromText(fileText != nullptr ? *fileText : std::string());
}

SaverSettings readSaver(const std::string* fileText) {
    SaverSettings out;
    readSaverSettings(settingsFrom(fileText), context(), out);
    return out;
}

DialogSettings readDialog(const std::string* fileText, const std::string& fontSize = "9") {
    DialogSettings out;
    int keysRead = -1;
    readDialogSettings(settingsFrom(fileText), context(fontSize), out, keysRead);
    EXPECT_EQ(keysRead, kSettingKeyCount);
    return out;
}

TEST(SaverReader, DefaultsWithoutAFile) {
    const SaverSettings s = readSaver(nullptr);
    EXPECT_EQ(s.pictureFolder, "/opt/Slidora");
    EXPECT_EQ(s.minimumSizeKb, 10);
    EXPECT_EQ(s.tickIntervalMs, 100);
    EXPECT_EQ(s.maxMagnification, 1.5f);
    EXPECT_FALSE(s.pictureShuffle);
    EXPECT_EQ(s.fileNamePosition, 4);
    EXPECT_FALSE(s.showFolder);
    EXPECT_FALSE(s.showDate);
    EXPECT_FALSE(s.showTime);
    EXPECT_EQ(s.fontName, "Noto Sans CJK JP");
    EXPECT_EQ(s.styleLetters, "B");
    EXPECT_EQ(FontStyleBits(s.styleLetters), kStyleBold);
    EXPECT_EQ(s.fontSizePt, 11);
    EXPECT_EQ(s.audioFolder, "");
    EXPECT_EQ(s.volume, 100);
    EXPECT_FALSE(s.audioShuffle);
    EXPECT_TRUE(s.useMp3Library);
    EXPECT_EQ(s.mediaExtText, ".mid ");
    EXPECT_EQ(s.activeMinutes, 60);
    EXPECT_EQ(s.backgroundDensity, 150);
    EXPECT_EQ(s.scanCount, 20);
}

TEST(DialogReader, DefaultsWithoutAFile) {
    for (const char* size : {"9", "11"}) {
        const DialogSettings d = readDialog(nullptr, size);
        EXPECT_EQ(d.dispFolder, "");
        EXPECT_EQ(d.miniSize, 10);
        EXPECT_EQ(d.sleepTime, 3000);
        EXPECT_EQ(d.maxExtend, 15);
        EXPECT_FALSE(d.imageRandom);
        EXPECT_EQ(d.fileName, 4);
        EXPECT_FALSE(d.folder || d.date || d.time);
        EXPECT_EQ(d.fontName, "Noto Sans CJK JP");
        EXPECT_EQ(d.fontStyle, "");
        EXPECT_EQ(FontStyleBits(d.fontStyle), 0);
        EXPECT_EQ(d.fontSize, std::stoi(size));
        EXPECT_EQ(d.audioFolder, "");
        EXPECT_EQ(d.volume, 100);
        EXPECT_FALSE(d.audioRandom);
        EXPECT_FALSE(d.mplayer);
        EXPECT_EQ(d.mediaExt, ".mid");
        EXPECT_EQ(d.actTime, 60);
        EXPECT_EQ(d.bgDensity, 150);
        EXPECT_EQ(d.scanTime, 20);
    }
}

TEST(Readers, EveryKeyFromAFullFile) {
    const std::string text =
        "[Image]\nDispFolder=/home/user/"
        "写真\nMiniSize=25\nSleepTime=1234\nMaxExtend=25\nRandom=Yes\n"
        "[Text]\nFileName=5\nFolder=Yes\nDate=Yes\nTime=Yes\n"
        "[Font]\nName=IPAPGothic\nStyle=Italic+Underline\nSize=14\n"
        "[Audio]\nAudioFolder=/music\nVolume=40\nRandom=Yes\nMPlayer=Yes\nMediaExt=.mid .kar\n"
        "[Omake]\nActTime=-5\nBGDensity=200\nScanTime=10\n";
    const SaverSettings s = readSaver(&text);
    EXPECT_EQ(s.pictureFolder, "/home/user/写真");
    EXPECT_EQ(s.minimumSizeKb, 25);
    EXPECT_EQ(s.tickIntervalMs, 246);
    EXPECT_EQ(s.maxMagnification, 2.5f);
    EXPECT_TRUE(s.pictureShuffle);
    EXPECT_EQ(s.fileNamePosition, 5);
    EXPECT_TRUE(s.showFolder && s.showDate && s.showTime);
    EXPECT_EQ(s.fontName, "IPAPGothic");
    EXPECT_EQ(FontStyleBits(s.styleLetters), kStyleItalic | kStyleUnderline);
    EXPECT_EQ(s.fontSizePt, 14);
    EXPECT_EQ(s.audioFolder, "/music");
    EXPECT_EQ(s.volume, 40);
    EXPECT_TRUE(s.audioShuffle);
    EXPECT_FALSE(s.useMp3Library);
    EXPECT_EQ(s.mediaExtText, ".mid .kar ");
    EXPECT_EQ(s.activeMinutes, -5);
    EXPECT_EQ(s.backgroundDensity, 200);
    EXPECT_EQ(s.scanCount, 10);

    const DialogSettings d = readDialog(&text);
    EXPECT_EQ(d.dispFolder, "/home/user/写真");
    EXPECT_EQ(d.miniSize, 25);
    EXPECT_EQ(d.sleepTime, 1234);
    EXPECT_EQ(d.maxExtend, 25);
    EXPECT_TRUE(d.imageRandom);
    EXPECT_EQ(d.fileName, 5);
    EXPECT_TRUE(d.folder && d.date && d.time);
    EXPECT_EQ(d.fontStyle, "Italic+Underline");
    EXPECT_EQ(d.fontSize, 14);
    EXPECT_EQ(d.volume, 40);
    EXPECT_TRUE(d.audioRandom);
    EXPECT_TRUE(d.mplayer);
    EXPECT_EQ(d.mediaExt, ".mid .kar");
    EXPECT_EQ(d.actTime, -5);
    EXPECT_EQ(d.bgDensity, 200);
    EXPECT_EQ(d.scanTime, 10);
}

TEST(SaverReader, TickAndMagnificationArithmetic) {
    struct Case {
        const char* sleepTime;
        const char* maxExtend;
        int tickMs;
        float magnification;
    };
    const Case cases[] = {{"500", "15", 100, 1.5f}, {"3000", "10", 600, 1.0f},
                          {"7", "30", 1, 3.0f},     {"4", "12", 0, 1.2f},
                          {"-7", "0", -1, 0.0f},    {"30000", "-10", 6000, -1.0f}};
    for (const Case& c : cases) {
        const std::string text =
            std::string("[Image]\nSleepTime=") + c.sleepTime + "\nMaxExtend=" + c.maxExtend + "\n";
        const SaverSettings s = readSaver(&text);
        EXPECT_EQ(s.tickIntervalMs, c.tickMs) << "SleepTime " << c.sleepTime;
        EXPECT_EQ(s.maxMagnification, c.magnification) << "MaxExtend " << c.maxExtend;
    }
}

// Flag reading: the saver's MP3-library choice tests for exactly "No", the
// dialog's box for exactly "Yes"; every other flag is exactly "Yes".
TEST(Readers, FlagsAreCaseSensitive) {
    struct Case {
        const char* value; // null: key missing
        bool saverUsesLibrary;
        bool dialogMPlayer;
        bool flagTrue;
    };
    const Case cases[] = {
        {nullptr, true, false, false}, {"No", true, false, false},  {"Yes", false, true, true},
        {"yes", false, false, false},  {"no", false, false, false}, {"", false, false, false},
        {"YES", false, false, false},  {"1", false, false, false},
    };
    for (const Case& c : cases) {
        std::string text = "[Image]\n[Text]\n[Audio]\n";
        if (c.value != nullptr) {
            text = std::string("[Image]\nRandom=") + c.value + "\n[Text]\nDate=" + c.value +
                   "\n[Audio]\nMPlayer=" + c.value + "\nRandom=" + c.value + "\n";
        }
        const char* shown = c.value != nullptr ? c.value : "<missing>";
        const SaverSettings s = readSaver(&text);
        EXPECT_EQ(s.useMp3Library, c.saverUsesLibrary) << "MPlayer " << shown;
        EXPECT_EQ(s.pictureShuffle, c.flagTrue) << "Image Random " << shown;
        EXPECT_EQ(s.audioShuffle, c.flagTrue) << "Audio Random " << shown;
        EXPECT_EQ(s.showDate, c.flagTrue) << "Date " << shown;
        const DialogSettings d = readDialog(&text);
        EXPECT_EQ(d.mplayer, c.dialogMPlayer) << "MPlayer " << shown;
        EXPECT_EQ(d.imageRandom, c.flagTrue) << "Image Random " << shown;
        EXPECT_EQ(d.audioRandom, c.flagTrue) << "Audio Random " << shown;
        EXPECT_EQ(d.date, c.flagTrue) << "Date " << shown;
    }
}

TEST(Readers, StyleEmptyDiffersFromMissing) {
    struct Case {
        const char* text;
        int saverBits;
        int dialogBits;
    };
    const Case cases[] = {
        {"[Font]\nName=X\n", kStyleBold, 0},
        {"[Font]\nStyle=\n", 0, 0},
        {"[Font]\nStyle=bold\n", 0, 0},
        {"[Font]\nStyle=XSU\n", kStyleStrikeout | kStyleUnderline,
         kStyleStrikeout | kStyleUnderline},
        {"[Font]\nStyle=Bold+Italic+Underline+Strikeout\n", 15, 15},
    };
    for (const Case& c : cases) {
        const std::string text = c.text;
        EXPECT_EQ(FontStyleBits(readSaver(&text).styleLetters), c.saverBits) << c.text;
        EXPECT_EQ(FontStyleBits(readDialog(&text).fontStyle), c.dialogBits) << c.text;
    }
}

// The saver asks for BGDensity and ScanTime in "OMake", the dialog and the
// writer in "Omake": one section whatever its case in the file.
TEST(Readers, OmakeSectionWhateverItsCase) {
    for (const char* header : {"[OMake]", "[Omake]", "[omake]", "[OMAKE]"}) {
        const std::string text = std::string(header) + "\nActTime=-5\nBGDensity=300\nScanTime=5\n";
        const SaverSettings s = readSaver(&text);
        EXPECT_EQ(s.activeMinutes, -5) << header;
        EXPECT_EQ(correctedDensity(s.backgroundDensity), 150) << header;
        EXPECT_EQ(correctedScanCount(s.scanCount), 20) << header;
        EXPECT_EQ(s.backgroundDensity, 300) << "the reader itself leaves the value as read";
        const DialogSettings d = readDialog(&text);
        EXPECT_EQ(d.actTime, -5) << header;
        EXPECT_EQ(correctedDensity(d.bgDensity), 150) << header;
        EXPECT_EQ(correctedScanCount(d.scanTime), 20) << header;
    }
    EXPECT_STREQ(settingSpec(SettingKey::BGDensity).saverSection, "OMake");
    EXPECT_STREQ(settingSpec(SettingKey::ScanTime).saverSection, "OMake");
    EXPECT_STREQ(settingSpec(SettingKey::ActTime).saverSection, "Omake");
}

TEST(Corrections, OutOfRangeBecomesTheDefault) {
    struct Case {
        int value;
        int density;
        int scans;
    };
    const Case cases[] = {{250, 150, 20},       {-1, 150, 20},
                          {0, 0, 20},           {200, 200, 200},
                          {201, 150, 20},       {5, 5, 20},
                          {9, 9, 20},           {10, 10, 10},
                          {150, 150, 150},      {-2147483647 - 1, 150, 20},
                          {2147483647, 150, 20}};
    for (const Case& c : cases) {
        EXPECT_EQ(correctedDensity(c.value), c.density) << "BGDensity " << c.value;
        EXPECT_EQ(correctedScanCount(c.value), c.scans) << "ScanTime " << c.value;
    }
}

TEST(Readers, NonIntegerStopsReadingAtThatKey) {
    struct Case {
        const char* sleepTime;
        const char* message;
    };
    const Case cases[] = {{"abc", "'abc' は整数ではありません"},
                          {"", "'' は整数ではありません"},
                          {"3.5", "'3.5' は整数ではありません"},
                          {"5000000000", "'5000000000' は整数ではありません"}};
    for (const Case& c : cases) {
        const IniFile file = IniFile::fromText(
            std::string("[Image]\nDispFolder=/pics\nMiniSize=25\nSleepTime=") + c.sleepTime +
            "\nMaxExtend=20\nRandom=Yes\n[Font]\nSize=14\n[Omake]\nScanTime=50\n");

        SaverSettings s;
        s.tickIntervalMs = -111;
        s.maxMagnification = -2.0f;
        s.fontSizePt = -333;
        s.scanCount = -444;
        try {
            readSaverSettings(file, context(), s);
            ADD_FAILURE() << "the saver read SleepTime " << c.sleepTime;
        } catch (const SlidoraError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(s.pictureFolder, "/pics");
        EXPECT_EQ(s.minimumSizeKb, 25);
        EXPECT_EQ(s.tickIntervalMs, -111);
        EXPECT_EQ(s.maxMagnification, -2.0f);
        EXPECT_FALSE(s.pictureShuffle);
        EXPECT_EQ(s.fontSizePt, -333);
        EXPECT_EQ(s.scanCount, -444);

        DialogSettings d;
        d.sleepTime = -111;
        d.maxExtend = -222;
        d.fontSize = -333;
        int keysRead = -1;
        try {
            readDialogSettings(file, context(), d, keysRead);
            ADD_FAILURE() << "the dialog read SleepTime " << c.sleepTime;
        } catch (const SlidoraError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(keysRead, 2);
        EXPECT_EQ(d.dispFolder, "/pics");
        EXPECT_EQ(d.miniSize, 25);
        EXPECT_EQ(d.sleepTime, -111);
        EXPECT_EQ(d.maxExtend, -222);
        EXPECT_FALSE(d.imageRandom);
        EXPECT_EQ(d.fontSize, -333);
    }
}

TEST(Readers, KeysReadCountsUpToTheBadKey) {
    struct Case {
        const char* text;
        int keysRead;
    };
    const Case cases[] = {{"[Image]\nMiniSize=x\n", 1},   {"[Image]\nMaxExtend=x\n", 3},
                          {"[Text]\nFileName=x\n", 5},    {"[Font]\nSize=x\n", 11},
                          {"[Audio]\nVolume=x\n", 13},    {"[Omake]\nActTime=x\n", 17},
                          {"[Omake]\nBGDensity=x\n", 18}, {"[Omake]\nScanTime=x\n", 19}};
    for (const Case& c : cases) {
        DialogSettings d;
        int keysRead = -1;
        EXPECT_THROW(readDialogSettings(IniFile::fromText(c.text), context(), d, keysRead),
                     SlidoraError)
            << c.text;
        EXPECT_EQ(keysRead, c.keysRead) << c.text;
        SaverSettings s;
        EXPECT_THROW(readSaverSettings(IniFile::fromText(c.text), context(), s), SlidoraError)
            << c.text;
    }
}

DialogSettings sampleDialogValues() {
    DialogSettings v;
    v.dispFolder = "/home/user/写真";
    v.miniSize = 10;
    v.sleepTime = 3000;
    v.maxExtend = 15;
    v.imageRandom = false;
    v.fileName = 4;
    v.folder = true;
    v.date = false;
    v.time = true;
    v.fontName = "ＭＳ Ｐゴシック";
    v.fontStyle = "Bold+Italic";
    v.fontSize = 9;
    v.audioFolder = "";
    v.volume = 100;
    v.audioRandom = true;
    v.mplayer = false;
    v.mediaExt = ".mid";
    v.actTime = 60;
    v.bgDensity = 150;
    v.scanTime = 20;
    return v;
}

const char* const kSampleText =
    "[Image]\nDispFolder=/home/user/写真\nMiniSize=10\nSleepTime=3000\nMaxExtend=15\nRandom=No\n"
    "[Text]\nFileName=4\nFolder=Yes\nDate=No\nTime=Yes\n"
    "[Font]\nName=ＭＳ Ｐゴシック\nStyle=Bold+Italic\nSize=9\n"
    "[Audio]\nAudioFolder=\nVolume=100\nRandom=Yes\nMPlayer=No\nMediaExt=.mid\n"
    "[Omake]\nActTime=60\nBGDensity=150\nScanTime=20\n";

TEST(Writer, AllTwentyKeysInOrderIntoANewFile) {
    TempTree tree;
    IniFile file(tree.path("slidora.ini"));
    writeDialogSettings(file, sampleDialogValues());
    EXPECT_EQ(readWholeFile(tree.path("slidora.ini")), kSampleText);
}

TEST(Writer, ReadsBackAsWritten) {
    TempTree tree;
    DialogSettings v = sampleDialogValues();
    v.imageRandom = true;
    v.fileName = -1;
    v.fontStyle = "";
    v.audioFolder = "/music/音楽";
    v.mplayer = true;
    v.mediaExt = ".mid .rmi";
    v.actTime = 0;
    v.bgDensity = 0;
    v.scanTime = 5;
    {
        IniFile file(tree.path("slidora.ini"));
        writeDialogSettings(file, v);
    }
    DialogSettings back;
    int keysRead = 0;
    readDialogSettings(IniFile(tree.path("slidora.ini")), context(), back, keysRead);
    EXPECT_EQ(keysRead, kSettingKeyCount);
    EXPECT_EQ(back.dispFolder, v.dispFolder);
    EXPECT_TRUE(back.imageRandom);
    EXPECT_EQ(back.fileName, -1);
    EXPECT_EQ(back.fontStyle, "");
    EXPECT_EQ(back.audioFolder, "/music/音楽");
    EXPECT_TRUE(back.mplayer);
    EXPECT_EQ(back.mediaExt, ".mid .rmi");
    EXPECT_EQ(back.actTime, 0);
    EXPECT_EQ(correctedDensity(back.bgDensity), 0);
    // A scan count of 5 is written as it is and corrected on reading.
    EXPECT_EQ(back.scanTime, 5);
    EXPECT_EQ(correctedScanCount(back.scanTime), 20);

    SaverSettings s;
    readSaverSettings(IniFile(tree.path("slidora.ini")), context(), s);
    EXPECT_FALSE(s.useMp3Library);
    EXPECT_EQ(s.mediaExtText, ".mid .rmi ");
    EXPECT_EQ(s.styleLetters, "");
}

TEST(Writer, EmptyPictureFolderLeavesTheStoredOne) {
    struct Case {
        const char* before;
        const char* storedFolder;
    };
    const Case cases[] = {{"[Image]\nDispFolder=/old/pics\n", "/old/pics"}, {nullptr, "<missing>"}};
    for (const Case& c : cases) {
        TempTree tree;
        if (c.before != nullptr) tree.text("slidora.ini", c.before);
        DialogSettings v = sampleDialogValues();
        v.dispFolder = "";
        IniFile file(tree.path("slidora.ini"));
        writeDialogSettings(file, v);
        const IniFile back(tree.path("slidora.ini"));
        EXPECT_EQ(back.readString("Image", "DispFolder", "<missing>"), c.storedFolder);
        EXPECT_EQ(back.readString("Omake", "ScanTime", ""), "20");
        EXPECT_EQ(back.readString("Image", "MiniSize", ""), "10");
    }
}

TEST(Writer, HandEditedFileKeepsItsOwnLines) {
    TempTree tree;
    tree.text(
        "slidora.ini",
        "; my settings\r\n[OMake]\r\nBGDensity=300\r\nNote=keep\r\n\r\n[Image]\r\nSleepTime=9\r\n");
    IniFile file(tree.path("slidora.ini"));
    writeDialogSettings(file, sampleDialogValues());
    const std::string text = readWholeFile(tree.path("slidora.ini"));
    EXPECT_EQ(
        text.rfind(
            "; my "
            "settings\r\n[OMake]\r\nBGDensity=150\r\nNote=keep\r\nActTime=60\r\nScanTime=20\r\n"
            "\r\n[Image]\r\nSleepTime=3000\r\n",
            0),
        0u)
        << text;
    EXPECT_EQ(text.find("\n[Omake]"), std::string::npos) << "a second Omake section was added";
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_EQ(text[at - 1], '\r') << "a bare LF in a CRLF file at byte " << at;
}

#ifndef _WIN32
TEST(Writer, FailedWriteKeepsTheKeysWrittenBefore) {
    TempTree tree;
    const std::string path = tree.path("slidora.ini");
    // Room for exactly the first three keys.
    const std::string firstThree =
        "[Image]\nDispFolder=/home/user/写真\nMiniSize=10\nSleepTime=3000\n";
    IniFile file(path);
    try {
        const test::FileSizeLimit limit(firstThree.size());
        writeDialogSettings(file, sampleDialogValues());
        ADD_FAILURE() << "writing past the size limit did not fail";
    } catch (const SlidoraError& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    EXPECT_EQ(readWholeFile(path), firstThree);
}

// Into a new file every key lands at the end, so the file after k keys is
// the full text up to the k-th key line. A disk that fills after k keys
// leaves exactly that: this pins the writing order of all twenty keys.
TEST(Writer, DiskFullAfterEachKeyLeavesTheKeysBeforeIt) {
    const std::string full = kSampleText;
    int keys = 0;
    for (std::size_t end = full.find('\n'); end != std::string::npos;
         end = full.find('\n', end + 1)) {
        const std::size_t start = full.rfind('\n', end - 1);
        const std::string line =
            full.substr(start == std::string::npos ? 0 : start + 1, end - (start + 1));
        if (line.find('=') == std::string::npos) continue;
        ++keys;
        const std::string expected = full.substr(0, end + 1);
        TempTree tree;
        const std::string path = tree.path("slidora.ini");
        IniFile file(path);
        bool failed = false;
        try {
            const test::FileSizeLimit limit(expected.size());
            writeDialogSettings(file, sampleDialogValues());
        } catch (const SlidoraError&) {
            failed = true;
        }
        EXPECT_EQ(failed, keys < kSettingKeyCount) << "room for " << keys << " keys";
        EXPECT_EQ(readWholeFile(path), expected) << "room for " << keys << " keys";
    }
    EXPECT_EQ(keys, kSettingKeyCount);
}
#endif

TEST(StyleWords, WordsJoinedByPlusAndReadBackByTheirLetters) {
    struct Case {
        int bits;
        const char* words;
    };
    const Case cases[] = {{0, ""},
                          {1, "Bold"},
                          {2, "Italic"},
                          {4, "Underline"},
                          {8, "Strikeout"},
                          {9, "Bold+Strikeout"},
                          {6, "Italic+Underline"},
                          {15, "Bold+Italic+Underline+Strikeout"}};
    for (const Case& c : cases)
        EXPECT_EQ(styleWords(c.bits), c.words) << "bits " << c.bits;
    for (int bits = 0; bits < 16; ++bits)
        EXPECT_EQ(FontStyleBits(styleWords(bits)), bits) << "bits " << bits;
}

TEST(Schema, TwentyKeysInWritingOrder) {
    const char* const expected[kSettingKeyCount][2] = {
        {"Image", "DispFolder"},  {"Image", "MiniSize"}, {"Image", "SleepTime"},
        {"Image", "MaxExtend"},   {"Image", "Random"},   {"Text", "FileName"},
        {"Text", "Folder"},       {"Text", "Date"},      {"Text", "Time"},
        {"Font", "Name"},         {"Font", "Style"},     {"Font", "Size"},
        {"Audio", "AudioFolder"}, {"Audio", "Volume"},   {"Audio", "Random"},
        {"Audio", "MPlayer"},     {"Audio", "MediaExt"}, {"Omake", "ActTime"},
        {"Omake", "BGDensity"},   {"Omake", "ScanTime"}};
    const SettingSpec* specs = allSettingSpecs();
    for (int i = 0; i < kSettingKeyCount; ++i) {
        EXPECT_STREQ(specs[i].section, expected[i][0]) << i;
        EXPECT_STREQ(specs[i].name, expected[i][1]) << i;
        EXPECT_EQ(static_cast<int>(specs[i].key), i);
        EXPECT_EQ(&settingSpec(specs[i].key), &specs[i]);
        EXPECT_TRUE(equalsIgnoreAsciiCase(specs[i].section, specs[i].saverSection))
            << specs[i].name;
    }
}

// Names, kinds, sizes and link targets of a folder's entries.
std::set<std::string> folderSnapshot(const std::string& folder) {
    std::set<std::string> entries;
#ifdef _WIN32
    for (const auto& e : std::filesystem::directory_iterator(test::widePath(folder))) {
        const DWORD attributes = ::GetFileAttributesW(e.path().c_str());
        std::error_code ec;
        const std::uintmax_t size = e.is_directory() ? 0 : e.file_size(ec);
        entries.insert(win::toUtf8(e.path().filename().wstring()) + " attributes " +
                       std::to_string(attributes) + " size " + std::to_string(size));
    }
#else
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        struct stat st {};
        ::lstat(e.path().c_str(), &st);
        std::string entry = e.path().filename().string() + " mode " + std::to_string(st.st_mode) +
                            " size " + std::to_string(st.st_size);
        if (S_ISLNK(st.st_mode)) entry += " -> " + std::filesystem::read_symlink(e.path()).string();
        entries.insert(entry);
    }
#endif
    return entries;
}

bool throwsExactly(const std::function<void()>& call, const std::string& message) {
    try {
        call();
    } catch (const SlidoraError& e) {
        if (e.what() == message) return true;
        ADD_FAILURE() << "reported [" << e.what() << "], not [" << message << "]";
        return false;
    }
    ADD_FAILURE() << "nothing reported, expected [" << message << "]";
    return false;
}

// A settings file that is not one is refused without waiting: both readers
// get every default and report why, and the dialog's OK does not touch it.
TEST(Readers, RefusedFileGivesTheDefaultsAndIsNeverWritten) {
    const std::string kNotAFile = " は通常のファイルではありません";
    const std::string kTooLarge = " は設定ファイルとしては大きすぎます";
    const std::string kNoMemory = " を読むためのメモリが足りません";
    const std::string small = "[Image]\nSleepTime=700\n";
    struct Case {
        const char* name;
        std::function<void(TempTree&, const std::string&)> make;
        std::string reason;
        bool memoryRunsOut = false;
    };
    const Case cases[] = {
#ifndef _WIN32
        {"FIFO", [](TempTree& t, const std::string&) { t.fifo("slidora.ini"); }, kNotAFile},
        {"link to /dev/zero",
         [](TempTree& t, const std::string&) { t.link("/dev/zero", "slidora.ini"); }, kNotAFile},
#endif
        {"folder", [](TempTree& t, const std::string&) { t.dir("slidora.ini"); }, kNotAFile},
        {"sparse 4 GiB",
         [&](TempTree& t, const std::string& path) {
             t.text("slidora.ini", small);
#ifdef _WIN32
             std::filesystem::resize_file(test::widePath(path), 4ULL << 30);
#else
             ASSERT_EQ(::truncate(path.c_str(), 4LL << 30), 0);
#endif
         },
         kTooLarge},
        {"one byte over the bound",
         [&](TempTree& t, const std::string&) {
             t.text("slidora.ini",
                    small + std::string(IniFile::kMaxFileBytes + 1 - small.size(), ';'));
         },
         kTooLarge},
        {"memory runs out",
         [&](TempTree& t, const std::string&) {
             t.text("slidora.ini", small + std::string(200000, ';'));
         },
         kNoMemory, true},
    };
    const SaverSettings saverDefaults = readSaver(nullptr);
    const DialogSettings dialogDefaults = readDialog(nullptr);
    for (const Case& c : cases) {
        TempTree tree;
        const std::string path = tree.path("slidora.ini");
        c.make(tree, path);
        const std::set<std::string> before = folderSnapshot(tree.root());
        const test::ChildOutcome outcome = test::runInChild(
            [&] {
                g_failLargeAllocations = c.memoryRunsOut;
                IniFile file(path);
                g_failLargeAllocations = false;
                SaverSettings saver;
                DialogSettings dialog;
                int keysRead = -1;
                const bool saverOk = throwsExactly(
                    [&] { readSaverSettings(file, context(), saver); }, path + c.reason);
                const bool dialogOk =
                    throwsExactly([&] { readDialogSettings(file, context(), dialog, keysRead); },
                                  path + c.reason);
                const bool writeRefused =
                    throwsExactly([&] { writeDialogSettings(file, sampleDialogValues()); },
                                  path + " に書き込めません");
                return saverOk && dialogOk && writeRefused && saver == saverDefaults &&
                       dialog == dialogDefaults && keysRead == kSettingKeyCount;
            },
            std::chrono::seconds(5));
        EXPECT_EQ(outcome, test::ChildOutcome::True)
            << c.name << ": " << test::outcomeName(outcome);
        EXPECT_EQ(folderSnapshot(tree.root()), before)
            << c.name << ": the file or its folder changed";
    }

    TempTree tree;
    tree.text("slidora.ini",
              std::string(IniFile::kMaxFileBytes - small.size() - 1, ';') + "\n" + small);
    const IniFile atTheBound(tree.path("slidora.ini"));
    EXPECT_EQ(atTheBound.refusal(), "");
    EXPECT_EQ(atTheBound.readString("Image", "SleepTime", ""), "700");
}

TEST(YesNoText, Words) {
    EXPECT_STREQ(YesNoText(true), "Yes");
    EXPECT_STREQ(YesNoText(false), "No");
}

} // namespace
} // namespace slidora
