#include "dialog/BrowseDlg.h"

#include "dialog/DialogBoxes.h"

#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>

namespace slidora {

TBrowseDlg::TBrowseDlg() = default;

void TBrowseDlg::confirm(const std::string& folder) {
    m_folder = folder;
    if (OnOKBtnClick) OnOKBtnClick();
}

void TBrowseDlg::execute(QWidget* parent) {
    m_initialFolder.clear();
    m_folder.clear();
    if (OnShow) OnShow();
    const Chooser chooser = m_chooser ? m_chooser : fileDialogChooser(parent);
    chooser(*this);
}

TBrowseDlg::Chooser fileDialogChooser(QWidget* parent) {
    return [parent](TBrowseDlg& picker) {
        installToolkitTranslations();
        QFileDialog dialog(parent, QString::fromStdString(picker.caption),
                           QFile::decodeName(QByteArray::fromStdString(picker.initialFolder())));
        // The widget-based dialog emits fileSelected before it closes, so the
        // owner's check and question appear over the picker, as with the
        // picker's own OK callback.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(picker.okCaption));
        dialog.setLabelText(QFileDialog::Reject, QString::fromStdString(picker.cancelCaption));
        dialog.resize(picker.widthPx, picker.heightPx);
        if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
            dialog.move(screen->availableGeometry().center() - dialog.rect().center());
        QObject::connect(&dialog, &QFileDialog::fileSelected, &dialog,
                         [&picker](const QString& path) {
                             picker.confirm(QFile::encodeName(path).toStdString());
                         });
        dialog.exec();
    };
}

} // namespace slidora
