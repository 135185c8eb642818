// The settings dialog's Qt face as the model sees it: its widgets as
// DialogControls, and the services the model asks.
#include "dialog/ScSSDlg.h"

#include "dialog/DialogBoxes.h"
#include "dialog/DialogRules.h"
#include "dialog/RadioGroup.h"
#include "platform/DirWalk.h"
#include "platform/Paths.h"
#include "platform/ProgramPaths.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

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

// A spin edit's value: its text as an integer, or its minimum when the text
// is not one, brought into its range (as leaving the field would).
int spinEditValue(const QSpinBox* spin) {
    bool ok = false;
    const int typed = spin->cleanText().trimmed().toInt(&ok);
    return std::clamp(ok ? typed : spin->minimum(), spin->minimum(), spin->maximum());
}

FontSpec fontSpecOf(const QFont& font) {
    FontSpec value;
    value.family = s(font.family());
    value.pointSize =
        font.pointSize() > 0 ? font.pointSize() : static_cast<int>(std::lround(font.pointSizeF()));
    value.bold = font.bold();
    value.italic = font.italic();
    value.underline = font.underline();
    value.strikeout = font.strikeOut();
    return value;
}

// `wanted` over `base`, which keeps what a FontSpec does not hold.
QFont fontOf(const FontSpec& wanted, QFont base) {
    base.setFamily(q(wanted.family));
    if (wanted.pointSize > 0) base.setPointSize(wanted.pointSize);
    base.setBold(wanted.bold);
    base.setItalic(wanted.italic);
    base.setUnderline(wanted.underline);
    base.setStrikeOut(wanted.strikeout);
    return base;
}

std::string homeAndPicturesFolder() {
    return defaultPictureFolderFrom(
        s(QStandardPaths::writableLocation(QStandardPaths::HomeLocation)),
        s(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)), folderExists);
}

} // namespace

DialogServices TScSSDlg::modelServices(DialogEnvironment env) {
    DialogServices services;
    services.settingsPath = env.settingsPath.empty() ? settingsLocation() : env.settingsPath;
    m_settingsPath = services.settingsPath;
    services.readerContext.programDir = env.programDir.empty() ? programDir() : env.programDir;
    services.readerContext.iconFontName =
        s(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    if (QScreen* screen = this->screen())
        services.readerContext.dialogFontSize =
            defaultFontSizeText(screen->logicalDotsPerInch(), screen->geometry().width());
    services.versionText = SLIDORA_VERSION;
    services.decimalPoint = s(QLocale().decimalPoint());
    // Without a power-saving source (tests) the display has none.
    services.powerSaveInfo =
        env.powerSaveInfo ? env.powerSaveInfo : [] { return PowerSaveState{}; };
    services.defaultPictureFolder =
        env.defaultPictureFolder ? env.defaultPictureFolder : homeAndPicturesFolder;
    services.errorReport =
        env.errorReport ? env.errorReport : [this](const std::string& m) { reportError(m); };
    services.confirm = env.confirm ? env.confirm : [this](const std::string& message) {
        QWidget* over =
            QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
        return askConfirmation(over, message);
    };
    services.fontChooser = env.fontChooser
                               ? env.fontChooser
                               : [this](const FontSpec& initial) -> std::optional<FontSpec> {
        const QFont base = control<QLabel>("Label19")->font();
        const std::optional<QFont> chosen = chooseFont(this, fontOf(initial, base));
        if (!chosen) return std::nullopt;
        return fontSpecOf(*chosen);
    };
    services.picFolderChk = env.picFolderChk ? env.picFolderChk : PicFolderChk;
    services.audFolderChk = env.audFolderChk ? env.audFolderChk : AudFolderChk;
    services.setBusy = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    if (env.folderChooser) BrowseDlg1.setChooser(env.folderChooser);
    return services;
}

void TScSSDlg::reportError(const std::string& message) {
    showErrorReport(message, isVisible() ? this : nullptr);
}

int TScSSDlg::value(const std::string& name) const {
    QWidget* widget = control<QWidget>(name);
    if (auto* slider = qobject_cast<QSlider*>(widget)) return slider->value();
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) return spinEditValue(spin);
    if (auto* group = dynamic_cast<RadioGroup*>(widget)) return group->itemIndex();
    return control<QComboBox>(name)->currentIndex();
}

void TScSSDlg::setValue(const std::string& name, int value) {
    QWidget* widget = control<QWidget>(name);
    if (auto* slider = qobject_cast<QSlider*>(widget))
        slider->setValue(value);
    else if (auto* spin = qobject_cast<QSpinBox*>(widget))
        spin->setValue(value);
    else if (auto* group = dynamic_cast<RadioGroup*>(widget))
        group->setItemIndex(value);
    else
        control<QComboBox>(name)->setCurrentIndex(value);
}

bool TScSSDlg::checked(const std::string& name) const {
    return control<QCheckBox>(name)->isChecked();
}

void TScSSDlg::setChecked(const std::string& name, bool isChecked) {
    control<QCheckBox>(name)->setChecked(isChecked);
}

void TScSSDlg::setText(const std::string& name, const std::string& text) {
    QLabel* label = control<QLabel>(name);
    label->setText(q(text));
    label->adjustSize();
}

void TScSSDlg::setPath(const std::string& name, const std::string& shown, const std::string& hint) {
    QLineEdit* field = control<QLineEdit>(name);
    field->setText(q(shown));
    field->setCursorPosition(0);
    field->setToolTip(q(hint));
}

void TScSSDlg::addItem(const std::string& name, const std::string& caption) {
    control<QComboBox>(name)->addItem(q(caption));
}

int TScSSDlg::width(const std::string& name) const {
    return control<QWidget>(name)->width();
}

void TScSSDlg::setWidth(const std::string& name, int widthPx) {
    QWidget* widget = control<QWidget>(name);
    widget->resize(widthPx, widget->height());
}

int TScSSDlg::textWidth(const std::string& name, const std::string& text) const {
    return QFontMetrics(control<QWidget>(name)->font()).horizontalAdvance(q(text));
}

FontSpec TScSSDlg::font(const std::string& name) const {
    return fontSpecOf(control<QWidget>(name)->font());
}

void TScSSDlg::setFont(const std::string& name, const FontSpec& wanted) {
    QWidget* widget = control<QWidget>(name);
    widget->setFont(fontOf(wanted, widget->font()));
}

} // namespace slidora
