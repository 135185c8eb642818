#include "dialog/DialogBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace slidora {

void installToolkitTranslations() {
    auto* app = QCoreApplication::instance();
    if (app == nullptr) return;
    const QString name = QStringLiteral("slidoraToolkitTranslations");
    if (app->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly) != nullptr) return;
    // Owned by the application, so it goes with it.
    auto* translator = new QTranslator(app);
    translator->setObjectName(name);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        // Without the translations installed the pickers stay in English;
        // nothing else depends on them.
        return;
    }
    QCoreApplication::installTranslator(translator);
}

bool askConfirmation(QWidget* parent, const std::string& message) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8("確認"),
                    QString::fromStdString(message), QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QString::fromUtf8("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QString::fromUtf8("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QFont listedFace(const QFont& font) {
    if (QFontDatabase::hasFamily(font.family())) return font;
    QFont listed = font;
    listed.setFamily(QFontInfo(font).family());
    return listed;
}

std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) {
    installToolkitTranslations();
    // The picker selects a face only when it lists the font's family; a
    // generic or missing name would leave the list and the sample without one.
    QFontDialog dialog(listedFace(initial), parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog, true);
    // Only face, style and size are chosen here: the effects box (underline,
    // strikeout) stays hidden, and the font keeps the effects it came with.
    for (QCheckBox* effect : dialog.findChildren<QCheckBox*>())
        if (auto* box = qobject_cast<QGroupBox*>(effect->parentWidget())) box->hide();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedFont();
}

} // namespace slidora
