#pragma once
// The settings schema: every key of the settings file declared once, with its
// section and each reader's default, and the plain values the two readers
// (the saver and the settings dialog) hand downstream.
#include <string>

namespace slidora {

class IniFile;

enum class SettingKey {
    DispFolder,
    MiniSize,
    SleepTime,
    MaxExtend,
    ImageRandom,
    FileName,
    Folder,
    Date,
    Time,
    FontName,
    FontStyle,
    FontSize,
    AudioFolder,
    Volume,
    AudioRandom,
    MPlayer,
    MediaExt,
    ActTime,
    BGDensity,
    ScanTime,
};
inline constexpr int kSettingKeyCount = 20;

struct SettingSpec {
    SettingKey key;
    const char* section;      // as the writer and the dialog name it
    const char* saverSection; // as the saver names it ("OMake" for two keys)
    const char* name;
    // Defaults; null where the default depends on the machine (see
    // ReaderContext).
    const char* saverDefault;
    const char* dialogDefault;
};

// The keys in the order both readers read them and the writer writes them.
const SettingSpec& settingSpec(SettingKey key);
const SettingSpec* allSettingSpecs(); // kSettingKeyCount entries

// Defaults that come from the machine rather than the schema.
struct ReaderContext {
    std::string programDir;           // the saver's default picture folder
    std::string iconFontName;         // both readers' default font face
    std::string dialogFontSize = "9"; // "11" on a large-font wide screen
};

inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";
inline const char* YesNoText(bool checked) {
    return checked ? kYes : kNo;
}

// The settings as the saver holds them for a run, converted as it needs them.
struct SaverSettings {
    std::string pictureFolder;
    int minimumSizeKb = 0;
    int tickIntervalMs = 0; // SleepTime div 5
    float maxMagnification = 0.0f;
    bool pictureShuffle = false;
    int fileNamePosition = 0;
    bool showFolder = false;
    bool showDate = false;
    bool showTime = false;
    std::string fontName;
    std::string styleLetters;
    int fontSizePt = 0;
    std::string audioFolder;
    int volume = 0;
    bool audioShuffle = false;
    bool useMp3Library = false; // MPlayer is exactly "No"
    std::string mediaExtText;   // MediaExt followed by one blank
    int activeMinutes = 0;
    int backgroundDensity = 0;
    int scanCount = 0;

    friend bool operator==(const SaverSettings&, const SaverSettings&) = default;
};

// Reads the saver's settings in key order. Throws SlidoraError at the first
// value that must be an integer and is not; the fields read before it are
// filled in, the rest keep what they held. A file the IniFile refused gives
// every field its default and then throws its refusal. No range corrections
// are applied here (see correctedDensity and correctedScanCount).
void readSaverSettings(const IniFile& file, const ReaderContext& context, SaverSettings& out);

// The settings as the dialog reads and writes them: the stored values before
// any control clamps them.
struct DialogSettings {
    std::string dispFolder;
    int miniSize = 0;
    int sleepTime = 0;
    int maxExtend = 0;
    bool imageRandom = false;
    int fileName = 0;
    bool folder = false;
    bool date = false;
    bool time = false;
    std::string fontName;
    std::string fontStyle;
    int fontSize = 0;
    std::string audioFolder;
    int volume = 0;
    bool audioRandom = false;
    bool mplayer = false; // MPlayer is exactly "Yes"
    std::string mediaExt;
    int actTime = 0;
    int bgDensity = 0;
    int scanTime = 0;

    friend bool operator==(const DialogSettings&, const DialogSettings&) = default;
};

// Reads the dialog's settings in key order. `keysRead` counts the keys read
// successfully, so that after an error the caller applies only those (the
// count is complete, kSettingKeyCount, when no error was thrown). Throws
// SlidoraError at the first non-integer, and with the count complete and
// every value its default for a file the IniFile refused.
void readDialogSettings(const IniFile& file, const ReaderContext& context, DialogSettings& out,
                        int& keysRead);

// Writes all keys in order; DispFolder only when it is not empty. Throws
// SlidoraError at the first write that fails; keys written before it stay.
void writeDialogSettings(IniFile& file, const DialogSettings& values);

// The corrections both readers apply: out of 0..200 gives 150; out of 10..200
// gives 20.
int correctedDensity(int value);
int correctedScanCount(int value);

// The style words the dialog writes: "Bold", "Italic", "Underline",
// "Strikeout" for the set bits (1, 2, 4, 8), joined by "+".
std::string styleWords(int styleBits);

} // namespace slidora
