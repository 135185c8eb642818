// The settings dialog's event handlers: loading, saving, folder choice,
// value labels and the font choice.
#include "dialog/ScSSDlg.h"

#include "dialog/DialogBoxes.h"
#include "dialog/DialogRules.h"
#include "dialog/MiniDir.h"
#include "dialog/RadioGroup.h"
#include "platform/DirWalk.h"
#include "platform/QtPlatform.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>

#include <algorithm>
#include <exception>

#ifndef SLIDORA_VERSION
#error "SLIDORA_VERSION must name the project version"
#endif

namespace slidora {

namespace {

QString q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
std::string s(const QString& text) {
    return text.toStdString();
}

std::string decimalPoint() {
    return s(QLocale().decimalPoint());
}

// A spin edit's value: its text as an integer, or its minimum when the text
// is not one, brought into its range (as leaving the field would).
int spinEditValue(const QSpinBox* spin) {
    bool ok = false;
    const int typed = spin->cleanText().trimmed().toInt(&ok);
    return std::clamp(ok ? typed : spin->minimum(), spin->minimum(), spin->maximum());
}

int styleBitsOf(const QFont& font) {
    return (font.bold() ? kStyleBold : 0) | (font.italic() ? kStyleItalic : 0) |
           (font.underline() ? kStyleUnderline : 0) | (font.strikeOut() ? kStyleStrikeout : 0);
}

int fontSizePt(const QFont& font) {
    if (font.pointSize() > 0) return font.pointSize();
    return static_cast<int>(std::lround(font.pointSizeF()));
}

// The wait cursor for as long as a folder check walks its tree.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

std::string homeAndPicturesFolder() {
    return defaultPictureFolderFrom(
        s(QStandardPaths::writableLocation(QStandardPaths::HomeLocation)),
        s(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)), folderExists);
}

} // namespace

void TScSSDlg::handle(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        reportError(e.what());
    }
}

void TScSSDlg::reportError(const std::string& message) {
    if (m_env.errorReport) {
        m_env.errorReport(message);
        return;
    }
    showErrorReport(message, isVisible() ? this : nullptr);
}

void TScSSDlg::FormCreate() {
    QScreen* screen = this->screen();
    ReaderContext context;
    context.programDir = m_env.programDir;
    context.iconFontName = s(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    if (screen != nullptr)
        context.dialogFontSize =
            defaultFontSizeText(screen->logicalDotsPerInch(), screen->geometry().width());

    DialogSettings stored;
    int keysRead = 0;
    try {
        const IniFile file(m_env.settingsPath);
        readDialogSettings(file, context, stored, keysRead);
    } catch (const std::exception& e) {
        // The values read before the bad key are in effect; every later
        // control keeps its design value and the rest of loading is skipped.
        applyStoredValues(stored, keysRead);
        reportError(e.what());
        return;
    }
    applyStoredValues(stored, keysRead);
    handle([&] { finishLoading(stored); });
}

void TScSSDlg::applyStoredValues(const DialogSettings& v, int keysRead) {
    auto read = [keysRead](SettingKey key) { return static_cast<int>(key) < keysRead; };
    if (read(SettingKey::DispFolder)) m_values.DlgPicFolder = v.dispFolder;
    if (read(SettingKey::MiniSize)) SizeEdit->setValue(v.miniSize);
    if (read(SettingKey::SleepTime)) SlideTrackBar->setValue(v.sleepTime);
    if (read(SettingKey::MaxExtend)) Bairitu->setValue(v.maxExtend);
    if (read(SettingKey::ImageRandom)) CheckBox1->setChecked(v.imageRandom);
    if (read(SettingKey::FileName)) RadioGroup1->setItemIndex(std::clamp(v.fileName, -1, 5));
    if (read(SettingKey::Folder)) DirCheck->setChecked(v.folder);
    if (read(SettingKey::Date)) DayCheck->setChecked(v.date);
    if (read(SettingKey::Time)) TimeCheck->setChecked(v.time);
    if (read(SettingKey::FontName)) {
        QFont font = Label19->font();
        font.setFamily(q(v.fontName));
        Label19->setFont(font);
    }
    // A size below one point cannot be held by the font; the label keeps its
    // design size then.
    if (read(SettingKey::FontSize) && v.fontSize > 0) {
        QFont font = Label19->font();
        font.setPointSize(v.fontSize);
        Label19->setFont(font);
    }
    if (read(SettingKey::AudioFolder)) m_values.DlgAudFolder = v.audioFolder;
    if (read(SettingKey::AudioRandom)) CheckBox2->setChecked(v.audioRandom);
    if (read(SettingKey::MPlayer)) CheckBox3->setChecked(v.mplayer);
    if (read(SettingKey::MediaExt)) m_values.DlgMediaExt = v.mediaExt;
    if (read(SettingKey::ActTime)) m_values.DlgActTime = v.actTime;
}

void TScSSDlg::finishLoading(const DialogSettings& stored) {
    QFont font = Label19->font();
    const int style = FontStyleBits(stored.fontStyle);
    font.setBold((style & kStyleBold) != 0);
    font.setItalic((style & kStyleItalic) != 0);
    font.setUnderline((style & kStyleUnderline) != 0);
    font.setStrikeOut((style & kStyleStrikeout) != 0);
    Label19->setFont(font);

    Label2->resize(FolderText->width(), Label2->height());
    if (m_values.DlgPicFolder.empty()) m_values.DlgPicFolder = defaultPictureFolder();
    if (m_values.DlgPicFolder.empty()) m_values.DlgPicFolder = m_env.programDir;
    ComboBox1->setCurrentIndex(actTimeIndexFor(m_values.DlgActTime));
    showFolder(FolderText, m_values.DlgPicFolder);
    if (!m_values.DlgAudFolder.empty()) showFolder(AudioText, m_values.DlgAudFolder);
    BColorTrackBar->setValue(correctedDensity(stored.bgDensity));
    SpinEdit1->setValue(correctedScanCount(stored.scanTime));
    SlideTrackBarChange();
    BairituChange();
    Label11->setText(q(versionLabelText(SLIDORA_VERSION)));
    Label11->adjustSize();
    TrackBar1->setValue(stored.volume);

    if (const std::optional<int> minutes = computedActTimeMinutes(m_env.powerSaveInfo())) {
        ComboBox1->addItem(q(computedActTimeCaption(*minutes)));
        ComboBox1->setCurrentIndex(kActTimeFixedEntries);
    }
}

std::string TScSSDlg::defaultPictureFolder() const {
    return m_env.defaultPictureFolder ? m_env.defaultPictureFolder() : homeAndPicturesFolder();
}

void TScSSDlg::OKBtnClick() {
    if (const std::optional<int> minutes = actTimeMinutesFor(ComboBox1->currentIndex()))
        m_values.DlgActTime = *minutes;

    DialogSettings v;
    v.dispFolder = m_values.DlgPicFolder;
    v.miniSize = spinEditValue(SizeEdit);
    v.sleepTime = SlideTrackBar->value();
    v.maxExtend = Bairitu->value();
    v.imageRandom = CheckBox1->isChecked();
    v.fileName = RadioGroup1->itemIndex();
    v.folder = DirCheck->isChecked();
    v.date = DayCheck->isChecked();
    v.time = TimeCheck->isChecked();
    const QFont font = Label19->font();
    v.fontName = s(font.family());
    v.fontStyle = styleWords(styleBitsOf(font));
    v.fontSize = fontSizePt(font);
    v.audioFolder = m_values.DlgAudFolder;
    v.volume = TrackBar1->value();
    v.audioRandom = CheckBox2->isChecked();
    v.mplayer = CheckBox3->isChecked();
    v.mediaExt = m_values.DlgMediaExt;
    v.actTime = m_values.DlgActTime;
    v.bgDensity = BColorTrackBar->value();
    v.scanTime = spinEditValue(SpinEdit1);

    IniFile file(m_env.settingsPath);
    writeDialogSettings(file, v);
}

void TScSSDlg::Button1Click(QPushButton* sender) {
    BrowseDlg1.setTag(sender->property("Tag").toInt());
    BrowseDlg1.execute(this);
}

void TScSSDlg::BrowseDlg1Show() {
    switch (BrowseDlg1.tag()) {
    case kBrowsePictureFolder:
        BrowseDlg1.setInitialFolder(m_values.DlgPicFolder);
        break;
    case kBrowseAudioFolder:
        // Without an audio folder the picker starts at the picture folder;
        // the audio folder itself stays empty until one is taken.
        BrowseDlg1.setInitialFolder(m_values.DlgAudFolder.empty() ? m_values.DlgPicFolder
                                                                  : m_values.DlgAudFolder);
        break;
    default:
        break;
    }
}

void TScSSDlg::BrowseDlg1OKBtnClick() {
    const int tag = BrowseDlg1.tag();
    if (tag != kBrowsePictureFolder && tag != kBrowseAudioFolder) return;
    const std::string path = BrowseDlg1.folder();
    bool usable = false;
    {
        const BusyCursor busy;
        usable = tag == kBrowsePictureFolder ? m_env.picFolderChk(path, spinEditValue(SizeEdit))
                                             : m_env.audFolderChk(path, m_values.DlgMediaExt);
    }
    if (!usable) {
        const std::string message = folderConfirmationMessage(path, tag);
        QWidget* over =
            QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
        const bool yes = m_env.confirm ? m_env.confirm(message) : askConfirmation(over, message);
        if (!yes) return;
    }
    if (tag == kBrowsePictureFolder) {
        m_values.DlgPicFolder = path;
        showFolder(FolderText, path);
    } else {
        m_values.DlgAudFolder = path;
        showFolder(AudioText, path);
    }
}

void TScSSDlg::Button3Click() {
    AudioText->clear();
    AudioText->setToolTip(QString());
    m_values.DlgAudFolder.clear();
}

std::string TScSSDlg::displayPath(const std::string& path) const {
    const QFontMetrics metrics(Label2->font());
    return MiniDir(
        path, [&metrics](const std::string& text) { return metrics.horizontalAdvance(q(text)); },
        Label2->width());
}

void TScSSDlg::showFolder(QLineEdit* field, const std::string& path) {
    field->setText(q(displayPath(path)));
    field->setCursorPosition(0);
    field->setToolTip(q(path));
}

void TScSSDlg::SlideTrackBarChange() {
    Label4->setText(q(slideIntervalText(SlideTrackBar->value(), decimalPoint())));
    Label4->adjustSize();
}

void TScSSDlg::BairituChange() {
    BairituD->setText(q(magnificationText(Bairitu->value(), decimalPoint())));
    BairituD->adjustSize();
}

void TScSSDlg::CuteButton1Click() {
    BColorTrackBar->setValue(150);
}

void TScSSDlg::Button4Click() {
    const QFont initial = Label19->font();
    const std::optional<QFont> chosen =
        m_env.fontChooser ? m_env.fontChooser(initial) : chooseFont(this, initial);
    if (chosen) Label19->setFont(*chosen);
}

} // namespace slidora
