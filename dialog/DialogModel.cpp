#include "dialog/DialogModel.h"

#include "dialog/DialogLayout.h"
#include "dialog/DialogRules.h"
#include "dialog/MiniDir.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace slidora {

namespace {

int styleBitsOf(const FontSpec& font) {
    return (font.bold ? kStyleBold : 0) | (font.italic ? kStyleItalic : 0) |
           (font.underline ? kStyleUnderline : 0) | (font.strikeout ? kStyleStrikeout : 0);
}

// Busy for as long as a folder check walks its tree, also when it throws.
class BusyScope {
  public:
    explicit BusyScope(const std::function<void(bool)>& setBusy) : m_setBusy(setBusy) {
        m_setBusy(true);
    }
    ~BusyScope() { m_setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    const std::function<void(bool)>& m_setBusy;
};

} // namespace

DialogModel::DialogModel(DialogControls& controls, DialogServices services)
    : m_controls(controls), m_services(std::move(services)), m_font(controls.font("Label19")) {}

void DialogModel::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        m_services.errorReport(e.what());
    }
}

void DialogModel::FormCreate() {
    SlideTrackBarChange();
    BairituChange();
    DialogSettings stored;
    int keysRead = 0;
    try {
        const IniFile file(m_services.settingsPath);
        readDialogSettings(file, m_services.readerContext, stored, keysRead);
    } catch (const std::exception& e) {
        // The values read before the bad key are in effect; every later
        // control keeps its design value and the rest of loading is skipped.
        guarded([&] { applyStoredValues(stored, keysRead); });
        m_services.errorReport(e.what());
        return;
    }
    guarded([&] {
        applyStoredValues(stored, keysRead);
        finishLoading(stored);
    });
}

void DialogModel::applyStoredValues(const DialogSettings& v, int keysRead) {
    auto read = [keysRead](SettingKey key) { return static_cast<int>(key) < keysRead; };
    DialogControls& c = m_controls;
    if (read(SettingKey::DispFolder)) m_values.DlgPicFolder = v.dispFolder;
    if (read(SettingKey::MiniSize)) c.setValue("SizeEdit", v.miniSize);
    if (read(SettingKey::SleepTime)) {
        c.setValue("SlideTrackBar", v.sleepTime);
        SlideTrackBarChange();
    }
    if (read(SettingKey::MaxExtend)) {
        c.setValue("Bairitu", v.maxExtend);
        BairituChange();
    }
    if (read(SettingKey::ImageRandom)) c.setChecked("CheckBox1", v.imageRandom);
    if (read(SettingKey::FileName)) c.setValue("RadioGroup1", std::clamp(v.fileName, -1, 5));
    if (read(SettingKey::Folder)) c.setChecked("DirCheck", v.folder);
    if (read(SettingKey::Date)) c.setChecked("DayCheck", v.date);
    if (read(SettingKey::Time)) c.setChecked("TimeCheck", v.time);
    FontSpec font = m_font;
    if (read(SettingKey::FontName)) font.family = v.fontName;
    // A size below one point cannot be held by the font; it keeps its
    // design size then.
    if (read(SettingKey::FontSize) && v.fontSize > 0) font.pointSize = v.fontSize;
    setOverlayFont(font);
    if (read(SettingKey::AudioFolder)) m_values.DlgAudFolder = v.audioFolder;
    if (read(SettingKey::AudioRandom)) c.setChecked("CheckBox2", v.audioRandom);
    if (read(SettingKey::MPlayer)) c.setChecked("CheckBox3", v.mplayer);
    if (read(SettingKey::MediaExt)) m_values.DlgMediaExt = v.mediaExt;
    if (read(SettingKey::ActTime)) m_values.DlgActTime = v.actTime;
}

void DialogModel::finishLoading(const DialogSettings& stored) {
    DialogControls& c = m_controls;
    FontSpec font = m_font;
    const int style = FontStyleBits(stored.fontStyle);
    font.bold = (style & kStyleBold) != 0;
    font.italic = (style & kStyleItalic) != 0;
    font.underline = (style & kStyleUnderline) != 0;
    font.strikeout = (style & kStyleStrikeout) != 0;
    setOverlayFont(font);

    c.setWidth("Label2", c.width("FolderText"));
    if (m_values.DlgPicFolder.empty()) m_values.DlgPicFolder = m_services.defaultPictureFolder();
    if (m_values.DlgPicFolder.empty()) m_values.DlgPicFolder = m_services.readerContext.programDir;
    c.setValue("ComboBox1", actTimeIndexFor(m_values.DlgActTime));
    showFolder("FolderText", m_values.DlgPicFolder);
    if (!m_values.DlgAudFolder.empty()) showFolder("AudioText", m_values.DlgAudFolder);
    c.setValue("BColorTrackBar", correctedDensity(stored.bgDensity));
    c.setValue("SpinEdit1", correctedScanCount(stored.scanTime));
    SlideTrackBarChange();
    BairituChange();
    if (!m_services.versionText) throw std::runtime_error(kNoVersionRecordMessage);
    c.setText("Label11", versionLabelText(*m_services.versionText));
    c.setValue("TrackBar1", stored.volume);

    if (const std::optional<int> minutes = computedActTimeMinutes(m_services.powerSaveInfo())) {
        c.addItem("ComboBox1", computedActTimeCaption(*minutes));
        c.setValue("ComboBox1", kActTimeFixedEntries);
    }
}

void DialogModel::OKBtnClick() {
    guarded([this] { gatherAndWrite(); });
}

void DialogModel::gatherAndWrite() {
    const DialogControls& c = m_controls;
    if (const std::optional<int> minutes = actTimeMinutesFor(c.value("ComboBox1")))
        m_values.DlgActTime = *minutes;

    DialogSettings v;
    v.dispFolder = m_values.DlgPicFolder;
    v.miniSize = c.value("SizeEdit");
    v.sleepTime = c.value("SlideTrackBar");
    v.maxExtend = c.value("Bairitu");
    v.imageRandom = c.checked("CheckBox1");
    v.fileName = c.value("RadioGroup1");
    v.folder = c.checked("DirCheck");
    v.date = c.checked("DayCheck");
    v.time = c.checked("TimeCheck");
    v.fontName = m_font.family;
    v.fontStyle = styleWords(styleBitsOf(m_font));
    v.fontSize = m_font.pointSize;
    v.audioFolder = m_values.DlgAudFolder;
    v.volume = c.value("TrackBar1");
    v.audioRandom = c.checked("CheckBox2");
    v.mplayer = c.checked("CheckBox3");
    v.mediaExt = m_values.DlgMediaExt;
    v.actTime = m_values.DlgActTime;
    v.bgDensity = c.value("BColorTrackBar");
    v.scanTime = c.value("SpinEdit1");

    IniFile file(m_services.settingsPath);
    writeDialogSettings(file, v);
}

std::string DialogModel::browseStartFolder(int tag) const {
    switch (tag) {
    case kBrowsePictureFolder:
        return m_values.DlgPicFolder;
    case kBrowseAudioFolder:
        // Without an audio folder the picker starts at the picture folder;
        // the audio folder itself stays empty until one is taken.
        return m_values.DlgAudFolder.empty() ? m_values.DlgPicFolder : m_values.DlgAudFolder;
    default:
        return {};
    }
}

void DialogModel::BrowseDlg1OKBtnClick(int tag, const std::string& path) {
    guarded([&] { chooseFolder(tag, path); });
}

void DialogModel::chooseFolder(int tag, const std::string& path) {
    if (tag != kBrowsePictureFolder && tag != kBrowseAudioFolder) return;
    bool usable = false;
    {
        const BusyScope busy(m_services.setBusy);
        usable = tag == kBrowsePictureFolder
                     ? m_services.picFolderChk(path, m_controls.value("SizeEdit"))
                     : m_services.audFolderChk(path, m_values.DlgMediaExt);
    }
    if (!usable && !m_services.confirm(folderConfirmationMessage(path, tag))) return;
    if (tag == kBrowsePictureFolder) {
        m_values.DlgPicFolder = path;
        showFolder("FolderText", path);
    } else {
        m_values.DlgAudFolder = path;
        showFolder("AudioText", path);
    }
}

void DialogModel::Button3Click() {
    m_controls.setPath("AudioText", "", "");
    m_values.DlgAudFolder.clear();
}

void DialogModel::showFolder(const std::string& field, const std::string& path) {
    const DialogControls& c = m_controls;
    const std::string shown = MiniDir(
        path, [&c](const std::string& text) { return c.textWidth("Label2", text); },
        c.width("Label2"));
    m_controls.setPath(field, shown, path);
}

void DialogModel::SlideTrackBarChange() {
    m_controls.setText(
        "Label4", slideIntervalText(m_controls.value("SlideTrackBar"), m_services.decimalPoint));
}

void DialogModel::BairituChange() {
    m_controls.setText("BairituD",
                       magnificationText(m_controls.value("Bairitu"), m_services.decimalPoint));
}

void DialogModel::CuteButton1Click() {
    guarded([this] {
        m_controls.setValue("BColorTrackBar", controlDesign("BColorTrackBar").designValue);
    });
}

void DialogModel::Button4Click() {
    guarded([this] {
        if (const std::optional<FontSpec> chosen = m_services.fontChooser(m_font))
            setOverlayFont(*chosen);
    });
}

void DialogModel::setOverlayFont(const FontSpec& font) {
    m_font = font;
    m_controls.setFont("Label19", m_font);
}

} // namespace slidora
