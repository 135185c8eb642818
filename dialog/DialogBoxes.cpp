#include "dialog/DialogBoxes.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>

namespace slidora {

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

std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) {
    QFontDialog dialog(initial, parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog, true);
    // Only face, style and size are chosen here: the effects box (underline,
    // strikeout) stays hidden, and the font keeps the effects it came with.
    for (QCheckBox* effect : dialog.findChildren<QCheckBox*>())
        if (auto* box = qobject_cast<QGroupBox*>(effect->parentWidget())) box->hide();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedFont();
}

} // namespace slidora
