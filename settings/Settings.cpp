#include "settings/Settings.h"

#include "platform/ErrorText.h"
#include "settings/IniFile.h"

namespace slidora {

namespace {

const SettingSpec kSpecs[kSettingKeyCount] = {
    {SettingKey::DispFolder, "Image", "Image", "DispFolder", nullptr, ""},
    {SettingKey::MiniSize, "Image", "Image", "MiniSize", "10", "10"},
    {SettingKey::SleepTime, "Image", "Image", "SleepTime", "500", "3000"},
    {SettingKey::MaxExtend, "Image", "Image", "MaxExtend", "15", "15"},
    {SettingKey::ImageRandom, "Image", "Image", "Random", "No", "No"},
    {SettingKey::FileName, "Text", "Text", "FileName", "4", "4"},
    {SettingKey::Folder, "Text", "Text", "Folder", "No", "No"},
    {SettingKey::Date, "Text", "Text", "Date", "No", "No"},
    {SettingKey::Time, "Text", "Text", "Time", "No", "No"},
    {SettingKey::FontName, "Font", "Font", "Name", nullptr, nullptr},
    {SettingKey::FontStyle, "Font", "Font", "Style", "B", ""},
    {SettingKey::FontSize, "Font", "Font", "Size", "11", nullptr},
    {SettingKey::AudioFolder, "Audio", "Audio", "AudioFolder", "", ""},
    {SettingKey::Volume, "Audio", "Audio", "Volume", "100", "100"},
    {SettingKey::AudioRandom, "Audio", "Audio", "Random", "No", "No"},
    {SettingKey::MPlayer, "Audio", "Audio", "MPlayer", "No", "No"},
    {SettingKey::MediaExt, "Audio", "Audio", "MediaExt", ".mid", ".mid"},
    {SettingKey::ActTime, "Omake", "Omake", "ActTime", "60", "60"},
    {SettingKey::BGDensity, "Omake", "OMake", "BGDensity", "150", "150"},
    {SettingKey::ScanTime, "Omake", "OMake", "ScanTime", "20", "20"},
};

std::string saverDefault(const SettingSpec& entry, const ReaderContext& ctx) {
    if (entry.saverDefault != nullptr) return entry.saverDefault;
    return entry.key == SettingKey::DispFolder ? ctx.programDir : ctx.iconFontName;
}

std::string dialogDefault(const SettingSpec& entry, const ReaderContext& ctx) {
    if (entry.dialogDefault != nullptr) return entry.dialogDefault;
    return entry.key == SettingKey::FontSize ? ctx.dialogFontSize : ctx.iconFontName;
}

class SaverReader {
  public:
    SaverReader(const IniFile& file, const ReaderContext& ctx) : m_file(file), m_ctx(ctx) {}
    std::string text(SettingKey key) const {
        const SettingSpec& entry = settingSpec(key);
        return m_file.readString(entry.saverSection, entry.name, saverDefault(entry, m_ctx));
    }
    int integer(SettingKey key) const { return strictToInt(text(key)); }
    bool yes(SettingKey key) const { return text(key) == kYes; }

  private:
    const IniFile& m_file;
    const ReaderContext& m_ctx;
};

// A file that was not read has given every key its default; the reason is
// then reported like a bad value, after the defaults are in place.
void throwIfRefused(const IniFile& file) {
    if (!file.refusal().empty()) throw SlidoraError(file.refusal());
}

} // namespace

const SettingSpec& settingSpec(SettingKey key) {
    return kSpecs[static_cast<int>(key)];
}
const SettingSpec* allSettingSpecs() {
    return kSpecs;
}

void readSaverSettings(const IniFile& file, const ReaderContext& ctx, SaverSettings& out) {
    const SaverReader r(file, ctx);
    out.pictureFolder = r.text(SettingKey::DispFolder);
    out.minimumSizeKb = r.integer(SettingKey::MiniSize);
    out.tickIntervalMs = r.integer(SettingKey::SleepTime) / 5;
    out.maxMagnification = static_cast<float>(r.integer(SettingKey::MaxExtend) / 10.0);
    out.pictureShuffle = r.yes(SettingKey::ImageRandom);
    out.fileNamePosition = r.integer(SettingKey::FileName);
    out.showFolder = r.yes(SettingKey::Folder);
    out.showDate = r.yes(SettingKey::Date);
    out.showTime = r.yes(SettingKey::Time);
    out.fontName = r.text(SettingKey::FontName);
    out.styleLetters = r.text(SettingKey::FontStyle);
    out.fontSizePt = r.integer(SettingKey::FontSize);
    out.audioFolder = r.text(SettingKey::AudioFolder);
    out.volume = r.integer(SettingKey::Volume);
    out.audioShuffle = r.yes(SettingKey::AudioRandom);
    out.useMp3Library = r.text(SettingKey::MPlayer) == kNo;
    out.mediaExtText = r.text(SettingKey::MediaExt) + " ";
    out.activeMinutes = r.integer(SettingKey::ActTime);
    out.backgroundDensity = r.integer(SettingKey::BGDensity);
    out.scanCount = r.integer(SettingKey::ScanTime);
    throwIfRefused(file);
}

void readDialogSettings(const IniFile& file, const ReaderContext& ctx, DialogSettings& out,
                        int& keysRead) {
    keysRead = 0;
    auto text = [&](SettingKey key) {
        const SettingSpec& entry = settingSpec(key);
        return file.readString(entry.section, entry.name, dialogDefault(entry, ctx));
    };
    auto integer = [&](SettingKey key) { return strictToInt(text(key)); };
    auto yes = [&](SettingKey key) { return text(key) == kYes; };
    // Each assignment counts only once its value has been converted.
    out.dispFolder = text(SettingKey::DispFolder), ++keysRead;
    out.miniSize = integer(SettingKey::MiniSize), ++keysRead;
    out.sleepTime = integer(SettingKey::SleepTime), ++keysRead;
    out.maxExtend = integer(SettingKey::MaxExtend), ++keysRead;
    out.imageRandom = yes(SettingKey::ImageRandom), ++keysRead;
    out.fileName = integer(SettingKey::FileName), ++keysRead;
    out.folder = yes(SettingKey::Folder), ++keysRead;
    out.date = yes(SettingKey::Date), ++keysRead;
    out.time = yes(SettingKey::Time), ++keysRead;
    out.fontName = text(SettingKey::FontName), ++keysRead;
    out.fontStyle = text(SettingKey::FontStyle), ++keysRead;
    out.fontSize = integer(SettingKey::FontSize), ++keysRead;
    out.audioFolder = text(SettingKey::AudioFolder), ++keysRead;
    out.volume = integer(SettingKey::Volume), ++keysRead;
    out.audioRandom = yes(SettingKey::AudioRandom), ++keysRead;
    out.mplayer = yes(SettingKey::MPlayer), ++keysRead;
    out.mediaExt = text(SettingKey::MediaExt), ++keysRead;
    out.actTime = integer(SettingKey::ActTime), ++keysRead;
    out.bgDensity = integer(SettingKey::BGDensity), ++keysRead;
    out.scanTime = integer(SettingKey::ScanTime), ++keysRead;
    throwIfRefused(file);
}

void writeDialogSettings(IniFile& file, const DialogSettings& v) {
    auto put = [&](SettingKey key, const std::string& value) {
        const SettingSpec& entry = settingSpec(key);
        file.writeString(entry.section, entry.name, value);
    };
    auto num = [](int n) { return std::to_string(n); };
    if (!v.dispFolder.empty()) put(SettingKey::DispFolder, v.dispFolder);
    put(SettingKey::MiniSize, num(v.miniSize));
    put(SettingKey::SleepTime, num(v.sleepTime));
    put(SettingKey::MaxExtend, num(v.maxExtend));
    put(SettingKey::ImageRandom, YesNoText(v.imageRandom));
    put(SettingKey::FileName, num(v.fileName));
    put(SettingKey::Folder, YesNoText(v.folder));
    put(SettingKey::Date, YesNoText(v.date));
    put(SettingKey::Time, YesNoText(v.time));
    put(SettingKey::FontName, v.fontName);
    put(SettingKey::FontStyle, v.fontStyle);
    put(SettingKey::FontSize, num(v.fontSize));
    put(SettingKey::AudioFolder, v.audioFolder);
    put(SettingKey::Volume, num(v.volume));
    put(SettingKey::AudioRandom, YesNoText(v.audioRandom));
    put(SettingKey::MPlayer, YesNoText(v.mplayer));
    put(SettingKey::MediaExt, v.mediaExt);
    put(SettingKey::ActTime, num(v.actTime));
    put(SettingKey::BGDensity, num(v.bgDensity));
    put(SettingKey::ScanTime, num(v.scanTime));
}

int correctedDensity(int value) {
    return (value < 0 || value > 200) ? 150 : value;
}
int correctedScanCount(int value) {
    return (value < 10 || value > 200) ? 20 : value;
}

std::string styleWords(int styleBits) {
    static const char* const kWords[] = {"Bold", "Italic", "Underline", "Strikeout"};
    std::string out;
    for (int i = 0; i < 4; ++i) {
        if ((styleBits & (1 << i)) == 0) continue;
        if (!out.empty()) out += "+";
        out += kWords[i];
    }
    return out;
}

} // namespace slidora
